#pragma once

// The widest vector instructions this processor runs, asked once. Hot loops
// pick their copy by it explicitly rather than through compiler-made clones,
// whose resolvers run while the program is being loaded, before a
// sanitizer's runtime is ready.
enum class ProcessorLevel { Baseline, Avx2, Avx512 };

ProcessorLevel ThisProcessorLevel();

// The copy of a function for this processor's level.
template <typename Function>
Function ForThisProcessor(Function baseline, Function avx2, Function avx512) {
    switch (ThisProcessorLevel()) {
    case ProcessorLevel::Avx512:
        return avx512;
    case ProcessorLevel::Avx2:
        return avx2;
    case ProcessorLevel::Baseline:
        break;
    }
    return baseline;
}
