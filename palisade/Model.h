#pragma once
// The control's object tree: the pool of tools, toolbars with their placements,
// menus, combo-box and edit parts, and the small auxiliary objects. Every object
// of a tree belongs to one control and lives on its thread; when the control
// goes away the tree is detached and any later call raises 42805 ("This object
// is no longer active").

#include "palisade/Errors.h"
#include "palisade/Module.h"
#include "palisade/format/Model.h"

#include "common/com/Bstr.h"
#include "common/com/ComObject.h"
#include "common/com/Dispatch.h"

#include <ocidl.h>

#include "Palisade_h.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace palisade {

using bastide::com::Bstr;
using bastide::com::ComObject;
using bastide::com::ComPtr;
using bastide::com::QiEntry;
using bastide::com::SupportsErrorInfo;
using bastide::com::TypeInfoDispatch;
using bastide::com::Variant;

class Control;
class Tool;
class ToolsCollection;
class Menu;
class ComboBox;
class Edit;
class Persistence;

inline VARIANT_BOOL VBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

// OLE_COLOR values of the system colours the control starts with.
constexpr OLE_COLOR kButtonFace = 0x8000000F;
constexpr OLE_COLOR kButtonText = 0x80000012;

// Base of every object of a control's tree.
class TreeNode {
public:
    // The control this object belongs to; raises 42805 once it is gone.
    Control& Owner() const;
    bool Attached() const { return owner_ != nullptr; }
    // Tells the control a property changed (dirty flag, container, repaint).
    void Changed(DISPID id) const;

protected:
    explicit TreeNode(Control* owner) : owner_(owner) {}
    ~TreeNode() = default;
    Control* owner_;
};

// What each placement of a tool keeps for itself (the pool tool has its own too).
struct ToolLook {
    std::wstring name;
    OLE_COLOR foreColor = kButtonText;
    long foreColorSource = 0;
    long displayStyle = 0;
    short ctlWidth = 75;
    BYTE flags = 0;
};

// What a pool tool shares with all its placements.
struct ToolDefinition {
    std::wstring id;
    long type = 0;
    std::wstring category = L"General", description, group, toolTipText;
    short pictureSize = 16;
    long state = 0, shortcut = 0, menuVisibility = 0;
    bool enabled = true, visible = true, groupAllowAllUp = true, useMaskColor = true, customizable = true;
    bool autoWrap = false, recentlyUsed = false;
    ComPtr<IPictureDisp> picture, pictureDisabled, pictureDown, pictureDownDisabled;
    Variant tag;
    ComPtr<Menu> menu;
    ComPtr<ComboBox> comboBox;
    ComPtr<Edit> edit;
};

class Tool : public ComObject<Tool, TypeInfoDispatch<IPlToolImpl>, SupportsErrorInfo<>>, public TreeNode {
public:
    // A new pool tool with the defaults of its type.
    Tool(Control* owner, std::wstring id, long type);
    // A new placement of a pool tool; it starts with the pool tool's look.
    Tool(Control* owner, Tool* pool);

    static const QiEntry* Interfaces();

    bool IsPlacement() const { return pool_ != nullptr; }
    Tool& PoolTool() { return pool_ ? *pool_ : *this; }
    ToolDefinition& Def() { return pool_ ? *pool_->def_ : *def_; }
    const ToolDefinition& Def() const { return pool_ ? *pool_->def_ : *def_; }
    ToolLook& Look() { return look_; }
    void SetCollection(ToolsCollection* c) { collection_ = c; }
    ToolsCollection* Collection() const { return collection_; }
    IDispatch* Dispatch() { return static_cast<IPlToolImpl*>(this); }
    // Breaks the links to the tree (the control is going away).
    void Detach();

