#pragma once
// Text at the Windows API: the core's texts are UTF-8, the system's wide.

#include <string>

namespace torvane {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
// The system's own wording of an error code, without its line end.
std::string SystemErrorText(unsigned long error);

}  // namespace torvane
