// A tool of the pool, or a placement of one on a toolbar or a menu. A placement
// keeps its own caption, colour, display style, control width and flags; every
// other property belongs to the pool tool and is shared by all its placements.

#include "palisade/Access.h"
#include "palisade/Control.h"

namespace palisade {

namespace {

enum ToolType : long {
    kButton = 0, kStateButton, kDropDown, kDropDownState, kComboBox, kEdit, kLabel, kMenu, kSeparator
};
constexpr long kLastShortcut = 80;

} // namespace

Tool::Tool(Control* owner, std::wstring id, long type) : TreeNode(owner), def_(std::make_unique<ToolDefinition>()) {
    SetTypeInfo(TypeInfoOf(IID_IPlToolImpl), TypeInfoOf(DIID_IPlTool));
    def_->type = type;
    def_->id = type == kSeparator ? L"separator" : std::move(id);
    if (type == kSeparator) {
        def_->autoWrap = true;
        def_->menuVisibility = 1;  // plVisibleIfRecent
    } else if (type == kMenu) {
        def_->autoWrap = true;
    }
}

Tool::Tool(Control* owner, Tool* pool) : TreeNode(owner), pool_(pool), look_(pool->look_) {
    SetTypeInfo(TypeInfoOf(IID_IPlToolImpl), TypeInfoOf(DIID_IPlTool));
}

const QiEntry* Tool::Interfaces() {
    static const QiEntry table[] = {
        QiEntry::Of<Tool, IPlToolImpl>(IID_IPlToolImpl),
        QiEntry::Of<Tool, IPlToolImpl>(DIID_IPlTool),
        QiEntry::Of<Tool, IPlToolImpl>(IID_IDispatch),
        QiEntry::Of<Tool, IPlToolImpl>(IID_PalisadeSelfTool),
        QiEntry::Of<Tool, ISupportErrorInfo>(IID_ISupportErrorInfo),
        {}};
    return table;
}

void Tool::Detach() {
    owner_ = nullptr;
    collection_ = nullptr;
    if (def_) {
        // Menus hold placements that may point back at this tool: break the cycle.
        if (def_->menu) def_->menu->Detach();
        if (def_->comboBox) def_->comboBox->Detach();
        if (def_->edit) def_->edit->Detach();
        def_->menu = nullptr;
        def_->comboBox = nullptr;
        def_->edit = nullptr;
        def_->tag.Clear();
    }
    pool_ = nullptr;
}

void Tool::SetLook(const std::function<void(ToolLook&)>& change, DISPID id) {
    ToolLook before = look_;
    change(look_);
    if (before.name != look_.name || before.foreColor != look_.foreColor ||
        before.foreColorSource != look_.foreColorSource || before.displayStyle != look_.displayStyle ||
        before.ctlWidth != look_.ctlWidth || before.flags != look_.flags)
        Changed(id);
}

void Tool::CheckCtlWidth(short width) const {
    if (Def().type != kComboBox && Def().type != kEdit) Raise(kNotAvailableForTool);
    // Narrower than a scroll bar leaves no room for text; wider than the screen is never seen.
    if (width < GetSystemMetrics(SM_CXVSCROLL) || width > GetSystemMetrics(SM_CXSCREEN)) Raise(kInvalidPropertyValue);
}

// ---- Properties shared with the placements ----------------------------------

HRESULT Tool::get_AutoWrap(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(Def().autoWrap); }); }
HRESULT Tool::put_AutoWrap(VARIANT_BOOL v) { return Put(*this, [&] { Assign(*this, Def().autoWrap, v != 0, 1027); }); }

HRESULT Tool::get_Category(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(Def().category); }); }
HRESULT Tool::put_Category(BSTR v) {
    return Put(*this, [&] { Assign(*this, Def().category, std::wstring(BstrView(v)), 1029); });
}

HRESULT Tool::get_ComboBox(IPlComboBox** v) {
    return Get(*this, v, [&] {
        if (Def().type != kComboBox) Raise(kNotAvailableForTool);
        if (!Def().comboBox) Def().comboBox = bastide::com::MakeObject<ComboBox>(owner_);
        return Hand<IPlComboBox>(Def().comboBox.Get());
    });
}

