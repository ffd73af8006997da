#pragma once
// Shared helpers of the automation methods of the control's objects: each body
// runs inside the COM guard, and a read or write on a detached object raises
// 42805.

#include "palisade/Model.h"

#include "common/com/ComError.h"

namespace palisade {

using bastide::com::AllocBstr;
using bastide::com::BstrView;
using bastide::com::Guard;
using bastide::com::GuardOut;

// Private interface identifier through which the library recognises its own
// tools and toolbars among the objects a caller passes in.
extern const IID IID_PalisadeSelfTool;
extern const IID IID_PalisadeSelfToolBar;

template <class T, class F>
HRESULT Get(const TreeNode& node, T* out, F&& value) {
    return GuardOut(out, [&] {
        node.Owner();
        *out = value();
    });
}

template <class F>
HRESULT Put(const TreeNode& node, F&& change) {
    return Guard([&] {
        node.Owner();
        change();
    });
}

// Writes a field and reports the change when the value is new.
template <class T, class V>
void Assign(const TreeNode& node, T& field, V value, DISPID id) {
    if (field == static_cast<T>(value)) return;
    field = static_cast<T>(value);
    node.Changed(id);
}

// Hands out one of the library's objects as the dispinterface a caller expects.
template <class Disp, class Object>
Disp* Hand(Object* object) {
    if (!object) return nullptr;
    IDispatch* d = static_cast<IDispatch*>(object);
    d->AddRef();
    return reinterpret_cast<Disp*>(d);
}

// Converts an argument to a type, raising 380 when it cannot be.
bastide::com::Variant Coerce(const VARIANT* value, VARTYPE type);

// The library's tool or toolbar behind an object a caller passed, or null.
Tool* ToolOf(const VARIANT* value);
ToolBar* ToolBarOf(const VARIANT* value);

// A 16-bit number taken from an index argument as the collections read it:
// converted to a single-precision number and truncated. False when it is no number.
bool IndexNumber(const VARIANT* value, long* out);

} // namespace palisade
