// Every file type and both usual decimal separators over arbitrary bytes: the
// readers must neither crash nor read outside the line, and what they accept
// must be self-consistent; a reason is given exactly for each non-blank
// line they reject.
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
            const Direction d = ReadDataLine(type, line, separator);
            Check(RejectionReason(type, line, separator).empty() ==
                  (d.Success || IsBlankLine(line)));
            if (d.Success) {
                // Accepted numbers are finite; only types 9 and 10 convert.
                Check(std::isfinite(d.Dec) && std::isfinite(d.Inc));
                Check(type >= 0 && type < kFileTypeCount && !IsBlankLine(line));
            }
        }
        if (const auto value = FieldToNumber(line, separator)) {
            Check(std::isfinite(*value));
        }
    }
    return 0;
}
