// Toolbars and their collection. A toolbar shows placements of pool tools; its
// state as created is kept so Reset can bring it back.

#include "palisade/Access.h"
#include "palisade/Control.h"

#include "common/com/EnumVariant.h"

namespace palisade {

namespace {

constexpr long kMenuBar = 1;
constexpr long kAllDockFlags = 127;  // plDFTop .. plPositionLocked

bool IsDockArea(long v) { return v == 1 || v == 2 || v == 4 || v == 8 || v == 16; }

} // namespace

ToolBar::ToolBar(Control* owner, std::wstring name, long style)
    : TreeNode(owner), tools_(bastide::com::MakeObject<ToolsCollection>(owner, false)) {
    SetTypeInfo(TypeInfoOf(IID_IPlToolBarImpl), TypeInfoOf(DIID_IPlToolBar));
    state_.name = std::move(name);
    state_.style = style;
    created_ = state_;
}

const QiEntry* ToolBar::Interfaces() {
    static const QiEntry table[] = {QiEntry::Of<ToolBar, IPlToolBarImpl>(IID_IPlToolBarImpl),
                                    QiEntry::Of<ToolBar, IPlToolBarImpl>(DIID_IPlToolBar),
                                    QiEntry::Of<ToolBar, IPlToolBarImpl>(IID_IDispatch),
                                    QiEntry::Of<ToolBar, IPlToolBarImpl>(IID_PalisadeSelfToolBar),
                                    QiEntry::Of<ToolBar, ISupportErrorInfo>(IID_ISupportErrorInfo),
                                    {}};
    return table;
}

void ToolBar::Detach() {
    tools_->Detach();
    tag_.Clear();
    owner_ = nullptr;
}

template <class T, class V>
HRESULT ToolBar::Set(T ToolBarState::*field, V value, DISPID id) {
    return Put(*this, [&] { Assign(*this, state_.*field, value, id); });
}

HRESULT ToolBar::get_AllowCustomize(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(state_.allowCustomize); }); }
HRESULT ToolBar::put_AllowCustomize(VARIANT_BOOL v) { return Set(&ToolBarState::allowCustomize, v != 0, 1002); }
HRESULT ToolBar::get_AllowHiding(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(state_.allowHiding); }); }
HRESULT ToolBar::put_AllowHiding(VARIANT_BOOL v) { return Set(&ToolBarState::allowHiding, v != 0, 1003); }

HRESULT ToolBar::get_CaptionAlignment(Constants_CaptionAlignment* v) {
    return Get(*this, v, [&] { return static_cast<Constants_CaptionAlignment>(state_.captionAlignment); });
}
HRESULT ToolBar::put_CaptionAlignment(Constants_CaptionAlignment v) {
    return Put(*this, [&] { Assign(*this, state_.captionAlignment, CheckRange(v, 0, 3), 1028); });
}

HRESULT ToolBar::get_DisplayGrabHandles(VARIANT_BOOL* v) {
    return Get(*this, v, [&] { return VBool(state_.displayGrabHandles); });
}
HRESULT ToolBar::put_DisplayGrabHandles(VARIANT_BOOL v) { return Set(&ToolBarState::displayGrabHandles, v != 0, 1008); }
HRESULT ToolBar::get_DisplayMoreToolsButton(VARIANT_BOOL* v) {
    return Get(*this, v, [&] { return VBool(state_.displayMoreToolsButton); });
}
HRESULT ToolBar::put_DisplayMoreToolsButton(VARIANT_BOOL v) {
    return Set(&ToolBarState::displayMoreToolsButton, v != 0, 1130);
}

HRESULT ToolBar::get_DockedColumn(short* v) { return Get(*this, v, [&] { return state_.dockedColumn; }); }
HRESULT ToolBar::put_DockedColumn(short v) {
    return Put(*this, [&] { Assign(*this, state_.dockedColumn, CheckRange(v, 0, SHRT_MAX), 1010); });
}
HRESULT ToolBar::get_DockedRow(short* v) { return Get(*this, v, [&] { return state_.dockedRow; }); }
HRESULT ToolBar::put_DockedRow(short v) {
    return Put(*this, [&] { Assign(*this, state_.dockedRow, CheckRange(v, 0, SHRT_MAX), 1011); });
}

HRESULT ToolBar::get_DockedStatus(Constants_DockedStatus* v) {
    return Get(*this, v, [&] { return static_cast<Constants_DockedStatus>(state_.dockedStatus); });
}
HRESULT ToolBar::put_DockedStatus(Constants_DockedStatus v) {
    return Put(*this, [&] {
        if (!IsDockArea(v)) Raise(kInvalidDockArea);
        // A bar goes only where its dock flags let it (plDFTop = plDockedTop, ...).
        if (!(state_.dockFlags & v)) Raise(kInvalidDockArea);
        Assign(*this, state_.dockedStatus, static_cast<long>(v), 1012);
    });
}

