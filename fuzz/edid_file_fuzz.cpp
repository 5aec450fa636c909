// Arbitrary bytes judged as an EDID file and read by the EDID decoder: any
// length and content must be judged and read without going outside the
// bytes given, an accepted file must really have the shape the page relies
// on, and a refused one must say why.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "pages/edid_decode.h"
#include "pages/edid_file.h"

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so a read past the end is caught by the
    // sanitizers even when the fuzzer's own buffer is larger.
    std::vector<std::uint8_t> file(data, data + size);
    if (const auto edid = DecodeEdid(file.data(), file.size())) {
        if (edid->manufacturer.size() != 3) std::abort();
        if (edid->extensions.size() != file.size() / kEdidBlockSize - 1) std::abort();
        if (edid->preferredMode) EdidModeText(*edid->preferredMode);
    }
    const auto judged = CheckEdidBytes(file);
    if (!judged) {
        if (judged.error().message.empty()) std::abort();
        return 0;
    }
    if (file.size() != kEdidBlockSize && file.size() != 2 * kEdidBlockSize) std::abort();
    if (file[0] != 0x00 || file[7] != 0x00 || file[126] > 1) std::abort();
    unsigned sum = 0;
    for (std::size_t i = 0; i < kEdidBlockSize; ++i) sum += file[i];
    if (sum % 256 != 0) std::abort();
    return 0;
}
