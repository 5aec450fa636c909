// Arbitrary bytes as a device text from the switcher and as a text typed for
// it: the conversions between Latin-1 bytes and UTF-8 undo each other, and
// counting and cutting characters never splits one.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/text_codec.h"

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // As bytes from the switcher: shown as UTF-8, written back byte for byte.
    const std::string shown = Latin1ToUtf8(data, size);
    if (CharacterCount(shown) != size) std::abort();
    const auto back = Utf8ToLatin1(shown);
    if (!back || back->size() != size ||
        back->compare(0, size, reinterpret_cast<const char*>(data), size) != 0)
        std::abort();

    // As a text typed for the switcher.
    const std::string typed(reinterpret_cast<const char*>(data), size);
    std::string refused;
    if (const auto bytes = Utf8ToLatin1(typed, &refused)) {
        if (Latin1ToUtf8(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()) !=
            typed)
            std::abort();
    } else if (refused.empty()) {
        std::abort();
    }
    const std::size_t count = CharacterCount(typed);
    if (count > size) std::abort();
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{16}, count}) {
        const std::string first = FirstCharacters(typed, n);
        if (typed.compare(0, first.size(), first) != 0) std::abort();
        if (CharacterCount(first) != (n < count ? n : count)) std::abort();
        if (CharacterCount(typed.substr(first.size())) != count - CharacterCount(first))
            std::abort();
    }
    return 0;
}
