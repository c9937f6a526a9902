#include "processor_level.h"

namespace {

ProcessorLevel AskProcessor() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) {
        return ProcessorLevel::Avx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return ProcessorLevel::Avx2;
    }
#endif
    return ProcessorLevel::Baseline;
}

} // namespace

ProcessorLevel ThisProcessorLevel() {
    static const ProcessorLevel level = AskProcessor();
    return level;
}