HRESULT Tool::get_Customizable(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(Def().customizable); }); }
HRESULT Tool::put_Customizable(VARIANT_BOOL v) {
    return Put(*this, [&] { Assign(*this, Def().customizable, v != 0, 1126); });
}

HRESULT Tool::get_Description(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(Def().description); }); }
HRESULT Tool::put_Description(BSTR v) {
    return Put(*this, [&] { Assign(*this, Def().description, std::wstring(BstrView(v)), 1031); });
}

HRESULT Tool::get_Edit(IPlEdit** v) {
    return Get(*this, v, [&] {
        if (Def().type != kEdit) Raise(kNotAvailableForTool);
        if (!Def().edit) Def().edit = bastide::com::MakeObject<Edit>(owner_);
        return Hand<IPlEdit>(Def().edit.Get());
    });
}

HRESULT Tool::get_Enabled(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(Def().enabled); }); }
HRESULT Tool::put_Enabled(VARIANT_BOOL v) { return Put(*this, [&] { Assign(*this, Def().enabled, v != 0, -514); }); }

HRESULT Tool::get_Group(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(Def().group); }); }
HRESULT Tool::put_Group(BSTR v) {
    return Put(*this, [&] { Assign(*this, Def().group, std::wstring(BstrView(v)), 1035); });
}

HRESULT Tool::get_GroupAllowAllUp(VARIANT_BOOL* v) {
    return Get(*this, v, [&] { return VBool(Def().groupAllowAllUp); });
}
HRESULT Tool::put_GroupAllowAllUp(VARIANT_BOOL v) {
    return Put(*this, [&] { Assign(*this, Def().groupAllowAllUp, v != 0, 1038); });
}

// A placement on a docked bar has the position the bar layout gives it; pool
// tools, tools in menus and hidden tools read 0.
HRESULT Tool::get_Height(short* v) {
    return Get(*this, v, [&] {
        RECT r = Owner().ToolRect(this);
        return static_cast<short>(r.bottom - r.top);
    });
}
HRESULT Tool::get_Left(short* v) { return Get(*this, v, [&] { return static_cast<short>(Owner().ToolRect(this).left); }); }
HRESULT Tool::get_Top(short* v) { return Get(*this, v, [&] { return static_cast<short>(Owner().ToolRect(this).top); }); }
HRESULT Tool::get_Width(short* v) {
    return Get(*this, v, [&] {
        RECT r = Owner().ToolRect(this);
        return static_cast<short>(r.right - r.left);
    });
}

HRESULT Tool::get_Index(short* v) {
    return Get(*this, v, [&] { return static_cast<short>(collection_ ? collection_->PositionOf(this) : 0); });
}

HRESULT Tool::get_ID(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(Def().id); }); }
HRESULT Tool::put_ID(BSTR v) {
    return Put(*this, [&] {
        std::wstring id(BstrView(v));
        if (id == Def().id) return;
        // "separator" names the separator line and nothing else.
        if (id.empty() || id == L"separator" || Def().type == kSeparator) Raise(kInvalidName);
        if (Owner().Pool().Find(id)) Raise(kToolIdExists);
        Assign(*this, Def().id, id, 1042);
    });
}

HRESULT Tool::get_Menu(IPlMenu** v) {
    return Get(*this, v, [&] {
        if (Def().type != kMenu) Raise(kNotAMenu);
        if (!Def().menu) Def().menu = bastide::com::MakeObject<Menu>(owner_);
        return Hand<IPlMenu>(Def().menu.Get());
    });
}

HRESULT Tool::get_MenuVisibility(Constants_MenuVisibility* v) {
    return Get(*this, v, [&] { return static_cast<Constants_MenuVisibility>(Def().menuVisibility); });
}
HRESULT Tool::put_MenuVisibility(Constants_MenuVisibility v) {
    return Put(*this, [&] { Assign(*this, Def().menuVisibility, CheckRange(v, 0, 1), 1128); });
}

