#include "common/com/Bstr.h"

#include "common/com/ComError.h"

#include <new>

namespace bastide::com {

BSTR AllocBstr(std::wstring_view text) {
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!s) throw std::bad_alloc();
    return s;
}

Bstr::Bstr(std::wstring_view text) : s_(AllocBstr(text)) {}

Bstr::Bstr(const Bstr& o) : s_(o.s_ ? AllocBstr(o.View()) : nullptr) {}

Variant::Variant(const VARIANT& src) {
    VariantInit(&v_);
    ThrowIfFailed(VariantCopy(&v_, const_cast<VARIANT*>(&src)));
}

Variant Variant::FromLong(long value) {
    Variant r;
    V_VT(&r.v_) = VT_I4;
    V_I4(&r.v_) = value;
    return r;
}

Variant Variant::FromBool(bool value) {
    Variant r;
    V_VT(&r.v_) = VT_BOOL;
    V_BOOL(&r.v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}

Variant Variant::FromString(std::wstring_view text) {
    Variant r;
    V_BSTR(&r.v_) = AllocBstr(text);
    V_VT(&r.v_) = VT_BSTR;
    return r;
}

Variant Variant::FromDispatch(IDispatch* d) {
    Variant r;
    V_VT(&r.v_) = VT_DISPATCH;
    V_DISPATCH(&r.v_) = d;
    if (d) d->AddRef();
    return r;
}

void Variant::CopyTo(VARIANT* out) const {
    VariantInit(out);
    ThrowIfFailed(VariantCopy(out, const_cast<VARIANT*>(&v_)));
}

const VARIANT* Deref(const VARIANT* v) {
    while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return v;
}

} // namespace bastide::com
