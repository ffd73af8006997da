#include "palisade/Module.h"

#include "palisade/Hooks.h"
#include "palisade/MenuWindow.h"

#include "common/com/ComError.h"
#include "common/com/ComObject.h"
#include "common/com/Dispatch.h"

#include <cstdlib>
#include <ctime>
#include <map>

namespace palisade {

const wchar_t kControlClass[] = L"PlBarsWndClass";

namespace {

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

HMODULE module = nullptr;
CRITICAL_SECTION controlsLock, moduleDataLock;
// Never destroyed by the C runtime: at process exit oleaut32 may already be gone.
struct TypeCache {
    bastide::com::ComPtr<ITypeLib> lib;
    std::map<GUID, bastide::com::ComPtr<ITypeInfo>, GuidLess> infos;
};
TypeCache& cache = *new TypeCache;
HANDLE scrollExitEvent = nullptr;
DWORD tlsSlot = TLS_OUT_OF_INDEXES;
bool controlClassRegistered = false;

// Platform flags read at load: the NT family, a version above 3.51, NT 5 or later.
struct Platform {
    bool nt = true, above351 = true, nt5 = true;
} platform;

// Window classes of the bars, floaters, trackers and menus, registered at load.
struct WindowClassEntry {
    const wchar_t* name;
    UINT style;
    bool arrowCursor;
    int background;
    WNDPROC proc = nullptr;  // none: DefWindowProc
};
const WindowClassEntry kModuleClasses[] = {
    {L"PlDock", CS_DBLCLKS, true, 0},
    {L"PlTracker", CS_DBLCLKS, true, 0},
    {L"PlFloater", CS_DBLCLKS | CS_BYTEALIGNWINDOW, true, 0},
    {L"PlToolTip", CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS | CS_BYTEALIGNWINDOW, true, 0},
    {L"PlEditTool", CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS | CS_BYTEALIGNWINDOW, true, 0},
    {L"PlComboBox", CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS | CS_BYTEALIGNWINDOW, true, 0},
    {L"PlMenu", CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS | CS_BYTEALIGNWINDOW | CS_DROPSHADOW, true, COLOR_BTNFACE + 1,
     &MenuWindowProc},
    {kMessageWindowClass, 0, false, 0, &MessageWindowProc},
};
// Framework windows some hosts expect the library to own.
const wchar_t* const kFrameworkClasses[] = {L"CtlFrameWork_Parking", L"CtlFrameWork_ReflectWindow"};

void ReadPlatform() {
    OSVERSIONINFOW v = {sizeof(v)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&v)) return;
#pragma GCC diagnostic pop
    platform.nt = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    platform.above351 = !platform.nt || v.dwMajorVersion > 3 || (v.dwMajorVersion == 3 && v.dwMinorVersion > 51);
    platform.nt5 = platform.nt && v.dwMajorVersion >= 5;
}

void RegisterModuleClasses() {
    for (const WindowClassEntry& c : kModuleClasses) {
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.style = c.style;
        wc.lpfnWndProc = c.proc ? c.proc : DefWindowProcW;
        wc.hInstance = module;
        wc.hCursor = c.arrowCursor ? LoadCursorW(nullptr, IDC_ARROW) : nullptr;
        wc.hbrBackground = c.background ? reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(c.background)) : nullptr;
        wc.lpszClassName = c.name;
        RegisterClassExW(&wc);
    }
}

} // namespace

HMODULE Module() { return module; }
void SetModule(HMODULE m) { module = m; }

void LockServer(bool lock) {
    if (lock) bastide::com::AddObjectCount();
    else bastide::com::ReleaseObjectCount();
}

CRITICAL_SECTION& ControlsLock() { return controlsLock; }
CRITICAL_SECTION& ModuleDataLock() { return moduleDataLock; }

ITypeLib* TypeLib() {
    EnterCriticalSection(&moduleDataLock);
    HRESULT hr = S_OK;
    if (!cache.lib) hr = bastide::com::LoadModuleTypeLib(module, cache.lib.Put());
    ITypeLib* lib = cache.lib.Get();
    LeaveCriticalSection(&moduleDataLock);
    bastide::com::ThrowIfFailed(hr);
    return lib;
}

ITypeInfo* TypeInfoOf(const GUID& guid) {
    ITypeLib* lib = TypeLib();
    EnterCriticalSection(&moduleDataLock);
    auto it = cache.infos.find(guid);
    HRESULT hr = S_OK;
    ITypeInfo* info = nullptr;
    if (it != cache.infos.end()) {
        info = it->second.Get();
    } else {
        bastide::com::ComPtr<ITypeInfo> fresh;
        hr = lib->GetTypeInfoOfGuid(guid, fresh.Put());
        if (SUCCEEDED(hr)) info = (cache.infos[guid] = fresh).Get();
    }
    LeaveCriticalSection(&moduleDataLock);
    bastide::com::ThrowIfFailed(hr);
    return info;
}

std::wstring LoadText(unsigned id) {
    const wchar_t* text = nullptr;
    int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, n) : std::wstring();
}

HCURSOR ControlCursor(int kind) {
    int group = kind == 1 ? 113 : kind == 2 ? 112 : 111;
    return LoadCursorW(module, MAKEINTRESOURCEW(group));
}

void RegisterControlClass(WNDPROC proc) {
    EnterCriticalSection(&moduleDataLock);
    if (!controlClassRegistered) {
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = proc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kControlClass;
        controlClassRegistered = RegisterClassExW(&wc) != 0;
    }
    LeaveCriticalSection(&moduleDataLock);
}

void StartModule(HMODULE m) {
    module = m;
    ReadPlatform();
    InitializeCriticalSection(&controlsLock);
    InitializeCriticalSection(&moduleDataLock);
    srand(static_cast<unsigned>(time(nullptr)));
    scrollExitEvent = CreateEventW(nullptr, FALSE, FALSE, L"BarsScrollExitEvent");
    RegisterClipboardFormatW(L"PlToolDD");
    RegisterModuleClasses();
    tlsSlot = TlsAlloc();
}

void StopModule() {
    RemoveSharedHooks();
    for (const WindowClassEntry& c : kModuleClasses) UnregisterClassW(c.name, module);
    UnregisterClassW(kControlClass, module);
    for (const wchar_t* name : kFrameworkClasses) UnregisterClassW(name, module);
    if (tlsSlot != TLS_OUT_OF_INDEXES) TlsFree(tlsSlot);
    if (scrollExitEvent) CloseHandle(scrollExitEvent);
    DeleteCriticalSection(&controlsLock);
    DeleteCriticalSection(&moduleDataLock);
}

// Releases the cached type library when the module is unloaded while the
// process goes on (never at process exit, when oleaut32 may be gone).
void ReleaseTypeLib() {
    cache.infos.clear();
    cache.lib = nullptr;
}

} // namespace palisade
