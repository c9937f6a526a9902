#include "work_units.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

int DefaultWorkers() {
    static const int workers =
        static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    return workers;
}

void ForEachWorkUnit(std::size_t units, int workers, const std::function<void(std::size_t)>& work) {
    const std::size_t threads = std::min(units, static_cast<std::size_t>(std::max(1, workers)));
    if (threads <= 1) {
        for (std::size_t unit = 0; unit < units; ++unit) {
            work(unit);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex faultMutex;
    std::exception_ptr fault;
    auto claim = [&] {
        for (;;) {
            const std::size_t unit = next.fetch_add(1, std::memory_order_relaxed);
            if (unit >= units) {
                return;
            }
            try {
                work(unit);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(faultMutex);
                if (!fault) {
                    fault = std::current_exception();
                }
                next.store(units, std::memory_order_relaxed);
                return;
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(claim);
        } catch (const std::system_error&) {
            break; // no thread to be had: the others take its share
        }
    }
    claim();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (fault) {
        std::rethrow_exception(fault);
    }
}
