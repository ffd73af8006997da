// The shared COM helpers: the guard at COM entry points, automation errors, the
// VARIANT enumerator and the registry writer.

#include <gtest/gtest.h>

#include "common/com/Bstr.h"
#include "common/com/ComError.h"
#include "common/com/EnumVariant.h"
#include "common/com/Registry.h"

#include <stdexcept>

namespace bastide::com {
namespace {

std::wstring CurrentErrorText() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info) return L"(none)";
    Bstr text, source;
    info->GetDescription(text.Put());
    info->GetSource(source.Put());
    return source.Str() + L": " + text.Str();
}

TEST(Guard, TurnsEachKindOfExceptionIntoItsResult) {
    EXPECT_EQ(S_OK, Guard([] {}));
    EXPECT_EQ(S_FALSE, Guard([] { return S_FALSE; }));
    EXPECT_EQ(E_ACCESSDENIED, Guard([] { throw ComError(E_ACCESSDENIED); }));
    EXPECT_EQ(E_OUTOFMEMORY, Guard([] { throw std::bad_alloc(); }));
    EXPECT_EQ(E_UNEXPECTED, Guard([] { throw std::runtime_error("anything else"); }));
}

TEST(Guard, PublishesAnAutomationErrorAndClearsItOnTheNextCall) {
    HRESULT hr = Guard([] { throw AutomationError(380, L"Invalid property value", L"Palisade"); });
    EXPECT_EQ(static_cast<HRESULT>(0x800A017C), hr);
    EXPECT_EQ(L"Palisade: Invalid property value", CurrentErrorText());
    Guard([] { throw AutomationError(40002, L"Invalid Index value was passed in"); });
    EXPECT_EQ(S_OK, Guard([] {}));
    EXPECT_EQ(L"(none)", CurrentErrorText()) << "a success leaves no stale error";
}

TEST(Guard, OutParametersAreCheckedAndCleared) {
    long* none = nullptr;
    EXPECT_EQ(E_POINTER, GuardOut(none, [] {}));
    long value = 42;
    EXPECT_EQ(E_FAIL, GuardOut(&value, [] { throw ComError(E_FAIL); }));
    EXPECT_EQ(0, value) << "a failed call hands back nothing";
}

TEST(AutomationError, NumbersMapIntoTheControlFacility) {
    EXPECT_EQ(static_cast<HRESULT>(0x800A9C42), AutomationError::HresultOf(40002));
    EXPECT_EQ(static_cast<HRESULT>(0x800A0035), AutomationError::HresultOf(53));
}

TEST(EnumVariant, WalksItsSnapshotAndReportsTheEnd) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, MakeEnumVariant({Variant::FromLong(1), Variant::FromLong(2), Variant::FromLong(3)}, unknown.Put()));
    ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(S_OK, unknown.As(IID_IEnumVARIANT, e));
    VARIANT out[4];
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, e->Next(2, out, &fetched));
    EXPECT_EQ(2u, fetched);
    EXPECT_EQ(2, V_I4(&out[1]));
    ComPtr<IEnumVARIANT> copy;
    ASSERT_EQ(S_OK, e->Clone(copy.Put()));
    EXPECT_EQ(S_FALSE, e->Next(4, out + 2, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(3, V_I4(&out[2]));
    EXPECT_EQ(S_OK, copy->Next(1, &out[3], nullptr)) << "the clone keeps its own position";
    EXPECT_EQ(3, V_I4(&out[3]));
    EXPECT_EQ(S_FALSE, e->Skip(1));
    EXPECT_EQ(S_OK, e->Reset());
    EXPECT_EQ(S_OK, e->Skip(3));
    EXPECT_EQ(E_POINTER, e->Next(2, out, nullptr)) << "several items need a count";
}

TEST(GuidText, IsBracedUpperCase) {
    const GUID g = {0x41e6ddd6, 0xfbd6, 0x4718, {0x80, 0xf7, 0x9b, 0x16, 0x05, 0x33, 0xc2, 0xf5}};
    EXPECT_EQ(L"{41E6DDD6-FBD6-4718-80F7-9B160533C2F5}", GuidText(g));
}

class RegistryWriterTest : public testing::Test {
protected:
    RegistryWriter user{ClassesRoot::User};
    const std::wstring root = L"BastideTest.Writer";
    void TearDown() override { user.DeleteTree(root); }

    static bool Exists(const std::wstring& key) {
        HKEY h;
        std::wstring full = L"Software\\Classes\\" + key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
        RegCloseKey(h);
        return true;
    }
};

TEST_F(RegistryWriterTest, WritesNestedKeysUnderTheUsersClasses) {
    ASSERT_EQ(ERROR_SUCCESS, user.SetString(root + L"\\CLSID\\Deep", L"", L"valeur été"));
    ASSERT_EQ(ERROR_SUCCESS, user.SetString(root, L"Name", L"nom"));
    wchar_t buf[64];
    DWORD size = sizeof(buf);
    std::wstring key = L"Software\\Classes\\" + root + L"\\CLSID\\Deep";
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buf, &size));
    EXPECT_EQ(std::wstring(L"valeur été"), buf);
}

TEST_F(RegistryWriterTest, DeleteTreeLeavesNothingAndAMissingKeyIsNoError) {
    user.SetString(root + L"\\A\\B\\C", L"", L"x");
    user.CreateKey(root + L"\\Empty");
    ASSERT_EQ(ERROR_SUCCESS, user.DeleteTree(root));
    EXPECT_FALSE(Exists(root));
    EXPECT_EQ(ERROR_SUCCESS, user.DeleteTree(root));
    EXPECT_EQ(ERROR_SUCCESS, user.DeleteValue(root, L"Absent"));
}

TEST_F(RegistryWriterTest, DeleteIfEmptyKeepsAKeyThatStillHoldsSomething) {
    user.SetString(root + L"\\Child", L"", L"x");
    ASSERT_EQ(ERROR_SUCCESS, user.DeleteIfEmpty(root));
    EXPECT_TRUE(Exists(root));
    user.DeleteTree(root + L"\\Child");
    ASSERT_EQ(ERROR_SUCCESS, user.DeleteIfEmpty(root));
    EXPECT_FALSE(Exists(root));
}

} // namespace
} // namespace bastide::com
