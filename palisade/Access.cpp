#include "palisade/Access.h"

#include "palisade/Control.h"

#include <cmath>

namespace palisade {

// {7C3A0B5E-4D0B-4F4C-9D3B-2E61B0D0A101} and {...A102}: never published.
const IID IID_PalisadeSelfTool = {0x7c3a0b5e, 0x4d0b, 0x4f4c, {0x9d, 0x3b, 0x2e, 0x61, 0xb0, 0xd0, 0xa1, 0x01}};
const IID IID_PalisadeSelfToolBar = {0x7c3a0b5e, 0x4d0b, 0x4f4c, {0x9d, 0x3b, 0x2e, 0x61, 0xb0, 0xd0, 0xa1, 0x02}};

Control& TreeNode::Owner() const {
    if (!owner_) Raise(kNoLongerActive);
    return *owner_;
}

void TreeNode::Changed(DISPID id) const {
    if (owner_) owner_->PropertyChanged(id);
}

bastide::com::Variant Coerce(const VARIANT* value, VARTYPE type) {
    bastide::com::Variant r;
    const VARIANT* v = bastide::com::Deref(value);
    if (!v || FAILED(VariantChangeType(r.Ptr(), const_cast<VARIANT*>(v), 0, type))) Raise(kInvalidPropertyValue);
    return r;
}

namespace {

IUnknown* ObjectIn(const VARIANT* value) {
    const VARIANT* v = bastide::com::Deref(value);
    if (!v) return nullptr;
    switch (V_VT(v)) {
    case VT_DISPATCH: return V_DISPATCH(v);
    case VT_UNKNOWN: return V_UNKNOWN(v);
    case VT_DISPATCH | VT_BYREF: return V_DISPATCHREF(v) ? *V_DISPATCHREF(v) : nullptr;
    case VT_UNKNOWN | VT_BYREF: return V_UNKNOWNREF(v) ? *V_UNKNOWNREF(v) : nullptr;
    default: return nullptr;
    }
}

} // namespace

Tool* ToolOf(const VARIANT* value) {
    IUnknown* unknown = ObjectIn(value);
    if (!unknown) return nullptr;
    ComPtr<IPlToolImpl> self;
    if (FAILED(unknown->QueryInterface(IID_PalisadeSelfTool, self.PutVoid()))) return nullptr;
    return static_cast<Tool*>(self.Get());  // the tree keeps it alive
}

ToolBar* ToolBarOf(const VARIANT* value) {
    IUnknown* unknown = ObjectIn(value);
    if (!unknown) return nullptr;
    ComPtr<IPlToolBarImpl> self;
    if (FAILED(unknown->QueryInterface(IID_PalisadeSelfToolBar, self.PutVoid()))) return nullptr;
    return static_cast<ToolBar*>(self.Get());
}

bool IndexNumber(const VARIANT* value, long* out) {
    const VARIANT* v = bastide::com::Deref(value);
    if (!v) return false;
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(v), 0, VT_R4))) return false;
    float f = V_R4(&number);
    if (!std::isfinite(f) || f <= -32769.0f || f >= 32768.0f) return false;
    *out = static_cast<short>(f);  // truncated toward zero
    return true;
}

} // namespace palisade
