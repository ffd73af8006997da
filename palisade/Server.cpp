// The in-process server: object table, class factory, the four exports and
// what registration writes.

#include "palisade/Control.h"
#include "palisade/Module.h"
#include "palisade/resource.h"

#include "common/com/ComError.h"
#include "common/com/Registry.h"

#include <comcat.h>

#include <cstring>

namespace palisade {

namespace {

using bastide::com::ComPtr;
using bastide::com::GuidText;
using bastide::com::RegistryWriter;

constexpr wchar_t kLibraryWord[] = L"Palisade";
constexpr long kProgIdVersion = 5;
constexpr DWORD kMiscStatus = 140689;

// Kinds of entries: registered by CLSID only (0, and 3 for classes only the
// control makes), with a ProgID (1), the control (2); -1 ends the table.
enum Kind { kByClsid = 0, kWithProgId = 1, kTheControl = 2, kMadeByControl = 3, kEnd = -1 };

using CreateFn = HRESULT (*)(REFIID, void**);

template <class T>
HRESULT CreateObject(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return bastide::com::Guard([&] { return bastide::com::MakeObject<T>()->QueryInterface(iid, out); });
}

struct ControlData {
    DWORD miscStatus;
    int toolboxBitmap;
    const wchar_t* windowClass;
    const GUID* implemented[3];
    const GUID* required[1];
};

// Component categories: control, programmable, and the third the control implements.
const GUID kCatControl = {0x40FC6ED4, 0x2438, 0x11CF, {0xA3, 0xDB, 0x08, 0x00, 0x36, 0xF1, 0x25, 0x02}};
const GUID kCatProgrammable = {0x40FC6ED5, 0x2438, 0x11CF, {0xA3, 0xDB, 0x08, 0x00, 0x36, 0xF1, 0x25, 0x02}};
const GUID kCatThird = {0x40FC6ED9, 0x2438, 0x11CF, {0xA3, 0xDB, 0x08, 0x00, 0x36, 0xF1, 0x25, 0x02}};
const GUID kCatRequired = {0x0DE86A52, 0x2BAA, 0x11CF, {0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52}};

const ControlData kControlData = {kMiscStatus, IDB_TOOLBOX, kControlClass,
                                  {&kCatControl, &kCatProgrammable, &kCatThird}, {&kCatRequired}};

struct ObjectEntry {
    const CLSID* clsid;
    const wchar_t* name;
    const wchar_t* description;  // null: "%s Object" with the name
    bool apartment;
    CreateFn create;  // null: not creatable from outside
    int kind;
    const ControlData* control;
};

const ObjectEntry kObjects[] = {
    {&CLSID_PalisadeCtl, L"PalisadeCtl", L"Palisade Control 5.0", true, &Control::Create, kTheControl, &kControlData},
    {&CLSID_PlToolBar, L"PlToolBar", nullptr, true, nullptr, kMadeByControl, nullptr},
    {&CLSID_PlTool, L"PlTool", nullptr, true, nullptr, kMadeByControl, nullptr},
    {&CLSID_PlTools, L"PlTools", nullptr, true, nullptr, kMadeByControl, nullptr},
    {&CLSID_PlToolBars, L"PlToolBars", nullptr, true, nullptr, kMadeByControl, nullptr},
    {&CLSID_PlMenu, L"PlMenu", nullptr, true, nullptr, kMadeByControl, nullptr},
    {&CLSID_PlComboBox, L"PlComboBox", nullptr, true, nullptr, kMadeByControl, nullptr},
    {&CLSID_PlEdit, L"PlEdit", nullptr, true, nullptr, kMadeByControl, nullptr},
    {&CLSID_PlDataObject, L"PlDataObject", nullptr, true, &CreateObject<DataObject>, kWithProgId, nullptr},
    {&CLSID_PlDataObjectFiles, L"PlDataObjectFiles", nullptr, true, &CreateObject<DataObjectFiles>, kWithProgId, nullptr},
    {&CLSID_PlReturnLong, L"PlReturnLong", nullptr, true, &CreateObject<ReturnLong>, kWithProgId, nullptr},
    {&CLSID_PlReturnShort, L"PlReturnShort", nullptr, true, &CreateObject<ReturnShort>, kWithProgId, nullptr},
    {&CLSID_PlReturnBoolean, L"PlReturnBoolean", nullptr, true, &CreateObject<ReturnBoolean>, kWithProgId, nullptr},
    {nullptr, nullptr, nullptr, false, nullptr, kEnd, nullptr},
};

// ---- Class factory ------------------------------------------------------------------------

class ClassFactory : public bastide::com::ComObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(const ObjectEntry& entry) : entry_(entry) {}

    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {
            bastide::com::QiEntry::Of<ClassFactory, IClassFactory>(IID_IClassFactory), {}};
        return table;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_.create(iid, out);
    }

