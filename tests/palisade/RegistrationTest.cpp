// DllRegisterServer and DllUnregisterServer. CTest runs these tests alone in a
// Wine prefix of their own (palisade_registration), so that the registry they
// read holds nothing but what the library wrote.

#include "PalisadeTest.h"

#include <optional>

namespace palisade::test {
namespace {

using ServerFn = HRESULT(STDAPICALLTYPE*)();

HRESULT CallExport(HMODULE module, const char* name) {
    auto fn = ExportOf<ServerFn>(module, name);
    return fn ? fn() : E_FAIL;
}

std::optional<std::wstring> ReadValue(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t buf[1024];
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buf);
}

bool KeyExists(const std::wstring& key) {
    HKEY h;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::wstring Text(const GUID& g) {
    wchar_t buf[40];
    StringFromGUID2(g, buf, 40);
    return buf;
}

const std::wstring kControl = L"CLSID\\{41E6DDD6-FBD6-4718-80F7-9B160533C2F5}";
const std::wstring kLibrary = L"TypeLib\\{85202277-6C76-4228-BC56-7B3E69E8D5CA}";

const GUID* const kClasses[] = {&CLSID_PalisadeCtl, &CLSID_PlTool, &CLSID_PlTools, &CLSID_PlToolBar,
                                &CLSID_PlToolBars, &CLSID_PlMenu, &CLSID_PlComboBox, &CLSID_PlEdit,
                                &CLSID_PlReturnLong, &CLSID_PlReturnShort, &CLSID_PlReturnBoolean,
                                &CLSID_PlDataObject, &CLSID_PlDataObjectFiles};
const GUID* const kInterfaces[] = {&DIID_IPlToolBarControl, &DIID_DPlToolBarsEvents, &DIID_IPlTool,
                                   &DIID_IPlToolsCollection, &DIID_IPlToolBar, &DIID_IPlToolBarsCollection,
                                   &DIID_IPlComboBox, &DIID_IPlMenu, &DIID_IPlEdit, &DIID_IPlReturnLong,
                                   &DIID_IPlReturnShort, &DIID_IPlReturnBoolean, &DIID_IPlDataObject,
                                   &DIID_IPlDataObjectFiles, &IID_IPlToolImpl, &IID_IPlToolBarControlImpl};
const wchar_t* const kProgIds[] = {L"Palisade.PalisadeCtl", L"Palisade.PalisadeCtl.5", L"Palisade.PlReturnLong",
                                   L"Palisade.PlReturnBoolean.5", L"Palisade.PlDataObject"};

class Registration : public testing::Test {
protected:
    // Starts from nothing registered, whatever an interrupted run left.
    void SetUp() override { CallExport(Library(), "DllUnregisterServer"); }
    void TearDown() override { CallExport(Library(), "DllUnregisterServer"); }
};

struct KeyRow {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
};

TEST_F(Registration, WritesEveryKeyOfTheControl) {
    ASSERT_EQ(S_OK, CallExport(Library(), "DllRegisterServer"));
    const std::wstring path = LibraryPath();
    const KeyRow rows[] = {
        {kControl, nullptr, L"Palisade Control 5.0"},
        {kControl + L"\\InprocServer32", nullptr, path},
        {kControl + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {L"Palisade.PalisadeCtl", nullptr, L"Palisade Control 5.0"},
        {L"Palisade.PalisadeCtl\\CLSID", nullptr, L"{41E6DDD6-FBD6-4718-80F7-9B160533C2F5}"},
        {L"Palisade.PalisadeCtl\\CurVer", nullptr, L"Palisade.PalisadeCtl.5"},
        {L"Palisade.PalisadeCtl.5", nullptr, L"Palisade Control 5.0"},
        {L"Palisade.PalisadeCtl.5\\CLSID", nullptr, L"{41E6DDD6-FBD6-4718-80F7-9B160533C2F5}"},
        {kControl + L"\\VersionIndependentProgID", nullptr, L"Palisade.PalisadeCtl"},
        {kControl + L"\\ProgID", nullptr, L"Palisade.PalisadeCtl.5"},
        {kControl + L"\\TypeLib", nullptr, L"{85202277-6C76-4228-BC56-7B3E69E8D5CA}"},
        {kControl + L"\\Version", nullptr, L"5.0"},
        {kControl + L"\\MiscStatus", nullptr, L"0"},
        {kControl + L"\\MiscStatus\\1", nullptr, L"140689"},
        {kControl + L"\\ToolboxBitmap32", nullptr, path + L", 102"},
        {L"CLSID\\{595E0343-25E2-4CEC-ABB6-4C1F73E58152}", nullptr, L"PlTool Object"},
        {L"CLSID\\{CDA1CA05-8B5D-11D0-9BC0-0000C0F04C96}\\ProgID", nullptr, L"Palisade.PlReturnBoolean.5"},
    };
    for (const KeyRow& row : rows) {
        std::string where(row.key.begin(), row.key.end());
        std::optional<std::wstring> value = ReadValue(row.key, row.name);
        ASSERT_TRUE(value) << where;
        EXPECT_EQ(row.value, *value) << where;
    }
    EXPECT_TRUE(KeyExists(kControl + L"\\Control"));
    for (const wchar_t* cat : {L"{40FC6ED4-2438-11CF-A3DB-080036F12502}", L"{40FC6ED5-2438-11CF-A3DB-080036F12502}",
                               L"{40FC6ED9-2438-11CF-A3DB-080036F12502}"})
        EXPECT_TRUE(KeyExists(kControl + L"\\Implemented Categories\\" + cat));
    EXPECT_TRUE(KeyExists(kControl + L"\\Required Categories\\{0DE86A52-2BAA-11CF-A229-00AA003D7352}"));
    EXPECT_FALSE(KeyExists(L"Palisade.PlTool")) << "classes only the control makes have no ProgID";
}

TEST_F(Registration, RegistersTheTypeLibraryFromTheModule) {
    ASSERT_EQ(S_OK, CallExport(Library(), "DllRegisterServer"));
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_Palisade, 5, 0, 1033, lib.Put()));
    Bstr path;
    ASSERT_EQ(S_OK, QueryPathOfRegTypeLib(LIBID_Palisade, 5, 0, 1033, path.Put()));
    EXPECT_EQ(0, _wcsicmp(LibraryPath().c_str(), path.Get()));
    EXPECT_TRUE(KeyExists(L"Interface\\" + Text(DIID_IPlToolBarControl)));
}

TEST_F(Registration, AHostCreatesTheControlByItsProgId) {
    ASSERT_EQ(S_OK, CallExport(Library(), "DllRegisterServer"));
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Palisade.PalisadeCtl", &clsid));
    EXPECT_EQ(CLSID_PalisadeCtl, clsid);
    ComPtr<IDispatch> control;
    ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, DIID_IPlToolBarControl, control.PutVoid()));
    EXPECT_EQ(S_OK, Get(control.Get(), L"Tools").hr);
}

