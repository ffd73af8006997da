#pragma once
// Reader and writer of profile files (the INI format of Windows), working on the
// file's bytes so that a write touches only the line it concerns.
//
// Rules, as the Windows profile functions apply them:
//  - "[name]" opens a section; "key=value" belongs to the last section opened; section
//    and key names match without regard to case; the first match in the file wins.
//  - Text in the file is in the ANSI code page; it is UTF-16 on this side.
//  - A value read back loses one pair of enclosing quotes (double or single).
//  - A read returns at most ReadLimit characters (the 1024-character buffer of the
//    profile functions, terminator included).
//  - A write replaces the value of an existing key in place, or adds "key=value" at the
//    end of the section (creating the section at the end of the file when needed);
//    an empty value removes the key's line; an empty key removes the whole section.
//    Every other line stays byte for byte as it was.
//  - The new text is written to a temporary file beside the old one and moved over it
//    in one step: a failed write leaves the old file as it was.
#include <string>
#include <vector>

namespace ini {

constexpr size_t ReadLimit = 1023;

// Value of key in section, quotes stripped and cut at ReadLimit; "" when absent.
std::wstring ReadString(const std::wstring& path, const std::wstring& section, const std::wstring& key);

// The key-list form: every key name of section, each followed by a NUL, cut to 1024 characters.
std::wstring ReadKeyList(const std::wstring& path, const std::wstring& section);

// The section-list form: every section name, each followed by a NUL, cut to 1024 characters.
std::wstring ReadSectionList(const std::wstring& path);

// Writes key=value in section; an empty value deletes the key; an empty key deletes the
// section. Returns false when the file could not be written (the file is then unchanged).
bool WriteString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                 const std::wstring& value);

// Lenient numeric parse of the runtime: leading blanks skipped, longest numeric prefix
// (sign, digits, decimal point, exponent, "&H" hexadecimal), rounded to the nearest
// integer (halves to even); empty or non-numeric text gives 0.
double ParseNumber(const std::wstring& text);
long ParseLong(const std::wstring& text);    // ParseNumber clamped to 32 bits
short ParseShort(const std::wstring& text);  // ParseNumber clamped to 16 bits

}  // namespace ini
