// The pool of tools (keyed by ID, case-sensitive, unique) and the placement
// lists of toolbars and menus.

#include "palisade/Access.h"
#include "palisade/Control.h"

#include "common/com/EnumVariant.h"

#include <algorithm>

namespace palisade {

ToolsCollection::ToolsCollection(Control* owner, bool isPool) : TreeNode(owner), isPool_(isPool) {
    SetTypeInfo(TypeInfoOf(IID_IPlToolsCollectionImpl), TypeInfoOf(DIID_IPlToolsCollection));
}

const QiEntry* ToolsCollection::Interfaces() {
    static const QiEntry table[] = {
        QiEntry::Of<ToolsCollection, IPlToolsCollectionImpl>(IID_IPlToolsCollectionImpl),
        QiEntry::Of<ToolsCollection, IPlToolsCollectionImpl>(DIID_IPlToolsCollection),
        QiEntry::Of<ToolsCollection, IPlToolsCollectionImpl>(IID_IDispatch),
        QiEntry::Of<ToolsCollection, ISupportErrorInfo>(IID_ISupportErrorInfo),
        {}};
    return table;
}

Tool* ToolsCollection::Find(std::wstring_view id) const {
    for (const ComPtr<Tool>& t : items_)
        if (t->Def().id == id) return t.Get();
    return nullptr;
}

long ToolsCollection::PositionOf(const Tool* tool) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].Get() == tool) return static_cast<long>(i + 1);
    return 0;
}

Tool* ToolsCollection::Resolve(const VARIANT* index) const {
    const VARIANT* v = bastide::com::Deref(index);
    if (!v) return nullptr;
    if (V_VT(v) == VT_BSTR) return Find(BstrView(V_BSTR(v)));
    if (V_VT(v) == (VT_BSTR | VT_BYREF)) return V_BSTRREF(v) ? Find(BstrView(*V_BSTRREF(v))) : nullptr;
    if (Tool* tool = ToolOf(v)) {
        if (PositionOf(tool)) return tool;
        // A placement stands for its pool tool in the pool.
        if (isPool_ && PositionOf(&tool->PoolTool())) return &tool->PoolTool();
        return nullptr;
    }
    if (V_VT(v) == VT_DISPATCH || V_VT(v) == VT_UNKNOWN) return nullptr;
    long n = 0;
    if (!IndexNumber(v, &n) || n < 1 || n > static_cast<long>(items_.size())) return nullptr;
    return items_[n - 1].Get();
}

void ToolsCollection::Insert(ComPtr<Tool> tool, size_t position) {
    position = std::min(position, items_.size());
    tool->SetCollection(this);
    items_.insert(items_.begin() + static_cast<ptrdiff_t>(position), std::move(tool));
}

void ToolsCollection::RemoveAt(size_t position) {
    ComPtr<Tool> tool = items_[position];
    items_.erase(items_.begin() + static_cast<ptrdiff_t>(position));
    if (tool->Collection() == this) tool->SetCollection(nullptr);
    if (isPool_) {
        // The pool tool goes with every placement of it, and nothing can reach it any more.
        for (ToolsCollection* list : Owner().PlacementLists()) list->RemovePlacementsOf(tool.Get());
        tool->Detach();
    } else {
        tool->Detach();
    }
}

void ToolsCollection::RemovePlacementsOf(const Tool* pool) {
    for (size_t i = items_.size(); i-- > 0;) {
        if (&items_[i]->PoolTool() != pool) continue;
        ComPtr<Tool> placement = items_[i];
        items_.erase(items_.begin() + static_cast<ptrdiff_t>(i));
        placement->Detach();
    }
}

void ToolsCollection::Detach() {
    for (const ComPtr<Tool>& t : items_) t->Detach();
    items_.clear();
    owner_ = nullptr;
}