TEST_F(Registration, UnregisteringLeavesNothingBehind) {
    ASSERT_EQ(S_OK, CallExport(Library(), "DllRegisterServer"));
    ASSERT_EQ(S_OK, CallExport(Library(), "DllUnregisterServer"));
    for (const GUID* clsid : kClasses) EXPECT_FALSE(KeyExists(L"CLSID\\" + Text(*clsid)));
    for (const GUID* iid : kInterfaces) EXPECT_FALSE(KeyExists(L"Interface\\" + Text(*iid)));
    for (const wchar_t* progId : kProgIds) EXPECT_FALSE(KeyExists(progId));
    EXPECT_FALSE(KeyExists(kLibrary));
    // No key of the classes root is left with the library's word.
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(HKEY_CLASSES_ROOT, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        EXPECT_NE(0, _wcsnicmp(name, L"Palisade.", 9)) << "left: " << std::string(name, name + length);
    }
    EXPECT_EQ(S_OK, CallExport(Library(), "DllUnregisterServer")) << "unregistering twice is no failure";
}

// A copy of the library whose type library resource is damaged: registration
// stops before writing anything.
TEST_F(Registration, WritesNothingWhenItsTypeLibraryCannotBeRead) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring copy = std::wstring(temp) + L"Palisade50-damaged.dll";
    ASSERT_TRUE(CopyFileW(LibraryPath().c_str(), copy.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(nullptr, update);
    char junk[64] = "not a type library";
    ASSERT_TRUE(UpdateResourceW(update, L"TYPELIB", MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                junk, sizeof(junk)));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
    HMODULE stripped = LoadLibraryW(copy.c_str());
    ASSERT_NE(nullptr, stripped);
    ComPtr<ITypeLib> unreadable;
    ASSERT_TRUE(FAILED(LoadTypeLibEx(copy.c_str(), REGKIND_NONE, unreadable.Put()))) << "the copy is not damaged";
    EXPECT_TRUE(FAILED(CallExport(stripped, "DllRegisterServer")));
    EXPECT_FALSE(KeyExists(kControl));
    EXPECT_FALSE(KeyExists(L"Palisade.PalisadeCtl"));
    FreeLibrary(stripped);
    DeleteFileW(copy.c_str());
}

} // namespace
} // namespace palisade::test
