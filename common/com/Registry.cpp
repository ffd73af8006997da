#include "common/com/Registry.h"

#include <cstdio>

namespace bastide::com {

namespace {

std::wstring FullKey(ClassesRoot root, std::wstring_view key) {
    std::wstring k = root == ClassesRoot::User ? L"Software\\Classes\\" : L"";
    k += key;
    return k;
}

HKEY RootKey(ClassesRoot root) { return root == ClassesRoot::User ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT; }

} // namespace

LONG RegistryWriter::Open(std::wstring_view key, REGSAM access, HKEY* out, bool create) const {
    std::wstring k = FullKey(root_, key);
    if (create)
        return RegCreateKeyExW(RootKey(root_), k.c_str(), 0, nullptr, 0, access, nullptr, out, nullptr);
    return RegOpenKeyExW(RootKey(root_), k.c_str(), 0, access, out);
}

LONG RegistryWriter::SetString(std::wstring_view key, std::wstring_view name, std::wstring_view value) const {
    HKEY h;
    LONG rc = Open(key, KEY_SET_VALUE, &h, true);
    if (rc != ERROR_SUCCESS) return rc;
    std::wstring n(name), v(value);
    rc = RegSetValueExW(h, n.empty() ? nullptr : n.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                        static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc;
}

LONG RegistryWriter::CreateKey(std::wstring_view key) const {
    HKEY h;
    LONG rc = Open(key, KEY_READ, &h, true);
    if (rc == ERROR_SUCCESS) RegCloseKey(h);
    return rc;
}

LONG RegistryWriter::DeleteValue(std::wstring_view key, std::wstring_view name) const {
    HKEY h;
    LONG rc = Open(key, KEY_SET_VALUE, &h, false);
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    std::wstring n(name);
    rc = RegDeleteValueW(h, n.c_str());
    RegCloseKey(h);
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

LONG RegistryWriter::DeleteTree(std::wstring_view key) const {
    std::wstring k = FullKey(root_, key);
    LONG rc = RegDeleteTreeW(RootKey(root_), k.c_str());
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    rc = RegDeleteKeyW(RootKey(root_), k.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

LONG RegistryWriter::DeleteIfEmpty(std::wstring_view key) const {
    HKEY h;
    LONG rc = Open(key, KEY_READ, &h, false);
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    DWORD subkeys = 0, values = 0;
    rc = RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                          nullptr, nullptr);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) return rc;
    if (subkeys || values) return ERROR_SUCCESS;
    std::wstring k = FullKey(root_, key);
    return RegDeleteKeyW(RootKey(root_), k.c_str());
}

std::wstring GuidText(const GUID& g) {
    wchar_t buf[40];
    swprintf(buf, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(g.Data1),
             g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
             g.Data4[7]);
    return buf;
}

} // namespace bastide::com
