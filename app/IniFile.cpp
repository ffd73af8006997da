#include "app/IniFile.h"

#include "common/Files.h"
#include "common/Text.h"

#include <windows.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace ini {
namespace {

// ---- The file as lines of bytes ----

enum class LineKind {
    Blank,     // nothing but blanks
    Comment,   // first character ';'
    Section,   // "[name]"
    Entry,     // "key=value", or a bare word (a key without value)
};

struct Line {
    std::string bytes;  // the line without its end
    std::string end;    // "\r\n", "\n", "\r", or "" for a last line without one
    LineKind kind = LineKind::Blank;
    std::wstring name;  // section or key name, blanks around it removed
    std::wstring value; // value of an entry, blanks around it removed, quotes kept
    bool hasValue = false;
};

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct Document {
    std::string prefix;  // the byte order mark, kept as it was
    Encoding encoding = Encoding::Ansi;
    std::vector<Line> lines;
    std::string newLineEnd = "\r\n";  // the file's own style and encoding, for lines we add
};

constexpr size_t ListLimit = 1024;  // buffer of the list forms, terminators included

// Ctrl-Z is a blank too: files copied from old DOS tools end with one.
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
           c == 0x1A;
}

std::wstring TrimBlanks(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

size_t UnitSize(Encoding encoding) {
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be ? 2 : 1;
}

// The code unit at pos: a byte, or a UTF-16 unit in the file's byte order.
unsigned UnitAt(const std::string& bytes, size_t pos, Encoding encoding) {
    auto byte = [&](size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])); };
    if (encoding == Encoding::Utf16Le) return byte(pos) | byte(pos + 1) << 8;
    if (encoding == Encoding::Utf16Be) return byte(pos) << 8 | byte(pos + 1);
    return byte(pos);
}

std::wstring Decode(const std::string& bytes, Encoding encoding) {
    if (bytes.empty()) return {};
    if (UnitSize(encoding) == 2) {
        std::wstring text;
        for (size_t pos = 0; pos + 1 < bytes.size(); pos += 2)
            text += static_cast<wchar_t>(UnitAt(bytes, pos, encoding));
        return text;
    }
    return text::FromCodePage(bytes, encoding == Encoding::Utf8 ? CP_UTF8 : CP_ACP);
}

std::string Encode(const std::wstring& text, Encoding encoding) {
    if (text.empty()) return {};
    if (UnitSize(encoding) == 2) {
        std::string bytes;
        for (wchar_t c : text) {
            char high = static_cast<char>(c >> 8);
            char low = static_cast<char>(c & 0xFF);
            bytes += encoding == Encoding::Utf16Le ? std::string{low, high} : std::string{high, low};
        }
        return bytes;
    }
    return text::ToCodePage(text, encoding == Encoding::Utf8 ? CP_UTF8 : CP_ACP);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void Classify(Line& line, Encoding encoding) {
    std::wstring text = TrimBlanks(Decode(line.bytes, encoding));
    line.name.clear();
    line.value.clear();
    line.hasValue = false;
    if (text.empty()) {
        line.kind = LineKind::Blank;
        return;
    }
    if (text[0] == L';') {
        line.kind = LineKind::Comment;
        return;
    }
    if (text[0] == L'[') {
        // The name runs to the last ']' of the line: "[a]b]" is section "a]b",
        // "[a] ; note" is section "a". Without any ']' the line is an entry.
        size_t close = text.rfind(L']');
        if (close != std::wstring::npos) {
            line.kind = LineKind::Section;
            line.name = TrimBlanks(text.substr(1, close - 1));
            return;
        }
    }
    line.kind = LineKind::Entry;
    size_t equal = text.find(L'=');
    if (equal == std::wstring::npos) {
        line.name = text;
        return;
    }
    line.name = TrimBlanks(text.substr(0, equal));
    line.value = TrimBlanks(text.substr(equal + 1));
    line.hasValue = true;
}

// The encoding is told by the byte order mark alone, as the system's reader tells it.
// A file that cannot be taken as text in that encoding is refused (false): every write
// to it fails rather than mixing another encoding into it, and it reads as empty.
//  - UTF-16 with an odd number of bytes after its mark: its last character is cut.
//  - UTF-8 bytes that are not valid UTF-8: a value read and written back would lose the
//    letters that cannot be decoded.
//  - A UTF-32 mark: the text would be taken as UTF-16 with a NUL after every letter.
// A UTF-8 mark is not one of the system's: its reader takes the mark for ANSI letters
// glued to the first line and loses the first section. Reading the file as UTF-8 and
// adding lines in UTF-8 keeps the user's settings and the file whole.
bool DetectEncoding(const std::string& bytes, Document& doc) {
    auto starts = [&](const char* mark, size_t length) { return bytes.compare(0, length, mark, length) == 0; };
    if (starts("\xFF\xFE\0\0", 4) || starts("\0\0\xFE\xFF", 4)) return false;
    if (starts("\xEF\xBB\xBF", 3)) {
        doc.encoding = Encoding::Utf8;
    } else if (starts("\xFF\xFE", 2)) {
        doc.encoding = Encoding::Utf16Le;
    } else if (starts("\xFE\xFF", 2)) {
        doc.encoding = Encoding::Utf16Be;
    } else {
        return true;
    }
    doc.prefix = bytes.substr(0, doc.encoding == Encoding::Utf8 ? 3 : 2);
    size_t body = bytes.size() - doc.prefix.size();
    if (doc.encoding == Encoding::Utf8 && body > 0) {
        int length = static_cast<int>(body);
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + 3, length, nullptr, 0) <= 0)
            return false;
    }
    if (UnitSize(doc.encoding) == 2 && body % 2 != 0) return false;
    doc.newLineEnd = Encode(L"\r\n", doc.encoding);
    return true;
}