HRESULT Tool::get_PictureSize(short* v) { return Get(*this, v, [&] { return Def().pictureSize; }); }
HRESULT Tool::put_PictureSize(short v) {
    // A picture is at least one pixel and at most a large icon of 256 pixels.
    return Put(*this, [&] { Assign(*this, Def().pictureSize, CheckRange(v, 1, 256), 1088); });
}

HRESULT Tool::get_UseMaskColor(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(Def().useMaskColor); }); }
HRESULT Tool::put_UseMaskColor(VARIANT_BOOL v) {
    return Put(*this, [&] { Assign(*this, Def().useMaskColor, v != 0, 1089); });
}

HRESULT Tool::GetPicture(ComPtr<IPictureDisp> ToolDefinition::*which, IPictureDisp** out) {
    return Get(*this, out, [&] {
        IPictureDisp* p = nullptr;
        (Def().*which).CopyTo(&p);
        return p;
    });
}

HRESULT Tool::PutPicture(ComPtr<IPictureDisp> ToolDefinition::*which, IPictureDisp* value, DISPID id) {
    return Put(*this, [&] {
        if ((Def().*which).Get() == value) return;
        Def().*which = ComPtr<IPictureDisp>(value);
        Changed(id);
    });
}

// A picture made from a bitmap handle; the tool keeps its own copy of the bitmap.
HRESULT Tool::PutBitmap(ComPtr<IPictureDisp> ToolDefinition::*which, OLE_HANDLE handle, DISPID id) {
    return Put(*this, [&] {
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
        if (!bitmap) {
            Def().*which = nullptr;
            Changed(id);
            return;
        }
        if (GetObjectType(bitmap) != OBJ_BITMAP) Raise(kInvalidPropertyValue);
        HBITMAP copy = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
        if (!copy) Raise(kInvalidPropertyValue);
        PICTDESC desc = {sizeof(desc), PICTYPE_BITMAP};
        desc.bmp.hbitmap = copy;
        ComPtr<IPictureDisp> picture;
        HRESULT hr = OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, picture.PutVoid());
        if (FAILED(hr)) {
            DeleteObject(copy);
            bastide::com::ThrowIfFailed(hr);
        }
        Def().*which = picture;
        Changed(id);
    });
}

HRESULT Tool::get_Picture(IPictureDisp** v) { return GetPicture(&ToolDefinition::picture, v); }
HRESULT Tool::put_Picture(IPictureDisp* v) { return PutPicture(&ToolDefinition::picture, v, -523); }
HRESULT Tool::putref_Picture(IPictureDisp* v) { return PutPicture(&ToolDefinition::picture, v, -523); }
HRESULT Tool::put_PictureBmp(OLE_HANDLE v) { return PutBitmap(&ToolDefinition::picture, v, -523); }
HRESULT Tool::get_PictureDisabled(IPictureDisp** v) { return GetPicture(&ToolDefinition::pictureDisabled, v); }
HRESULT Tool::put_PictureDisabled(IPictureDisp* v) { return PutPicture(&ToolDefinition::pictureDisabled, v, 28); }
HRESULT Tool::putref_PictureDisabled(IPictureDisp* v) {
    return PutPicture(&ToolDefinition::pictureDisabled, v, 28);
}
HRESULT Tool::put_PictureDisabledBmp(OLE_HANDLE v) { return PutBitmap(&ToolDefinition::pictureDisabled, v, 28); }
HRESULT Tool::get_PictureDown(IPictureDisp** v) { return GetPicture(&ToolDefinition::pictureDown, v); }
HRESULT Tool::put_PictureDown(IPictureDisp* v) { return PutPicture(&ToolDefinition::pictureDown, v, 1044); }
HRESULT Tool::putref_PictureDown(IPictureDisp* v) { return PutPicture(&ToolDefinition::pictureDown, v, 1044); }
HRESULT Tool::put_PictureDownBmp(OLE_HANDLE v) { return PutBitmap(&ToolDefinition::pictureDown, v, 1044); }
HRESULT Tool::get_PictureDownDisabled(IPictureDisp** v) {
    return GetPicture(&ToolDefinition::pictureDownDisabled, v);
}
HRESULT Tool::put_PictureDownDisabled(IPictureDisp* v) {
    return PutPicture(&ToolDefinition::pictureDownDisabled, v, 1046);
}
HRESULT Tool::putref_PictureDownDisabled(IPictureDisp* v) {
    return PutPicture(&ToolDefinition::pictureDownDisabled, v, 1046);
}
HRESULT Tool::put_PictureDownDisabledBmp(OLE_HANDLE v) {
    return PutBitmap(&ToolDefinition::pictureDownDisabled, v, 1046);
}