HRESULT ToolsCollection::get__NewEnum(IUnknown** out) {
    return GuardOut(out, [&]() -> HRESULT {
        Owner();
        std::vector<Variant> snapshot;
        for (const ComPtr<Tool>& t : items_) snapshot.push_back(Variant::FromDispatch(t->Dispatch()));
        return bastide::com::MakeEnumVariant(std::move(snapshot), out);
    });
}

HRESULT ToolsCollection::Add(BSTR idText, VARIANT* typeArg, VARIANT* indexArg, IPlTool** out) {
    return GuardOut(out, [&] {
        Control& control = Owner();
        std::wstring id(BstrView(idText));
        long type = bastide::com::IsMissing(bastide::com::Deref(typeArg))
                        ? 0
                        : CheckRange(V_I4(Coerce(typeArg, VT_I4).Ptr()), 0, 8);
        // A separator is always the tool "separator", and that ID always a separator line.
        if (type == 8 || id == L"separator") {
            id = L"separator";
            type = 8;
        }
        if (id.empty()) Raise(kInvalidName);

        size_t position = items_.size();
        if (!bastide::com::IsMissing(bastide::com::Deref(indexArg))) {
            long n = 0;
            if (!IndexNumber(indexArg, &n) || n < 1 || n > static_cast<long>(items_.size()) + 1) Raise(kInvalidIndex);
            position = static_cast<size_t>(n - 1);
        }

        ComPtr<Tool> tool;
        if (isPool_) {
            if (Find(id)) Raise(kToolIdExists);
            tool = bastide::com::MakeObject<Tool>(&control, id, type);
        } else {
            tool = bastide::com::MakeObject<Tool>(&control, &control.PoolToolFor(id, type));
        }
        Insert(tool, position);
        control.PropertyChanged(DISPID_UNKNOWN);
        *out = Hand<IPlTool>(tool.Get());
    });
}

HRESULT ToolsCollection::get_Count(LONG* out) {
    return Get(*this, out, [&] { return static_cast<LONG>(items_.size()); });
}

HRESULT ToolsCollection::Clear() {
    return Put(*this, [&] {
        while (!items_.empty()) RemoveAt(items_.size() - 1);
        Owner().PropertyChanged(DISPID_UNKNOWN);
    });
}

HRESULT ToolsCollection::Item(VARIANT* index, IPlTool** out) {
    return GuardOut(out, [&] {
        Owner();
        Tool* tool = Resolve(index);
        if (!tool) Raise(kInvalidIndex);
        *out = Hand<IPlTool>(tool);
    });
}

HRESULT ToolsCollection::Remove(VARIANT* index) {
    return Put(*this, [&] {
        Tool* tool = Resolve(index);
        if (!tool) Raise(kInvalidIndex);
        RemoveAt(static_cast<size_t>(PositionOf(tool) - 1));
        Owner().PropertyChanged(DISPID_UNKNOWN);
    });
}

// ---- Menu -------------------------------------------------------------------------

Menu::Menu(Control* owner) : TreeNode(owner), tools_(bastide::com::MakeObject<ToolsCollection>(owner, false)) {
    SetTypeInfo(TypeInfoOf(IID_IPlMenuImpl), TypeInfoOf(DIID_IPlMenu));
}

const QiEntry* Menu::Interfaces() {
    static const QiEntry table[] = {QiEntry::Of<Menu, IPlMenuImpl>(IID_IPlMenuImpl),
                                    QiEntry::Of<Menu, IPlMenuImpl>(DIID_IPlMenu),
                                    QiEntry::Of<Menu, IPlMenuImpl>(IID_IDispatch),
                                    QiEntry::Of<Menu, ISupportErrorInfo>(IID_ISupportErrorInfo),
                                    {}};
    return table;
}

void Menu::Detach() {
    tools_->Detach();
    owner_ = nullptr;
}

HRESULT Menu::get_Tools(IPlToolsCollection** out) {
    return Get(*this, out, [&] { return Hand<IPlToolsCollection>(tools_.Get()); });
}

} // namespace palisade
