#include "common/com/Dispatch.h"

#include <vector>

namespace bastide::com {

std::wstring ModulePath(HMODULE module) {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** out, int index) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::wstring path = ModulePath(module);
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    // LoadTypeLibEx reads "path\n" as resource n of the module.
    if (index != 1) path += L"\\" + std::to_wstring(index);
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, out);
}

} // namespace bastide::com
