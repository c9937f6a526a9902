// Every file type, both usual decimal separators, with and without the
// bedding, over arbitrary bytes: the readers must neither crash nor read
// outside the line, and what they accept must be self-consistent and within
// its limits; a reason is given exactly for each non-blank line they reject.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "file_type.h"
#include "number_text.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const char separator : {'.', ','}) {
        for (int type = -1; type <= kFileTypeCount; ++type) {
            for (const bool bedding : {false, true}) {
                const ReadingOptions options{separator, bedding};
                const Direction d = ReadDataLine(type, line, options);
                Check(RejectionReason(type, line, options).empty() ==
                      (d.Success || IsBlankLine(line)));
                Check(!d.HasBedding || (d.Success && bedding && (type == 0 || type == 1)));
                if (d.Success) {
                    // Accepted numbers are finite and every inclination, latitude
                    // or pole plunge lies in -90...90.
                    Check(std::isfinite(d.Dec) && std::isfinite(d.Inc));
                    Check(d.Inc >= -90.0 && d.Inc <= 90.0);
                    Check(type >= 0 && type < kFileTypeCount && !IsBlankLine(line));
                }
                if (d.HasBedding) {
                    Check(std::isfinite(d.BeddingDipDirection));
                    Check(d.BeddingDip >= 0.0 && d.BeddingDip <= 90.0);
                }
            }
        }
        if (const auto value = FieldToNumber(line, separator)) {
            Check(std::isfinite(*value));
        }
    }
    return 0;
}
