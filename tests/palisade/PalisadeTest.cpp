#include "PalisadeTest.h"

#include "common/com/Dispatch.h"

namespace palisade::test {

std::wstring LibraryPath() {
    std::wstring exe = bastide::com::ModulePath(nullptr);
    return exe.substr(0, exe.find_last_of(L'\\') + 1) + L"Palisade50.dll";
}

HMODULE Library() {
    static HMODULE module = LoadLibraryW(LibraryPath().c_str());
    return module;
}

ComPtr<ITypeLib> LibraryTypeLib() {
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(S_OK, LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, lib.Put()));
    return lib;
}

ComPtr<IPlToolBarControlImpl> NewControl() {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = ExportOf<GetClassObject>(Library(), "DllGetClassObject");
    ComPtr<IClassFactory> factory;
    ComPtr<IPlToolBarControlImpl> control;
    if (!get || FAILED(get(CLSID_PalisadeCtl, IID_IClassFactory, factory.PutVoid()))) {
        ADD_FAILURE() << "no class factory for PalisadeCtl";
        return control;
    }
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPlToolBarControlImpl, control.PutVoid()));
    return control;
}

ComPtr<IPlToolsCollectionImpl> ToolsOf(IPlToolBarControlImpl* control) {
    ComPtr<IPlToolsCollection> tools;
    EXPECT_EQ(S_OK, control->get_Tools(tools.Put()));
    return Query<IPlToolsCollectionImpl>(tools.Get(), IID_IPlToolsCollectionImpl);
}

ComPtr<IPlToolBarsCollectionImpl> BarsOf(IPlToolBarControlImpl* control) {
    ComPtr<IPlToolBarsCollection> bars;
    EXPECT_EQ(S_OK, control->get_ToolBars(bars.Put()));
    return Query<IPlToolBarsCollectionImpl>(bars.Get(), IID_IPlToolBarsCollectionImpl);
}

ComPtr<IPlToolImpl> AddTool(IPlToolsCollectionImpl* tools, const wchar_t* id, long type) {
    Bstr name(id);
    Variant t = Long(type);
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    ComPtr<IPlTool> tool;
    EXPECT_EQ(S_OK, tools->Add(name.Get(), t.Ptr(), &missing, tool.Put())) << "Add " << std::string(id, id + wcslen(id));
    return Query<IPlToolImpl>(tool.Get(), IID_IPlToolImpl);
}

ComPtr<IPlToolBarImpl> AddBar(IPlToolBarsCollectionImpl* bars, const wchar_t* name) {
    Variant n = Str(name);
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    ComPtr<IPlToolBar> bar;
    EXPECT_EQ(S_OK, bars->Add(n.Ptr(), &missing, bar.Put()));
    return Query<IPlToolBarImpl>(bar.Get(), IID_IPlToolBarImpl);
}

ComPtr<IPlToolsCollectionImpl> MenuToolsOf(IPlToolImpl* menuTool) {
    ComPtr<IPlMenu> menu;
    EXPECT_EQ(S_OK, menuTool->get_Menu(menu.Put()));
    auto impl = Query<IPlMenuImpl>(menu.Get(), IID_IPlMenuImpl);
    ComPtr<IPlToolsCollection> tools;
    if (impl) {
        EXPECT_EQ(S_OK, impl->get_Tools(tools.Put()));
    }
    return Query<IPlToolsCollectionImpl>(tools.Get(), IID_IPlToolsCollectionImpl);
}

ComPtr<IPlToolsCollectionImpl> BarToolsOf(IPlToolBarImpl* bar) {
    ComPtr<IPlToolsCollection> tools;
    EXPECT_EQ(S_OK, bar->get_Tools(tools.Put()));
    return Query<IPlToolsCollectionImpl>(tools.Get(), IID_IPlToolsCollectionImpl);
}

ComPtr<IPlToolImpl> ItemOf(IPlToolsCollectionImpl* tools, VARIANT index, HRESULT* hrOut) {
    ComPtr<IPlTool> tool;
    HRESULT hr = tools->Item(&index, tool.Put());
    if (hrOut) *hrOut = hr;
    return Query<IPlToolImpl>(tool.Get(), IID_IPlToolImpl);
}

std::wstring IdOf(IPlToolImpl* tool) {
    Bstr id;
    EXPECT_EQ(S_OK, tool->get_ID(id.Put()));
    return id.Str();
}

std::wstring NameOf(IPlToolImpl* tool) {
    Bstr name;
    EXPECT_EQ(S_OK, tool->get_Name(name.Put()));
    return name.Str();
}

std::wstring LastErrorText() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info) return L"(no error info)";
    Bstr text;
    info->GetDescription(text.Put());
    return text.Str();
}

CallResult Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant> args) {
    CallResult r;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    r.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(r.hr)) return r;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->Get());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep = {};
    UINT argErr = 0;
    r.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.Ptr(), &excep, &argErr);
    if (r.hr == DISP_E_EXCEPTION) {
        r.scode = excep.scode;
        if (excep.bstrDescription) r.description = excep.bstrDescription;
    }
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrHelpFile);
    return r;
}

CallResult Get(IDispatch* object, const wchar_t* name, std::vector<Variant> args) {
    return Call(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}

CallResult Put(IDispatch* object, const wchar_t* name, Variant value) {
    return Call(object, name, DISPATCH_PROPERTYPUT, {std::move(value)});
}

Variant Str(const wchar_t* text) { return Variant::FromString(text); }
Variant Long(long value) { return Variant::FromLong(value); }
Variant Double(double value) {
    Variant v;
    V_VT(v.Ptr()) = VT_R8;
    V_R8(v.Ptr()) = value;
    return v;
}

} // namespace palisade::test