HRESULT Tool::get_RecentlyUsed(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(Def().recentlyUsed); }); }
HRESULT Tool::put_RecentlyUsed(VARIANT_BOOL v) {
    return Put(*this, [&] { Assign(*this, Def().recentlyUsed, v != 0, 1129); });
}

HRESULT Tool::get_Shortcut(Constants_ShortcutKeys* v) {
    return Get(*this, v, [&] { return static_cast<Constants_ShortcutKeys>(Def().shortcut); });
}
HRESULT Tool::put_Shortcut(Constants_ShortcutKeys v) {
    return Put(*this, [&] {
        long key = CheckRange(v, 0, kLastShortcut);
        if (key != 0 && Owner().ToolWithShortcut(key, &PoolTool())) Raise(kShortcutInUse);
        Assign(*this, Def().shortcut, key, 1047);
    });
}

HRESULT Tool::get_State(Constants_State* v) {
    return Get(*this, v, [&] { return static_cast<Constants_State>(Def().state); });
}
HRESULT Tool::put_State(Constants_State v) {
    return Put(*this, [&] { Assign(*this, Def().state, CheckRange(v, 0, 1), 1048); });
}

HRESULT Tool::get_TagVariant(VARIANT* v) {
    return GuardOut(v, [&] {
        Owner();
        Def().tag.CopyTo(v);
    });
}
HRESULT Tool::put_TagVariant(VARIANT v) {
    return Put(*this, [&] {
        Def().tag = Variant(v);
        Changed(39);
    });
}
HRESULT Tool::putref_TagVariant(VARIANT v) { return put_TagVariant(v); }

HRESULT Tool::get_ToolTipText(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(Def().toolTipText); }); }
HRESULT Tool::put_ToolTipText(BSTR v) {
    return Put(*this, [&] { Assign(*this, Def().toolTipText, std::wstring(BstrView(v)), 1049); });
}

HRESULT Tool::get_Type(Constants_Type* v) {
    return Get(*this, v, [&] { return static_cast<Constants_Type>(Def().type); });
}
HRESULT Tool::put_Type(Constants_Type v) {
    return Put(*this, [&] {
        long type = CheckRange(v, kButton, kSeparator);
        // Only the tool "separator" is a separator line, and it stays one.
        if (type != Def().type && (type == kSeparator || Def().type == kSeparator)) Raise(kInvalidPropertyValue);
        Assign(*this, Def().type, type, 1050);
    });
}

HRESULT Tool::get_Visible(VARIANT_BOOL* v) { return Get(*this, v, [&] { return VBool(Def().visible); }); }
HRESULT Tool::put_Visible(VARIANT_BOOL v) { return Put(*this, [&] { Assign(*this, Def().visible, v != 0, 1025); }); }

// ---- Properties each placement holds for itself -----------------------------

HRESULT Tool::get_CtlWidth(short* v) { return Get(*this, v, [&] { return look_.ctlWidth; }); }
HRESULT Tool::put_CtlWidth(short v) {
    return Put(*this, [&] {
        CheckCtlWidth(v);
        SetLook([&](ToolLook& l) { l.ctlWidth = v; }, 1116);
    });
}

