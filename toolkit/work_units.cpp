#include "work_units.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

int DefaultWorkers() {
    static const int workers =
        static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    return workers;
}

namespace {

// What the threads of one call share. Helpers hold it too, so that one the
// system starts only after the call has returned finds every unit claimed
// and leaves without touching anything else.
struct Share {
    explicit Share(std::size_t count, const std::function<void(std::size_t)>& function)
        : units(count), work(function) {}
    const std::size_t units;
    const std::function<void(std::size_t)>& work; // read only for a claimed unit
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::mutex faultMutex;
    std::exception_ptr fault;

    void Claim() {
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
                // No unit is claimed after a fault; those never claimed count as done.
                const std::size_t unclaimed = next.exchange(units, std::memory_order_relaxed);
                if (unclaimed < units) {
                    done.fetch_add(units - unclaimed, std::memory_order_release);
                }
            }
            done.fetch_add(1, std::memory_order_release);
            done.notify_all();
        }
    }
};

} // namespace

// The caller waits for the units to be done, never for a helper to start or
// end: on a busy machine a new thread may wait milliseconds for a core, and
// the caller then does the work alone.
void ForEachWorkUnit(std::size_t units, int workers, const std::function<void(std::size_t)>& work) {
    const std::size_t threads = std::min(units, static_cast<std::size_t>(std::max(1, workers)));
    if (threads <= 1) {
        for (std::size_t unit = 0; unit < units; ++unit) {
            work(unit);
        }
        return;
    }
    const auto share = std::make_shared<Share>(units, work);
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            std::thread([share] { share->Claim(); }).detach();
        } catch (const std::system_error&) {
            break; // no thread to be had: the others take its share
        }
    }
    share->Claim();
    for (std::size_t done = share->done.load(std::memory_order_acquire); done < units;
         done = share->done.load(std::memory_order_acquire)) {
        share->done.wait(done, std::memory_order_acquire);
    }
    if (share->fault) {
        std::rethrow_exception(share->fault);
    }
}
