#pragma once
// Small writer of registration keys under the classes root: HKEY_CLASSES_ROOT for a
// machine-wide registration, or HKEY_CURRENT_USER\Software\Classes for one user.
// Keys are written one value at a time; removal takes a whole key with everything
// under it, so unregistering leaves nothing behind.

#include <windows.h>

#include <string>
#include <string_view>

namespace bastide::com {

enum class ClassesRoot { Machine, User };

class RegistryWriter {
public:
    explicit RegistryWriter(ClassesRoot root = ClassesRoot::Machine) : root_(root) {}

    // Sets a string value (name empty = the key's default value), creating the
    // key and its parents. Returns the system error code (ERROR_SUCCESS).
    LONG SetString(std::wstring_view key, std::wstring_view name, std::wstring_view value) const;
    // Creates a key with no value.
    LONG CreateKey(std::wstring_view key) const;
    // Deletes one named value; a missing value is not an error.
    LONG DeleteValue(std::wstring_view key, std::wstring_view name) const;
    // Deletes a key and all its subkeys; a missing key is not an error.
    LONG DeleteTree(std::wstring_view key) const;
    // Deletes a key only when it has no subkey and no value left.
    LONG DeleteIfEmpty(std::wstring_view key) const;

private:
    LONG Open(std::wstring_view key, REGSAM access, HKEY* out, bool create) const;
    ClassesRoot root_;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
std::wstring GuidText(const GUID& g);

} // namespace bastide::com