    STDMETHODIMP get_AutoWrap(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_AutoWrap(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Category(BSTR *Value) override;
    STDMETHODIMP put_Category(BSTR Value) override;
    STDMETHODIMP get_ComboBox(IPlComboBox **Value) override;
    STDMETHODIMP get_CtlWidth(short *Value) override;
    STDMETHODIMP put_CtlWidth(short Value) override;
    STDMETHODIMP get_Customizable(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Customizable(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Description(BSTR *Value) override;
    STDMETHODIMP put_Description(BSTR Value) override;
    STDMETHODIMP get_Edit(IPlEdit **Value) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL Value) override;
    STDMETHODIMP get_ForeColor(OLE_COLOR *Value) override;
    STDMETHODIMP put_ForeColor(OLE_COLOR Value) override;
    STDMETHODIMP get_ForeColorSource(Constants_ForeColorSource *Value) override;
    STDMETHODIMP put_ForeColorSource(Constants_ForeColorSource Value) override;
    STDMETHODIMP get_Group(BSTR *Value) override;
    STDMETHODIMP put_Group(BSTR Value) override;
    STDMETHODIMP get_GroupAllowAllUp(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_GroupAllowAllUp(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Height(short *Value) override;
    STDMETHODIMP get_Index(short *Value) override;
    STDMETHODIMP get_ID(BSTR *Value) override;
    STDMETHODIMP put_ID(BSTR Value) override;
    STDMETHODIMP get_Left(short *Value) override;
    STDMETHODIMP get_Menu(IPlMenu **Value) override;
    STDMETHODIMP get_MenuVisibility(Constants_MenuVisibility *Value) override;
    STDMETHODIMP put_MenuVisibility(Constants_MenuVisibility Value) override;
    STDMETHODIMP get_Name(BSTR *Value) override;
    STDMETHODIMP put_Name(BSTR Value) override;
    STDMETHODIMP get_PictureSize(short *Value) override;
    STDMETHODIMP put_PictureSize(short Value) override;
    STDMETHODIMP get_UseMaskColor(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_UseMaskColor(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Picture(IPictureDisp **Value) override;
    STDMETHODIMP put_Picture(IPictureDisp *Value) override;
    STDMETHODIMP putref_Picture(IPictureDisp *Value) override;
    STDMETHODIMP put_PictureBmp(OLE_HANDLE Value) override;
    STDMETHODIMP get_PictureDisabled(IPictureDisp **Value) override;
    STDMETHODIMP put_PictureDisabled(IPictureDisp *Value) override;
    STDMETHODIMP putref_PictureDisabled(IPictureDisp *Value) override;
    STDMETHODIMP put_PictureDisabledBmp(OLE_HANDLE Value) override;
    STDMETHODIMP get_PictureDown(IPictureDisp **Value) override;
    STDMETHODIMP put_PictureDown(IPictureDisp *Value) override;
    STDMETHODIMP putref_PictureDown(IPictureDisp *Value) override;
    STDMETHODIMP put_PictureDownBmp(OLE_HANDLE Value) override;
    STDMETHODIMP get_PictureDownDisabled(IPictureDisp **Value) override;
    STDMETHODIMP put_PictureDownDisabled(IPictureDisp *Value) override;
    STDMETHODIMP putref_PictureDownDisabled(IPictureDisp *Value) override;
    STDMETHODIMP put_PictureDownDisabledBmp(OLE_HANDLE Value) override;
    STDMETHODIMP get_RecentlyUsed(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_RecentlyUsed(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Shortcut(Constants_ShortcutKeys *Value) override;
    STDMETHODIMP put_Shortcut(Constants_ShortcutKeys Value) override;
    STDMETHODIMP get_State(Constants_State *Value) override;
    STDMETHODIMP put_State(Constants_State Value) override;
    STDMETHODIMP get_DisplayStyle(Constants_DisplayStyle *Value) override;
    STDMETHODIMP put_DisplayStyle(Constants_DisplayStyle Value) override;
    STDMETHODIMP get_TagVariant(VARIANT *Value) override;
    STDMETHODIMP put_TagVariant(VARIANT Value) override;
    STDMETHODIMP putref_TagVariant(VARIANT Value) override;
    STDMETHODIMP get_ToolTipText(BSTR *Value) override;
    STDMETHODIMP put_ToolTipText(BSTR Value) override;
    STDMETHODIMP get_Top(short *Value) override;
    STDMETHODIMP get_Type(Constants_Type *Value) override;
    STDMETHODIMP put_Type(Constants_Type Value) override;
    STDMETHODIMP get_Visible(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Width(short *Value) override;
    STDMETHODIMP SetFocus() override;
    STDMETHODIMP ChangeAll(Constants_ChangeAll Property, VARIANT *NewValue) override;
private:
    void SetLook(const std::function<void(ToolLook&)>& change, DISPID id);
    HRESULT GetPicture(ComPtr<IPictureDisp> ToolDefinition::*which, IPictureDisp** out);
    HRESULT PutPicture(ComPtr<IPictureDisp> ToolDefinition::*which, IPictureDisp* value, DISPID id);
    HRESULT PutBitmap(ComPtr<IPictureDisp> ToolDefinition::*which, OLE_HANDLE bitmap, DISPID id);
    void CheckCtlWidth(short width) const;

    ComPtr<Tool> pool_;
    std::unique_ptr<ToolDefinition> def_;
    ToolLook look_;
    ToolsCollection* collection_ = nullptr;
};

// A list of tools: the control's pool (keyed by ID) or the placements shown by a
// toolbar or a menu.
class ToolsCollection : public ComObject<ToolsCollection, TypeInfoDispatch<IPlToolsCollectionImpl>, SupportsErrorInfo<>>,
                        public TreeNode {
public:
    ToolsCollection(Control* owner, bool isPool);
    static const QiEntry* Interfaces();

    bool IsPool() const { return isPool_; }
    const std::vector<ComPtr<Tool>>& Items() const { return items_; }
    Tool* Find(std::wstring_view id) const;
    // The tool an Item/Remove argument names (ID, object or 1-based number), or null.
    Tool* Resolve(const VARIANT* index) const;
    long PositionOf(const Tool* tool) const;
    // Inserts at a 0-based position (clamped to the end).
    void Insert(ComPtr<Tool> tool, size_t position);
    // Removes every placement of the pool tool (the pool tool is being removed).
    void RemovePlacementsOf(const Tool* pool);
    void Detach();

    STDMETHODIMP get__NewEnum(IUnknown **Enum) override;
    STDMETHODIMP Add(BSTR ID, VARIANT *Type, VARIANT *Index, IPlTool **Tool) override;
    STDMETHODIMP get_Count(LONG *Value) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP Item(VARIANT *Index, IPlTool **Tool) override;
    STDMETHODIMP Remove(VARIANT *Index) override;
private:
    void RemoveAt(size_t position);
    bool isPool_;
    std::vector<ComPtr<Tool>> items_;
};

class Menu : public ComObject<Menu, TypeInfoDispatch<IPlMenuImpl>, SupportsErrorInfo<>>, public TreeNode {
public:
    explicit Menu(Control* owner);
    static const QiEntry* Interfaces();
    ToolsCollection& Tools() { return *tools_; }
    void Detach();

    STDMETHODIMP get_Tools(IPlToolsCollection **Value) override;
private:
    ComPtr<ToolsCollection> tools_;
};

class ComboBox : public ComObject<ComboBox, TypeInfoDispatch<IPlComboBoxImpl>, SupportsErrorInfo<>>, public TreeNode {
public:
    explicit ComboBox(Control* owner);
    static const QiEntry* Interfaces();
    void Detach() { owner_ = nullptr; }

    STDMETHODIMP get_ItemData(short Index, VARIANT *Value) override;
    STDMETHODIMP put_ItemData(short Index, VARIANT Value) override;
    STDMETHODIMP putref_ItemData(short Index, VARIANT Value) override;
    STDMETHODIMP get_List(short Index, BSTR *Value) override;
    STDMETHODIMP put_List(short Index, BSTR Value) override;
    STDMETHODIMP get_ListCount(short *Value) override;
    STDMETHODIMP get_ListIndex(short *Value) override;
    STDMETHODIMP put_ListIndex(short Value) override;
    STDMETHODIMP get_Locked(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Locked(VARIANT_BOOL Value) override;
    STDMETHODIMP get_NewIndex(short *Value) override;
    STDMETHODIMP get_Sorted(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Sorted(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Style(Constants_ComboBoxStyle *Value) override;
    STDMETHODIMP put_Style(Constants_ComboBoxStyle Value) override;
    STDMETHODIMP get_Text(BSTR *Value) override;
    STDMETHODIMP put_Text(BSTR Value) override;
    STDMETHODIMP AddItem(BSTR Item, VARIANT *Index) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP RemoveItem(short Index) override;
private:
    friend class Persistence;
    struct Entry {
        std::wstring text;
        Variant data;
    };
    size_t CheckIndex(short index) const;
    std::vector<Entry> list_;
    short listIndex_ = -1, newIndex_ = -1;
    bool locked_ = false, sorted_ = false;
    long style_ = 0;
    std::wstring text_;
};

class Edit : public ComObject<Edit, TypeInfoDispatch<IPlEditImpl>, SupportsErrorInfo<>>, public TreeNode {
public:
    explicit Edit(Control* owner);
    static const QiEntry* Interfaces();
    void Detach() { owner_ = nullptr; }

    STDMETHODIMP get_Locked(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Locked(VARIANT_BOOL Value) override;
    STDMETHODIMP get_MaxLength(short *Value) override;
    STDMETHODIMP put_MaxLength(short Value) override;
    STDMETHODIMP get_Text(BSTR *Value) override;
    STDMETHODIMP put_Text(BSTR Value) override;
    STDMETHODIMP get_PasswordChar(BSTR *Value) override;
    STDMETHODIMP put_PasswordChar(BSTR Value) override;
private:
    friend class Persistence;
    bool locked_ = false;
    short maxLength_ = 0;
    std::wstring text_, passwordChar_;
};

// Everything a toolbar keeps, so Reset can bring a toolbar back to a saved state.
struct ToolBarState {
    bool allowCustomize = true, allowHiding = true, displayGrabHandles = true, displayMoreToolsButton = true;
    bool stock = false, visible = true;
    long captionAlignment = 0, dockedStatus = 1, dockFlags = 31, font3D = 0, style = 0;
    short dockedColumn = 0, dockedRow = 0;
    long floatingHeight = 0, floatingLeft = 0, floatingTop = 0, floatingWidth = 0;
    std::wstring name;
    std::vector<std::wstring> toolIds;
    std::vector<ToolLook> looks;  // of each placement in toolIds, when known
};

class ToolBar : public ComObject<ToolBar, TypeInfoDispatch<IPlToolBarImpl>, SupportsErrorInfo<>>, public TreeNode {
public:
    ToolBar(Control* owner, std::wstring name, long style);
    static const QiEntry* Interfaces();
    const ToolBarState& State() const { return state_; }
    ToolsCollection& Tools() { return *tools_; }
    IDispatch* Dispatch() { return static_cast<IPlToolBarImpl*>(this); }
    void Detach();

    STDMETHODIMP get_AllowCustomize(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_AllowCustomize(VARIANT_BOOL Value) override;
    STDMETHODIMP get_AllowHiding(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_AllowHiding(VARIANT_BOOL Value) override;
    STDMETHODIMP get_CaptionAlignment(Constants_CaptionAlignment *Value) override;
    STDMETHODIMP put_CaptionAlignment(Constants_CaptionAlignment Value) override;
    STDMETHODIMP get_DisplayGrabHandles(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_DisplayGrabHandles(VARIANT_BOOL Value) override;
    STDMETHODIMP get_DisplayMoreToolsButton(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_DisplayMoreToolsButton(VARIANT_BOOL Value) override;
    STDMETHODIMP get_DockedColumn(short *Value) override;
    STDMETHODIMP put_DockedColumn(short Value) override;
    STDMETHODIMP get_DockedRow(short *Value) override;
    STDMETHODIMP put_DockedRow(short Value) override;
    STDMETHODIMP get_DockedStatus(Constants_DockedStatus *Value) override;
    STDMETHODIMP put_DockedStatus(Constants_DockedStatus Value) override;
    STDMETHODIMP get_DockFlags(LONG *Value) override;
    STDMETHODIMP put_DockFlags(LONG Value) override;
    STDMETHODIMP get_FloatingHeight(LONG *Value) override;
    STDMETHODIMP put_FloatingHeight(LONG Value) override;
    STDMETHODIMP get_FloatingLeft(LONG *Value) override;
    STDMETHODIMP put_FloatingLeft(LONG Value) override;
    STDMETHODIMP get_FloatingTop(LONG *Value) override;
    STDMETHODIMP put_FloatingTop(LONG Value) override;
    STDMETHODIMP get_FloatingWidth(LONG *Value) override;
    STDMETHODIMP put_FloatingWidth(LONG Value) override;
    STDMETHODIMP get_Font3D(Constants_Font3D *Value) override;
    STDMETHODIMP put_Font3D(Constants_Font3D Value) override;
    STDMETHODIMP get_Name(BSTR *Value) override;
    STDMETHODIMP put_Name(BSTR Value) override;
    STDMETHODIMP get_Stock(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Stock(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Style(Constants_ToolBarStyle *Value) override;
    STDMETHODIMP get_Tools(IPlToolsCollection **Value) override;
    STDMETHODIMP get_Visible(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL Value) override;
    STDMETHODIMP Reset(VARIANT_BOOL LastLoaded) override;
    STDMETHODIMP get_TagVariant(VARIANT *Value) override;
    STDMETHODIMP put_TagVariant(VARIANT Value) override;
    STDMETHODIMP putref_TagVariant(VARIANT Value) override;
private:
    friend class Persistence;
    template <class T, class V>
    HRESULT Set(T ToolBarState::*field, V value, DISPID id);
    ToolBarState state_;
    ToolBarState created_;
    // The record this bar was last loaded from: its runtime and layout bytes are
    // written back as loaded, and Reset(True) comes back to it.
    format::ToolBar record_;
    ToolBarState lastLoaded_;
    bool loaded_ = false;
    Variant tag_;
    ComPtr<ToolsCollection> tools_;
};

class ToolBarsCollection
    : public ComObject<ToolBarsCollection, TypeInfoDispatch<IPlToolBarsCollectionImpl>, SupportsErrorInfo<>>,
      public TreeNode {
public:
    explicit ToolBarsCollection(Control* owner);
    static const QiEntry* Interfaces();
    const std::vector<ComPtr<ToolBar>>& Items() const { return items_; }
    ToolBar* Find(std::wstring_view name, const ToolBar* except = nullptr) const;
    ToolBar* Resolve(const VARIANT* index) const;
    void Detach();

    STDMETHODIMP get__NewEnum(IUnknown **Enum) override;
    STDMETHODIMP Add(VARIANT *Name, VARIANT *Style, IPlToolBar **ToolBar) override;
    STDMETHODIMP get_Count(LONG *Value) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP Item(VARIANT *Index, IPlToolBar **ToolBar) override;
    STDMETHODIMP Remove(VARIANT *Index) override;
private:
    friend class Persistence;
    std::vector<ComPtr<ToolBar>> items_;
};

// Values an event handler can hand back.
class ReturnLong : public ComObject<ReturnLong, TypeInfoDispatch<IPlReturnLongImpl>, SupportsErrorInfo<>> {
public:
    explicit ReturnLong(long value = 0);
    static const QiEntry* Interfaces();
    STDMETHODIMP get_Value(LONG *Value) override;
    STDMETHODIMP put_Value(LONG Value) override;
    long value;
};

class ReturnShort : public ComObject<ReturnShort, TypeInfoDispatch<IPlReturnShortImpl>, SupportsErrorInfo<>> {
public:
    explicit ReturnShort(short value = 0);
    static const QiEntry* Interfaces();
    STDMETHODIMP get_Value(short *Value) override;
    STDMETHODIMP put_Value(short Value) override;
    short value;
};

class ReturnBoolean
    : public ComObject<ReturnBoolean, TypeInfoDispatch<IPlReturnBooleanImpl>, SupportsErrorInfo<>> {
public:
    explicit ReturnBoolean(bool value = false);
    static const QiEntry* Interfaces();
    STDMETHODIMP get_Value(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Value(VARIANT_BOOL Value) override;
    bool value;
};

// The file list of a drag-and-drop data object (0-based, as the system's list).
class DataObjectFiles
    : public ComObject<DataObjectFiles, TypeInfoDispatch<IPlDataObjectFilesImpl>, SupportsErrorInfo<>> {
public:
    DataObjectFiles();
    static const QiEntry* Interfaces();
    size_t Size() const { return files_.size(); }
    STDMETHODIMP get_Item(LONG lIndex, BSTR *Value) override;
    STDMETHODIMP get_Count(LONG *Value) override;
    STDMETHODIMP Add(BSTR bstrFilename, VARIANT vIndex) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP Remove(VARIANT vIndex) override;
    STDMETHODIMP get__NewEnum(IUnknown **Enum) override;
private:
    size_t CheckIndex(const VARIANT* index, bool allowEnd) const;
    std::vector<std::wstring> files_;
};

// Data carried by a drag and drop, by clipboard format.
class DataObject : public ComObject<DataObject, TypeInfoDispatch<IPlDataObjectImpl>, SupportsErrorInfo<>> {
public:
    DataObject();
    static const QiEntry* Interfaces();
    STDMETHODIMP Clear() override;
    STDMETHODIMP GetData(short sFormat, VARIANT *Data) override;
    STDMETHODIMP GetFormat(short sFormat, VARIANT_BOOL *Present) override;
    STDMETHODIMP SetData(VARIANT vValue, VARIANT vFormat) override;
    STDMETHODIMP get_Files(IPlDataObjectFiles **Value) override;
private:
    std::vector<std::pair<short, Variant>> formats_;
    ComPtr<DataObjectFiles> files_;
};

} // namespace palisade