    STDMETHODIMP LockServer(BOOL lock) override {
        palisade::LockServer(lock != FALSE);
        return S_OK;
    }

private:
    const ObjectEntry& entry_;
};

// ---- Registration -------------------------------------------------------------------------------

std::wstring Description(const ObjectEntry& e) {
    return e.description ? e.description : std::wstring(e.name) + L" Object";
}

std::wstring ProgId(const ObjectEntry& e) { return std::wstring(kLibraryWord) + L"." + e.name; }

std::wstring VersionedProgId(const ObjectEntry& e) { return ProgId(e) + L"." + std::to_wstring(kProgIdVersion); }

bool HasProgId(const ObjectEntry& e) { return e.kind == kWithProgId || e.kind == kTheControl; }

// Writes one entry's keys. A failing write is not reported: registration goes on.
void WriteEntry(const RegistryWriter& reg, const ObjectEntry& e, const std::wstring& modulePath, WORD major,
                WORD minor) {
    const std::wstring clsidKey = L"CLSID\\" + GuidText(*e.clsid);
    const std::wstring description = Description(e);
    reg.SetString(clsidKey, L"", description);
    reg.SetString(clsidKey + L"\\InprocServer32", L"", modulePath);
    if (e.apartment) reg.SetString(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    else reg.DeleteValue(clsidKey + L"\\InprocServer32", L"ThreadingModel");

    if (HasProgId(e)) {
        reg.SetString(ProgId(e), L"", description);
        reg.SetString(ProgId(e) + L"\\CLSID", L"", GuidText(*e.clsid));
        reg.SetString(ProgId(e) + L"\\CurVer", L"", VersionedProgId(e));
        reg.SetString(VersionedProgId(e), L"", description);
        reg.SetString(VersionedProgId(e) + L"\\CLSID", L"", GuidText(*e.clsid));
        reg.SetString(clsidKey + L"\\VersionIndependentProgID", L"", ProgId(e));
        reg.SetString(clsidKey + L"\\ProgID", L"", VersionedProgId(e));
    }
    reg.SetString(clsidKey + L"\\TypeLib", L"", GuidText(LIBID_Palisade));
    reg.SetString(clsidKey + L"\\Version", L"", std::to_wstring(major) + L"." + std::to_wstring(minor));

    if (e.kind == kTheControl) {
        reg.CreateKey(clsidKey + L"\\Control");
        reg.SetString(clsidKey + L"\\MiscStatus", L"", L"0");
        reg.SetString(clsidKey + L"\\MiscStatus\\1", L"", std::to_wstring(e.control->miscStatus));
        reg.SetString(clsidKey + L"\\ToolboxBitmap32", L"",
                      modulePath + L", " + std::to_wstring(e.control->toolboxBitmap));
    }
}

void RemoveEntry(const RegistryWriter& reg, const ObjectEntry& e) {
    reg.DeleteTree(L"CLSID\\" + GuidText(*e.clsid));
    if (HasProgId(e)) {
        reg.DeleteTree(ProgId(e));
        reg.DeleteTree(VersionedProgId(e));
    }
}

void RegisterCategories(const ObjectEntry& e, bool add) {
    ComPtr<ICatRegister> cats;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                cats.PutVoid())))
        return;
    CATID implemented[3], required[1];
    for (int i = 0; i < 3; ++i) implemented[i] = *e.control->implemented[i];
    required[0] = *e.control->required[0];
    if (add) {
        cats->RegisterClassImplCategories(*e.clsid, 3, implemented);
        cats->RegisterClassReqCategories(*e.clsid, 1, required);
    } else {
        cats->UnRegisterClassImplCategories(*e.clsid, 3, implemented);
        cats->UnRegisterClassReqCategories(*e.clsid, 1, required);
    }
}