// Lines end at CR LF, LF or a lone CR, as the system's own reader takes them; in UTF-16
// these are whole code units, so a letter such as U+0D0A never splits a line.
bool Parse(const std::string& bytes, Document& doc) {
    doc = Document{};
    if (!DetectEncoding(bytes, doc)) return false;
    const Encoding encoding = doc.encoding;
    const size_t unit = UnitSize(encoding);
    auto isBreak = [&](size_t at) {
        unsigned c = UnitAt(bytes, at, encoding);
        return c == L'\r' || c == L'\n';
    };
    size_t pos = doc.prefix.size();
    bool styleKnown = false;
    while (pos < bytes.size()) {
        size_t stop = pos;
        while (stop < bytes.size() && !isBreak(stop)) stop += unit;
        Line line;
        line.bytes = bytes.substr(pos, stop - pos);
        if (stop == bytes.size()) {
            pos = stop;
        } else {
            bool crLf = UnitAt(bytes, stop, encoding) == L'\r' && stop + unit < bytes.size() &&
                        UnitAt(bytes, stop + unit, encoding) == L'\n';
            size_t endLength = crLf ? 2 * unit : unit;
            line.end = bytes.substr(stop, endLength);
            pos = stop + endLength;
            if (!styleKnown) {
                doc.newLineEnd = line.end;
                styleKnown = true;
            }
        }
        Classify(line, encoding);
        doc.lines.push_back(std::move(line));
    }
    return true;
}

std::string Serialize(const Document& doc) {
    std::string bytes = doc.prefix;
    for (const Line& line : doc.lines) bytes += line.bytes + line.end;
    return bytes;
}

// ---- Sections and keys ----

constexpr size_t NotFound = static_cast<size_t>(-1);

// Index of the header of the first section named name, or NotFound. Later sections of
// the same name are invisible, as they are to the system's reader.
size_t FindSection(const Document& doc, const std::wstring& name) {
    if (name.empty()) return NotFound;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == LineKind::Section && SameName(line.name, name)) return i;
    }
    return NotFound;
}

// One past the last line of the section whose header is at index header.
size_t SectionEnd(const Document& doc, size_t header) {
    size_t i = header + 1;
    while (i < doc.lines.size() && doc.lines[i].kind != LineKind::Section) ++i;
    return i;
}

// Index of the first entry named key in the section, or NotFound. A bare word counts:
// it hides a later "key=value" of the same name.
size_t FindEntry(const Document& doc, size_t header, const std::wstring& key) {
    if (key.empty()) return NotFound;
    size_t end = SectionEnd(doc, header);
    for (size_t i = header + 1; i < end; ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == LineKind::Entry && SameName(line.name, key)) return i;
    }
    return NotFound;
}

