#pragma once
// Conversions between the program's UTF-16 text and the bytes of a code page, with one
// policy for characters the code page lacks: no best-fit look-alike (a path must never
// silently turn into another existing path); they become the code page's default
// character and fail visibly where they are used.
#include <windows.h>

#include <string>

namespace text {

std::string ToCodePage(const std::wstring& text, UINT codePage);
std::wstring FromCodePage(const std::string& bytes, UINT codePage);

// The system's ANSI code page: the settings file, the error logs, the control's stream.
inline std::string ToAnsi(const std::wstring& text) { return ToCodePage(text, CP_ACP); }
inline std::wstring FromAnsi(const std::string& bytes) { return FromCodePage(bytes, CP_ACP); }

}  // namespace text
