#include "common/TempName.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

namespace {

constexpr size_t NameLength = 33;  // "~bst" 16 "-" 8 ".tmp"

// FNV-1a over the 16 digits, mixed with a key of the program's own.
uint32_t CheckOf(const wchar_t* digits) {
    uint32_t hash = 0x811C9DC5u ^ 0x42A57D1Eu;
    for (int i = 0; i < 16; ++i) {
        hash ^= static_cast<uint32_t>(digits[i]);
        hash *= 0x01000193u;
    }
    return hash;
}

bool IsLowerHex(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); }

}  // namespace

std::wstring NewTemporaryName() {
    static uint32_t counter = GetTickCount();
    wchar_t digits[17];
    swprintf(digits, 17, L"%08lx%08lx", static_cast<unsigned long>(GetCurrentProcessId()),
             static_cast<unsigned long>(++counter));
    wchar_t name[NameLength + 1];
    swprintf(name, NameLength + 1, L"~bst%ls-%08lx.tmp", digits, static_cast<unsigned long>(CheckOf(digits)));
    return name;
}

bool IsTemporaryName(const std::wstring& name) {
    if (name.size() != NameLength || name.compare(0, 4, L"~bst") != 0 || name[20] != L'-' ||
        name.compare(29, 4, L".tmp") != 0) {
        return false;
    }
    for (size_t i = 4; i < 29; ++i)
        if (i != 20 && !IsLowerHex(name[i])) return false;
    wchar_t check[9];
    swprintf(check, 9, L"%08lx", static_cast<unsigned long>(CheckOf(name.c_str() + 4)));
    return name.compare(21, 8, check) == 0;
}