// One pair of matching quotes around the value is taken off; "abc (no closing quote)
// and a lone quote stay as they are.
std::wstring StripQuotes(const std::wstring& value) {
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The list forms: names each followed by a NUL, cut as a buffer of ListLimit characters
// cuts them (two places are kept for the terminators of a list that does not fit).
std::wstring JoinNames(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (const std::wstring& name : names) {
        list += name;
        list += L'\0';
        if (list.size() >= ListLimit - 2) break;
    }
    if (list.size() > ListLimit - 2) list.resize(ListLimit - 2);
    return list;
}

// ---- File access ----

using files::ReadResult;


// ---- Edits ----

// A NUL ends a name or a value (the texts are C strings to the system), and a line
// break would split the line: "key=a", then a line "b" read as something else.
std::wstring OneLine(const std::wstring& text) {
    std::wstring line = text.substr(0, text.find(L'\0'));
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    return line;
}

// Adds a line at index at. A file without a final line end keeps that shape: the line
// before takes the line end and the new last line goes without one.
void InsertLine(Document& doc, size_t at, const std::wstring& text) {
    Line line;
    line.bytes = Encode(text, doc.encoding);
    line.end = doc.newLineEnd;
    if (at == doc.lines.size() && at > 0 && doc.lines[at - 1].end.empty()) {
        doc.lines[at - 1].end = doc.newLineEnd;
        line.end.clear();
    }
    Classify(line, doc.encoding);
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

// Removes lines [from, to). When they ended the file, the line before them keeps its
// line end as it was: no other line changes.
void EraseLines(Document& doc, size_t from, size_t to) {
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(from),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(to));
}

// Every occurrence goes, as every entry of a deleted key does below: a duplicate left
// behind would bring the deleted settings back on the next read.
bool RemoveSection(Document& doc, const std::wstring& section) {
    bool removed = false;
    for (size_t header = FindSection(doc, section); header != NotFound; header = FindSection(doc, section)) {
        EraseLines(doc, header, SectionEnd(doc, header));
        removed = true;
    }
    return removed;
}

// Every entry of that name in the section goes: a duplicate left behind would bring the
// deleted value back on the next read.
bool RemoveKey(Document& doc, const std::wstring& section, const std::wstring& key) {
    size_t header = FindSection(doc, section);
    if (header == NotFound) return false;
    bool removed = false;
    for (size_t at = FindEntry(doc, header, key); at != NotFound; at = FindEntry(doc, header, key)) {
        EraseLines(doc, at, at + 1);
        removed = true;
    }
    return removed;
}

// After the section's last key=value line, so that blank lines and comments that close
// the section stay where they are.
size_t InsertionPoint(const Document& doc, size_t header) {
    size_t end = SectionEnd(doc, header);
    size_t after = header + 1;
    for (size_t i = header + 1; i < end; ++i) {
        if (doc.lines[i].kind == LineKind::Entry && doc.lines[i].hasValue) after = i + 1;
    }
    return after;
}

void SetValue(Document& doc, const std::wstring& section, const std::wstring& key,
              const std::wstring& value) {
    size_t header = FindSection(doc, section);
    if (header == NotFound) {
        InsertLine(doc, doc.lines.size(), L"[" + section + L"]");
        InsertLine(doc, doc.lines.size(), key + L"=" + value);
        return;
    }
    size_t at = FindEntry(doc, header, key);
    if (at == NotFound) {
        InsertLine(doc, InsertionPoint(doc, header), key + L"=" + value);
        return;
    }
    Line& line = doc.lines[at];
    if (line.hasValue && line.value == value) return;
    line.bytes = Encode(line.name + L"=" + value, doc.encoding);
    Classify(line, doc.encoding);
}

// ---- Numbers ----

bool IsDigitIn(wchar_t c, int radix) {
    if (radix == 16) return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    if (radix == 8) return c >= L'0' && c <= L'7';
    return c >= L'0' && c <= L'9';
}

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return c - L'A' + 10;
}

// "&H" and "&O" numbers take the type of their value as the runtime does: up to 16 bits
// an Integer (so "&HFFFF" is -1), up to 32 bits a Long ("&HFFFFFFFF" is -1).
double ParseRadix(const std::wstring& text, size_t pos, int radix) {
    uint64_t value = 0;
    bool any = false;
    for (; pos < text.size() && IsDigitIn(text[pos], radix); ++pos) {
        any = true;
        if (value <= (std::numeric_limits<uint64_t>::max() >> 4))
            value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(DigitValue(text[pos]));
    }
    if (!any) return 0;
    if (value <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(value));
    if (value <= 0xFFFFFFFF) return static_cast<int32_t>(static_cast<uint32_t>(value));
    return static_cast<double>(value);
}

double ParseDecimal(const std::wstring& text, size_t pos) {
    std::string number;
    if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
        if (text[pos] == L'-') number += '-';
        ++pos;
    }
    size_t digits = 0;
    for (; pos < text.size() && IsDigitIn(text[pos], 10); ++pos, ++digits) number += static_cast<char>(text[pos]);
    if (pos < text.size() && text[pos] == L'.') {
        number += '.';
        for (++pos; pos < text.size() && IsDigitIn(text[pos], 10); ++pos, ++digits)
            number += static_cast<char>(text[pos]);
    }
    if (digits == 0) return 0;
    bool hugeExponent = false;
    if (pos < text.size() && (text[pos] == L'e' || text[pos] == L'E' || text[pos] == L'd' || text[pos] == L'D')) {
        std::string exponent = "e";
        size_t at = pos + 1;
        if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) {
            exponent += static_cast<char>(text[at]);
            ++at;
        }
        bool any = false;
        for (; at < text.size() && IsDigitIn(text[at], 10); ++at) {
            exponent += static_cast<char>(text[at]);
            any = true;
        }
        if (any) {
            number += exponent;
            hugeExponent = exponent[1] != '-';
        }
    }
    double value = 0;
    const char* first = number.data();
    const char* last = first + number.size();
    auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        if (!hugeExponent) return 0;
        return number[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    if (error != std::errc()) return 0;
    return value;
}