HRESULT ToolBar::get_DockFlags(LONG* v) { return Get(*this, v, [&] { return static_cast<LONG>(state_.dockFlags); }); }
HRESULT ToolBar::put_DockFlags(LONG v) {
    return Put(*this, [&] { Assign(*this, state_.dockFlags, CheckRange(v, 0, kAllDockFlags), 1013); });
}

HRESULT ToolBar::get_FloatingHeight(LONG* v) { return Get(*this, v, [&] { return static_cast<LONG>(state_.floatingHeight); }); }
HRESULT ToolBar::put_FloatingHeight(LONG v) {
    return Put(*this, [&] { Assign(*this, state_.floatingHeight, CheckRange(v, 0, LONG_MAX), 1014); });
}
HRESULT ToolBar::get_FloatingLeft(LONG* v) { return Get(*this, v, [&] { return static_cast<LONG>(state_.floatingLeft); }); }
HRESULT ToolBar::put_FloatingLeft(LONG v) { return Set(&ToolBarState::floatingLeft, v, 1015); }
HRESULT ToolBar::get_FloatingTop(LONG* v) { return Get(*this, v, [&] { return static_cast<LONG>(state_.floatingTop); }); }
HRESULT ToolBar::put_FloatingTop(LONG v) { return Set(&ToolBarState::floatingTop, v, 1016); }
HRESULT ToolBar::get_FloatingWidth(LONG* v) { return Get(*this, v, [&] { return static_cast<LONG>(state_.floatingWidth); }); }
HRESULT ToolBar::put_FloatingWidth(LONG v) {
    return Put(*this, [&] { Assign(*this, state_.floatingWidth, CheckRange(v, 0, LONG_MAX), 1017); });
}

HRESULT ToolBar::get_Font3D(Constants_Font3D* v) {
    return Get(*this, v, [&] { return static_cast<Constants_Font3D>(state_.font3D); });
}
HRESULT ToolBar::put_Font3D(Constants_Font3D v) {
    return Put(*this, [&] { Assign(*this, state_.font3D, CheckRange(v, 0, 5), 9); });
}

HRESULT ToolBar::get_Name(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(state_.name); }); }
HRESULT ToolBar::put_Name(BSTR v) {
    return Put(*this, [&] {
        std::wstring name(BstrView(v));
        // Hosts find bars by name: a blank name or one another bar has is refused.
        if (name.empty() || Owner().Bars().Find(name, this)) Raise(kInvalidName);
        Assign(*this, state_.name, name, 1018);
    });
}

HRESULT ToolBar::get_Stock(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(state_.stock); }); }
HRESULT ToolBar::put_Stock(VARIANT_BOOL v) { return Set(&ToolBarState::stock, v != 0, 1020); }

HRESULT ToolBar::get_Style(Constants_ToolBarStyle* v) {
    return Get(*this, v, [&] { return static_cast<Constants_ToolBarStyle>(state_.style); });
}

HRESULT ToolBar::get_Tools(IPlToolsCollection** v) {
    return Get(*this, v, [&] { return Hand<IPlToolsCollection>(tools_.Get()); });
}

HRESULT ToolBar::get_Visible(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(state_.visible); }); }
HRESULT ToolBar::put_Visible(VARIANT_BOOL v) { return Set(&ToolBarState::visible, v != 0, 1025); }

// Brings the bar back to the state it was created with, or to the state it was
// last loaded in (a bar never loaded has no other state than its first).
HRESULT ToolBar::Reset(VARIANT_BOOL lastLoaded) {
    return Put(*this, [&] {
        Control& control = Owner();
        const ToolBarState& target = lastLoaded && loaded_ ? lastLoaded_ : created_;
        std::wstring name = state_.name;
        state_ = target;
        state_.name = name;  // the name stays: hosts find bars by it
        tools_->Clear();
        for (size_t i = 0; i < target.toolIds.size(); ++i) {
            Tool* pool = control.Pool().Find(target.toolIds[i]);
            if (!pool) continue;
            ComPtr<Tool> placement = bastide::com::MakeObject<Tool>(&control, pool);
            if (i < target.looks.size()) placement->Look() = target.looks[i];
            tools_->Insert(placement, SIZE_MAX);
        }
        Changed(DISPID_UNKNOWN);
    });
}

HRESULT ToolBar::get_TagVariant(VARIANT* v) {
    return GuardOut(v, [&] {
        Owner();
        tag_.CopyTo(v);
    });
}
HRESULT ToolBar::put_TagVariant(VARIANT v) {
    return Put(*this, [&] {
        tag_ = Variant(v);
        Changed(39);
    });
}
HRESULT ToolBar::putref_TagVariant(VARIANT v) { return put_TagVariant(v); }

// ---- Collection -----------------------------------------------------------------

ToolBarsCollection::ToolBarsCollection(Control* owner) : TreeNode(owner) {
    SetTypeInfo(TypeInfoOf(IID_IPlToolBarsCollectionImpl), TypeInfoOf(DIID_IPlToolBarsCollection));
}

