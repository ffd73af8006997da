#pragma once
// Reader and writer of profile files (the INI format of Windows), working on the
// file's bytes so that a write touches only the line it concerns.
//
// Rules, as the Windows profile functions apply them:
//  - "[name]" opens a section; "key=value" belongs to the last section opened; section
//    and key names match without regard to case; the first match in the file wins.
//  - Text in the file is in the ANSI code page, or in UTF-16 (little or big endian) when
//    the file begins with that byte order mark; it is UTF-16 on this side. A file that
//    begins with a UTF-8 mark (saved so by an editor) is read and written as UTF-8. A
//    file is never converted: its mark, byte order and line ends stay, and a new file is
//    ANSI. A file that is not valid text in its encoding (UTF-16 with an odd byte count,
//    bad UTF-8, a UTF-32 mark) reads as empty and every write to it fails.
//  - A value read back loses one pair of enclosing quotes (double or single).
//  - A read returns at most ReadLimit characters (the 1024-character buffer of the
//    profile functions, terminator included).
//  - A write replaces the value of an existing key in place, or adds "key=value" at the
//    end of the section (creating the section at the end of the file when needed);
//    an empty value removes the key's line; an empty key removes the whole section.
//    A file that does not end with a line end keeps that shape; lines added take the
//    file's line end (CR LF in a new file).
//    Every other line stays byte for byte as it was.
//  - The new text is written to a temporary file beside the old one (named by
//    NewTemporaryName) and moved over it in one step: a failed write leaves the old file
//    as it was.
#include <string>
#include <vector>

namespace ini {

constexpr size_t ReadLimit = 1023;

// Value of key in section, quotes stripped and cut at ReadLimit; "" when absent.
std::wstring ReadString(const std::wstring& path, const std::wstring& section, const std::wstring& key);

// The list forms hold what a 1024-character buffer of the profile functions holds: names
// each followed by a NUL, at most 1022 characters; when the names do not all fit, the list
// is cut there and its last name may be cut short, without a NUL after it.

// The key-list form: the names of the key=value lines of section (of its first occurrence).
std::wstring ReadKeyList(const std::wstring& path, const std::wstring& section);

// The section-list form: every section name in file order, duplicates included.
std::wstring ReadSectionList(const std::wstring& path);

// Every key name of section (of its first occurrence), however many there are.
std::vector<std::wstring> KeyNames(const std::wstring& path, const std::wstring& section);

// Writes key=value in section (its first occurrence); an empty value deletes the key (all
// its lines in that section); an empty key deletes the section (all its occurrences); an
// empty section writes nothing. Line breaks in the texts become spaces. Returns false when
// the file could not be read or written (the file is then unchanged).
bool WriteString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                 const std::wstring& value);

// Whether text survives being written to the file at path and read back: an ANSI file
// (a new one too) holds only the letters of the system's code page, the others would be
// written as "?".
bool CanHold(const std::wstring& path, const std::wstring& text);

// Lenient numeric parse of the runtime: blanks, tabs and line feeds skipped (anywhere),
// longest numeric prefix (sign, digits, decimal point, exponent E or D, "&H" hexadecimal,
// "&O" octal); empty or non-numeric text gives 0.
double ParseNumber(const std::wstring& text);
// ParseNumber rounded to the nearest integer (halves to even), clamped to 32 / 16 bits.
long ParseLong(const std::wstring& text);
short ParseShort(const std::wstring& text);

}  // namespace ini