HRESULT Tool::get_ForeColor(OLE_COLOR* v) { return Get(*this, v, [&] { return look_.foreColor; }); }
HRESULT Tool::put_ForeColor(OLE_COLOR v) {
    return Put(*this, [&] { SetLook([&](ToolLook& l) { l.foreColor = v; }, -513); });
}

HRESULT Tool::get_ForeColorSource(Constants_ForeColorSource* v) {
    return Get(*this, v, [&] { return static_cast<Constants_ForeColorSource>(look_.foreColorSource); });
}
HRESULT Tool::put_ForeColorSource(Constants_ForeColorSource v) {
    return Put(*this, [&] {
        long source = CheckRange(v, 0, 1);
        SetLook([&](ToolLook& l) { l.foreColorSource = source; }, 1001);
    });
}

HRESULT Tool::get_Name(BSTR* v) { return Get(*this, v, [&] { return AllocBstr(look_.name); }); }
HRESULT Tool::put_Name(BSTR v) {
    return Put(*this, [&] { SetLook([&](ToolLook& l) { l.name = BstrView(v); }, 1018); });
}

HRESULT Tool::get_DisplayStyle(Constants_DisplayStyle* v) {
    return Get(*this, v, [&] { return static_cast<Constants_DisplayStyle>(look_.displayStyle); });
}
HRESULT Tool::put_DisplayStyle(Constants_DisplayStyle v) {
    return Put(*this, [&] {
        long style = CheckRange(v, 0, 3);
        SetLook([&](ToolLook& l) { l.displayStyle = style; }, 1090);
    });
}

// ---- Methods ------------------------------------------------------------------

// Only edit and combo-box tools take the focus, and only while they are shown.
HRESULT Tool::SetFocus() {
    return Put(*this, [&] {
        if (Def().type != kComboBox && Def().type != kEdit) Raise(kNotAvailableForTool);
        Raise(kCannotPerform);
    });
}

HRESULT Tool::ChangeAll(Constants_ChangeAll property, VARIANT* newValue) {
    return Put(*this, [&] {
        Control& control = Owner();
        Tool& pool = PoolTool();
        std::vector<Tool*> targets{&pool};
        for (ToolsCollection* list : control.PlacementLists())
            for (const ComPtr<Tool>& t : list->Items())
                if (&t->PoolTool() == &pool) targets.push_back(t.Get());

        switch (CheckRange(property, 0, 5)) {
        case 0: {  // plChangeAllCtlWidth
            short width = V_I2(Coerce(newValue, VT_I2).Ptr());
            CheckCtlWidth(width);
            for (Tool* t : targets) t->SetLook([&](ToolLook& l) { l.ctlWidth = width; }, 1116);
            break;
        }
        case 1: {  // plChangeAllDisplayStyle
            long style = CheckRange(V_I4(Coerce(newValue, VT_I4).Ptr()), 0, 3);
            for (Tool* t : targets) t->SetLook([&](ToolLook& l) { l.displayStyle = style; }, 1090);
            break;
        }
        case 2: {  // plChangeAllForeColor
            OLE_COLOR color = static_cast<OLE_COLOR>(V_I4(Coerce(newValue, VT_I4).Ptr()));
            for (Tool* t : targets) t->SetLook([&](ToolLook& l) { l.foreColor = color; }, -513);
            break;
        }
        case 3: {  // plChangeAllForeColorSource
            long source = CheckRange(V_I4(Coerce(newValue, VT_I4).Ptr()), 0, 1);
            for (Tool* t : targets) t->SetLook([&](ToolLook& l) { l.foreColorSource = source; }, 1001);
            break;
        }
        case 4: {  // plChangeAllName
            std::wstring name(BstrView(V_BSTR(Coerce(newValue, VT_BSTR).Ptr())));
            for (Tool* t : targets) t->SetLook([&](ToolLook& l) { l.name = name; }, 1018);
            break;
        }
        case 5:  // plChangeAllVisible: visibility is the pool tool's, seen by every placement
            Assign(*this, Def().visible, V_BOOL(Coerce(newValue, VT_BOOL).Ptr()) != 0, 1025);
            break;
        }
    });
}

} // namespace palisade
