#pragma once
// IDispatch answered from a type library: names, DISPIDs, argument coercion and the
// call itself all come from ITypeInfo (GetIDsOfNames and Invoke), so the type
// library stays the one description of an automation interface.
//
// Iface is a vtable interface deriving from IDispatch, described in the type
// library with the oleautomation attribute. The object also hands out a public
// type info (for instance a dispinterface with the same members) through
// GetTypeInfo.

#include "common/com/ComPtr.h"

#include <windows.h>
#include <ole2.h>

#include <string>

namespace bastide::com {

// Loads the type library carried by a module as resource TYPELIB 1 (or another
// index); nothing is registered.
HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** out, int index = 1);

// Full path of a module (an empty string when it cannot be read).
std::wstring ModulePath(HMODULE module);

template <class Iface>
class TypeInfoDispatch : public Iface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (!publicInfo_) return E_UNEXPECTED;
        publicInfo_.CopyTo(out);
        return S_OK;
    }

    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!invokeInfo_) return E_UNEXPECTED;
        return invokeInfo_->GetIDsOfNames(names, count, ids);
    }

    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!invokeInfo_) return E_UNEXPECTED;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        return invokeInfo_->Invoke(static_cast<Iface*>(this), id, flags, params ? params : &none, result,
                                   excep, argErr);
    }

protected:
    // invokeInfo describes Iface (its vtable); publicInfo is what GetTypeInfo shows.
    void SetTypeInfo(ITypeInfo* invokeInfo, ITypeInfo* publicInfo) {
        invokeInfo_ = ComPtr<ITypeInfo>(invokeInfo);
        publicInfo_ = ComPtr<ITypeInfo>(publicInfo ? publicInfo : invokeInfo);
    }

private:
    ComPtr<ITypeInfo> invokeInfo_, publicInfo_;
};

// ISupportErrorInfo for objects whose every automation method reports its
// failures through IErrorInfo (the Guard of ComError.h does).
template <class Base = ISupportErrorInfo>
class SupportsErrorInfo : public Base {
public:
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID) override { return S_OK; }
};

} // namespace bastide::com