// Rounds to the nearest integer, halves to the even one, then holds the result to the
// range of the field: an absurd value in the file gives the nearest value that fits.
template <typename Int>
Int RoundToWidth(double value) {
    if (std::isnan(value)) return 0;
    double rounded = std::nearbyint(value);
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
    return static_cast<Int>(rounded);
}

Document Load(const std::wstring& path) {
    std::string bytes;
    Document doc;
    if (files::ReadWhole(path, bytes) != ReadResult::Read || !Parse(bytes, doc)) return {};
    return doc;
}

}  // namespace

std::wstring ReadString(const std::wstring& path, const std::wstring& section, const std::wstring& key) {
    Document doc = Load(path);
    size_t header = FindSection(doc, TrimBlanks(section));
    if (header == NotFound) return {};
    size_t at = FindEntry(doc, header, TrimBlanks(key));
    if (at == NotFound || !doc.lines[at].hasValue) return {};
    std::wstring value = StripQuotes(doc.lines[at].value);
    if (value.size() > ReadLimit) value.resize(ReadLimit);
    return value;
}

std::vector<std::wstring> KeyNames(const std::wstring& path, const std::wstring& section) {
    Document doc = Load(path);
    size_t header = FindSection(doc, TrimBlanks(section));
    if (header == NotFound) return {};
    std::vector<std::wstring> names;
    size_t end = SectionEnd(doc, header);
    for (size_t i = header + 1; i < end; ++i) {
        const Line& line = doc.lines[i];
        // A bare word is no key, and an empty name would end the list early for a
        // reader that stops at the first empty name.
        if (line.kind == LineKind::Entry && line.hasValue && !line.name.empty()) names.push_back(line.name);
    }
    return names;
}

std::wstring ReadKeyList(const std::wstring& path, const std::wstring& section) {
    return JoinNames(KeyNames(path, section));
}

std::wstring ReadSectionList(const std::wstring& path) {
    Document doc = Load(path);
    std::vector<std::wstring> names;
    for (const Line& line : doc.lines) {
        if (line.kind == LineKind::Section && !line.name.empty()) names.push_back(line.name);
    }
    return JoinNames(names);
}

bool WriteString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                 const std::wstring& value) {
    std::wstring sectionName = TrimBlanks(OneLine(section));
    if (sectionName.empty()) return true;
    std::wstring keyName = TrimBlanks(OneLine(key));
    std::wstring text = OneLine(value);

    std::string before;
    ReadResult loaded = files::ReadWhole(path, before);
    // A file that exists but cannot be read or understood is never overwritten: its
    // settings would be lost.
    if (loaded == ReadResult::Failed) return false;
    Document doc;
    if (!Parse(before, doc)) return false;

    if (keyName.empty()) {
        if (!RemoveSection(doc, sectionName)) return true;
    } else if (text.empty()) {
        if (!RemoveKey(doc, sectionName, keyName)) return true;
    } else {
        SetValue(doc, sectionName, keyName, text);
    }
    std::string after = Serialize(doc);
    if (loaded == ReadResult::Read && after == before) return true;
    return files::Replace(path, after);
}

bool CanHold(const std::wstring& path, const std::wstring& text) {
    std::string bytes;
    Document doc;
    if (files::ReadWhole(path, bytes) == ReadResult::Read && !Parse(bytes, doc)) return false;
    return Decode(Encode(text, doc.encoding), doc.encoding) == text;
}

double ParseNumber(const std::wstring& text) {
    // The runtime drops blanks, tabs and line feeds anywhere before it reads: " 1 2" is 12.
    std::wstring packed;
    for (wchar_t c : text) {
        if (c != L' ' && c != L'\t' && c != L'\n') packed += c;
    }
    if (packed.size() >= 2 && packed[0] == L'&') {
        if (packed[1] == L'H' || packed[1] == L'h') return ParseRadix(packed, 2, 16);
        if (packed[1] == L'O' || packed[1] == L'o') return ParseRadix(packed, 2, 8);
        return 0;
    }
    return ParseDecimal(packed, 0);
}

long ParseLong(const std::wstring& text) { return RoundToWidth<int32_t>(ParseNumber(text)); }

short ParseShort(const std::wstring& text) { return RoundToWidth<int16_t>(ParseNumber(text)); }

}  // namespace ini