const QiEntry* ToolBarsCollection::Interfaces() {
    static const QiEntry table[] = {
        QiEntry::Of<ToolBarsCollection, IPlToolBarsCollectionImpl>(IID_IPlToolBarsCollectionImpl),
        QiEntry::Of<ToolBarsCollection, IPlToolBarsCollectionImpl>(DIID_IPlToolBarsCollection),
        QiEntry::Of<ToolBarsCollection, IPlToolBarsCollectionImpl>(IID_IDispatch),
        QiEntry::Of<ToolBarsCollection, ISupportErrorInfo>(IID_ISupportErrorInfo),
        {}};
    return table;
}

ToolBar* ToolBarsCollection::Find(std::wstring_view name, const ToolBar* except) const {
    for (const ComPtr<ToolBar>& b : items_)
        if (b.Get() != except && b->State().name == name) return b.Get();
    return nullptr;
}

ToolBar* ToolBarsCollection::Resolve(const VARIANT* index) const {
    const VARIANT* v = bastide::com::Deref(index);
    if (!v) return nullptr;
    if (V_VT(v) == VT_BSTR) return Find(BstrView(V_BSTR(v)));
    if (V_VT(v) == (VT_BSTR | VT_BYREF)) return V_BSTRREF(v) ? Find(BstrView(*V_BSTRREF(v))) : nullptr;
    if (ToolBar* bar = ToolBarOf(v)) {
        for (const ComPtr<ToolBar>& b : items_)
            if (b.Get() == bar) return bar;
        return nullptr;
    }
    if (V_VT(v) == VT_DISPATCH || V_VT(v) == VT_UNKNOWN) return nullptr;
    long n = 0;
    if (!IndexNumber(v, &n) || n < 1 || n > static_cast<long>(items_.size())) return nullptr;
    return items_[n - 1].Get();
}

void ToolBarsCollection::Detach() {
    for (const ComPtr<ToolBar>& b : items_) b->Detach();
    items_.clear();
    owner_ = nullptr;
}

HRESULT ToolBarsCollection::get__NewEnum(IUnknown** out) {
    return GuardOut(out, [&]() -> HRESULT {
        Owner();
        std::vector<Variant> snapshot;
        for (const ComPtr<ToolBar>& b : items_) snapshot.push_back(Variant::FromDispatch(b->Dispatch()));
        return bastide::com::MakeEnumVariant(std::move(snapshot), out);
    });
}

HRESULT ToolBarsCollection::Add(VARIANT* nameArg, VARIANT* styleArg, IPlToolBar** out) {
    return GuardOut(out, [&] {
        Control& control = Owner();
        std::wstring name;
        if (bastide::com::IsMissing(bastide::com::Deref(nameArg))) {
            // An unnamed bar gets the first free "ToolBarN".
            for (int n = static_cast<int>(items_.size()) + 1; name.empty() || Find(name); ++n)
                name = L"ToolBar" + std::to_wstring(n);
        } else {
            name = BstrView(V_BSTR(Coerce(nameArg, VT_BSTR).Ptr()));
        }
        if (name.empty() || Find(name)) Raise(kInvalidName);
        long style = bastide::com::IsMissing(bastide::com::Deref(styleArg))
                         ? 0
                         : CheckRange(V_I4(Coerce(styleArg, VT_I4).Ptr()), 0, kMenuBar);
        if (style == kMenuBar) {
            for (const ComPtr<ToolBar>& b : items_)
                if (b->State().style == kMenuBar) Raise(kOnlyOneMenuBar);
        }
        ComPtr<ToolBar> bar = bastide::com::MakeObject<ToolBar>(&control, name, style);
        items_.push_back(bar);
        control.PropertyChanged(DISPID_UNKNOWN);
        *out = Hand<IPlToolBar>(bar.Get());
    });
}

HRESULT ToolBarsCollection::get_Count(LONG* out) {
    return Get(*this, out, [&] { return static_cast<LONG>(items_.size()); });
}

HRESULT ToolBarsCollection::Clear() {
    return Put(*this, [&] {
        for (const ComPtr<ToolBar>& b : items_) b->Detach();
        items_.clear();
        Owner().PropertyChanged(DISPID_UNKNOWN);
    });
}

HRESULT ToolBarsCollection::Item(VARIANT* index, IPlToolBar** out) {
    return GuardOut(out, [&] {
        Owner();
        ToolBar* bar = Resolve(index);
        if (!bar) Raise(kInvalidIndex);
        *out = Hand<IPlToolBar>(bar);
    });
}

HRESULT ToolBarsCollection::Remove(VARIANT* index) {
    return Put(*this, [&] {
        ToolBar* bar = Resolve(index);
        if (!bar) Raise(kInvalidIndex);
        for (size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].Get() != bar) continue;
            ComPtr<ToolBar> removed = items_[i];
            items_.erase(items_.begin() + static_cast<ptrdiff_t>(i));
            removed->Detach();
            break;
        }
        Owner().PropertyChanged(DISPID_UNKNOWN);
    });
}

} // namespace palisade
