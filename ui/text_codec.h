#pragma once
// Texts in the control tables are UTF-8. The switcher's own texts are bytes,
// each standing for the character of the same code (Latin-1); these convert
// between the two at the edges, and count characters rather than bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace torvane {

// The length of the well-formed UTF-8 sequence at `at`, or 0 when the bytes
// there are not one (stray continuation bytes, overlong forms, surrogates,
// code points past U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at);

// Characters in `text`: a well-formed sequence counts once, and so does each
// byte that is not part of one.
std::size_t CharacterCount(const std::string& text);
// At most the first `count` characters of `text`, never a sequence cut in two.
std::string FirstCharacters(const std::string& text, std::size_t count);

// Each byte as the character of the same code.
std::string Latin1ToUtf8(const std::uint8_t* bytes, std::size_t count);

// Each character as the byte of its code. A text that is not UTF-8, or holds
// a character above U+00FF, gives nothing; `refused` then names the first
// character that does not fit (or "\xNN" for a byte that is not UTF-8).
std::optional<std::string> Utf8ToLatin1(const std::string& text, std::string* refused = nullptr);

}  // namespace torvane
