#pragma once
// EDID files as the EDID page takes them: 128 or 256 bytes holding an EDID
// base block with at most one extension block. The check is a parser of
// outside input; it judges bytes of any length and content, and says why a
// file is refused in words an operator can act on.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

inline constexpr std::size_t kEdidBlockSize = 128;
// Files are read up to this many bytes (an EDID has at most 255 extension
// blocks), and one more tells a longer file.
inline constexpr std::size_t kEdidReadLimit = 256 * kEdidBlockSize;

struct EdidFileJudgement {
    bool accepted = false;
    std::string reason;   // why the file is refused
    std::string warning;  // what an accepted file will not do as its author may expect
};

// Accepted: 128 or 256 bytes, the header 00 FF FF FF FF FF FF 00, an
// extension count (byte 126) of 0 or 1, a base block summing to 0 and, with
// one extension, an extension block summing to 0 (bytes a 128-byte file does
// not supply count as 00: accepted, with a warning).
EdidFileJudgement JudgeEdidFile(const std::uint8_t* bytes, std::size_t size);
bool IsAcceptedEdidFile(const std::uint8_t* bytes, std::size_t size);

// The message of a refused file: "Bad EDID file!", then the file and why.
std::string BadEdidFileMessage(const std::string& name, const std::string& reason);
// The message of an accepted file with a warning.
std::string EdidFileWarningMessage(const std::string& name, const std::string& warning);

enum class EdidFileVerdict { kAccepted, kBadFile, kUnreadable };
struct CheckedEdidFile {
    EdidFileVerdict verdict = EdidFileVerdict::kUnreadable;
    std::vector<std::uint8_t> bytes;  // the file as read (at most kEdidReadLimit + 1 bytes)
    std::string error;                // the system's reason, when unreadable
    std::string reason;               // why it is refused, when a bad file
    std::string warning;              // set for some accepted files
};
// Judges bytes already read (from standard input, say).
CheckedEdidFile CheckEdidBytes(std::vector<std::uint8_t> bytes);
// Reads a plain file and judges it.
CheckedEdidFile LoadEdidFile(const std::string& path);

}  // namespace torvane
