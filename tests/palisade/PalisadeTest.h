#pragma once
// Shared helpers of the control library's tests: the library loaded from beside
// the test program (as a host without registration does), typed access to its
// objects, and late-bound calls through IDispatch.

#include <gtest/gtest.h>

#include "common/com/Bstr.h"
#include "common/com/ComObject.h"
#include "common/com/ComPtr.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "Palisade_h.h"

#include <string>
#include <vector>

namespace palisade::test {

using bastide::com::Bstr;
using bastide::com::ComPtr;
using bastide::com::Variant;

constexpr HRESULT ErrorOf(long number) { return static_cast<HRESULT>(0x800A0000u + number); }

// Palisade50.dll, loaded once from the test program's folder.
HMODULE Library();
// A function exported by a module, as the type F (null when missing).
template <class F>
F ExportOf(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
std::wstring LibraryPath();
// The library's own type library (resource TYPELIB 1).
ComPtr<ITypeLib> LibraryTypeLib();

// A new control, made through the library's class factory.
ComPtr<IPlToolBarControlImpl> NewControl();

template <class T>
ComPtr<T> Query(IUnknown* object, const IID& iid) {
    ComPtr<T> r;
    if (object) object->QueryInterface(iid, r.PutVoid());
    return r;
}

// Typed shortcuts over the early-bound interfaces; each fails the test on error.
ComPtr<IPlToolsCollectionImpl> ToolsOf(IPlToolBarControlImpl* control);
ComPtr<IPlToolBarsCollectionImpl> BarsOf(IPlToolBarControlImpl* control);
ComPtr<IPlToolImpl> AddTool(IPlToolsCollectionImpl* tools, const wchar_t* id, long type = 0);
ComPtr<IPlToolBarImpl> AddBar(IPlToolBarsCollectionImpl* bars, const wchar_t* name);
ComPtr<IPlToolsCollectionImpl> MenuToolsOf(IPlToolImpl* menuTool);
ComPtr<IPlToolsCollectionImpl> BarToolsOf(IPlToolBarImpl* bar);
// Item(index) of a tools collection; null when it fails.
ComPtr<IPlToolImpl> ItemOf(IPlToolsCollectionImpl* tools, VARIANT index, HRESULT* hr = nullptr);
std::wstring IdOf(IPlToolImpl* tool);
std::wstring NameOf(IPlToolImpl* tool);

// The description of the thread's current error object (after a failed call).
std::wstring LastErrorText();

// What a late-bound call returned.
struct CallResult {
    HRESULT hr = E_FAIL;
    Variant value;
    HRESULT scode = S_OK;      // EXCEPINFO's, when hr is DISP_E_EXCEPTION
    std::wstring description;  // EXCEPINFO's
};
// Calls a member by name through GetIDsOfNames and Invoke; args in natural order.
CallResult Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant> args = {});
CallResult Get(IDispatch* object, const wchar_t* name, std::vector<Variant> args = {});
CallResult Put(IDispatch* object, const wchar_t* name, Variant value);

// Base of the tests' event sinks: an IDispatch (answering for the control's event
// interface too) whose only member to write is Invoke.
template <class Derived>
class DispatchSink : public bastide::com::ComObject<Derived, IDispatch> {
public:
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {bastide::com::QiEntry::Of<Derived, IDispatch>(IID_IDispatch),
                                                      bastide::com::QiEntry::Of<Derived, IDispatch>(DIID_DPlToolBarsEvents),
                                                      {}};
        return table;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

Variant Str(const wchar_t* text);
Variant Long(long value);
Variant Double(double value);

} // namespace palisade::test