// The directory of the help file, when there is one: the "HelpFileDir" value of
// the library's settings key, else the module's directory, else its "Help\".
std::wstring HelpDirectory(const std::wstring& modulePath) {
    const wchar_t helpFile[] = L"Palisade50.chm";
    auto has = [&](const std::wstring& dir) {
        return GetFileAttributesW((dir + helpFile).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    wchar_t configured[MAX_PATH] = {};
    DWORD size = sizeof(configured) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Palisade\\5.0", L"HelpFileDir", RRF_RT_REG_SZ, nullptr,
                     configured, &size) == ERROR_SUCCESS &&
        configured[0]) {
        std::wstring dir = configured;
        if (dir.back() != L'\\') dir += L'\\';
        if (has(dir)) return dir;
    }
    std::wstring dir = modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);
    if (has(dir)) return dir;
    if (has(dir + L"Help\\")) return dir + L"Help\\";
    return {};
}

HRESULT Register() {
    std::wstring path = bastide::com::ModulePath(Module());
    ComPtr<ITypeLib> lib;
    // Nothing is written unless the module's own type library can be read.
    HRESULT hr = bastide::com::LoadModuleTypeLib(Module(), lib.Put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = lib->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    WORD major = attr->wMajorVerNum, minor = attr->wMinorVerNum;
    lib->ReleaseTLibAttr(attr);

    RegistryWriter reg;
    for (const ObjectEntry* e = kObjects; e->kind != kEnd; ++e) {
        WriteEntry(reg, *e, path, major, minor);
        if (e->control) RegisterCategories(*e, true);
    }
    std::wstring help = HelpDirectory(path);
    return RegisterTypeLib(lib.Get(), path.data(), help.empty() ? nullptr : help.data());
}

HRESULT Unregister() {
    RegistryWriter reg;
    for (const ObjectEntry* e = kObjects; e->kind != kEnd; ++e) {
        if (e->control) RegisterCategories(*e, false);
        RemoveEntry(reg, *e);
    }
    ComPtr<ITypeLib> lib;
    HRESULT hr = bastide::com::LoadModuleTypeLib(Module(), lib.Put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = lib->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    // A library that is not registered is no failure: unregistering twice leaves the same nothing.
    BSTR registeredPath = nullptr;
    if (SUCCEEDED(QueryPathOfRegTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                        &registeredPath))) {
        SysFreeString(registeredPath);
        hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    }
    lib->ReleaseTLibAttr(attr);
    // The library's key may stay as an empty shell on some systems: take it away.
    reg.DeleteIfEmpty(L"TypeLib\\" + GuidText(LIBID_Palisade));
    return hr;
}

} // namespace

} // namespace palisade

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        palisade::StartModule(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (!reserved) palisade::ReleaseTypeLib();  // unloaded, the process goes on
        palisade::StopModule();
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    for (const palisade::ObjectEntry* e = palisade::kObjects; e->kind != palisade::kEnd; ++e) {
        if (std::memcmp(e->clsid, &clsid, sizeof(CLSID)) != 0) continue;
        if (!e->create) return CLASS_E_CLASSNOTAVAILABLE;
        auto* factory = new (std::nothrow) palisade::ClassFactory(*e);
        if (!factory) return E_OUTOFMEMORY;
        HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();  // the caller holds the only reference
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return bastide::com::ObjectCount() == 0 ? S_OK : S_FALSE; }

HRESULT STDAPICALLTYPE DllRegisterServer() {
    return bastide::com::Guard([] { return palisade::Register(); });
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return bastide::com::Guard([] { return palisade::Unregister(); });
}

} // extern "C"
