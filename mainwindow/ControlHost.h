#pragma once
// The toolbar control TB of the main window (Palisade50.dll), hosted as an OLE control:
// created by its ProgID when it is registered, otherwise from the library beside the
// program without registration; sited on the window, hidden, loaded from its stream, its
// ToolClick received by a sink. When neither way gives a control the host is simply
// empty: the program runs without the line menu.
#include "common/com/ComPtr.h"

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>
#include <string>

class ControlHost {
public:
    enum class Origin { None, Registered, ProgramFolder };
    // Called with the ID of the tool the user chose, inside the popup's modal loop.
    using ToolClickHandler = std::function<void(const std::wstring& id)>;

    static constexpr const wchar_t* ProgId = L"Palisade.PalisadeCtl";
    static constexpr const wchar_t* LibraryName = L"Palisade50.dll";

    ControlHost(HWND form, ToolClickHandler onToolClick);
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Creates the control (progId first, then LibraryName in folder), sites it on the
    // form and loads it from stream (a new control when stream is null). False when no
    // control could be had; the host then stays empty.
    bool Create(const std::wstring& progId, const std::wstring& folder, IStream* stream);
    // Unsites and releases the control (also done by the destructor).
    void Close();

    bool Available() const { return static_cast<bool>(control_); }
    Origin CreatedFrom() const { return origin_; }
    IDispatch* Control() const { return control_.Get(); }

    // Tools.Item(id).Enabled and .Visible; false when the tool is not there.
    bool SetToolEnabled(const std::wstring& id, bool on);
    bool SetToolVisible(const std::wstring& id, bool on);
    // Reads them back; false when the tool is not there.
    bool ToolEnabled(const std::wstring& id) const;
    bool ToolVisible(const std::wstring& id) const;
    // Shows the menu tool at the mouse; returns after the user's choice has been handled.
    bool PopupMenu(const std::wstring& menuId);

    // The folder of the running program, where the library travels with it.
    static std::wstring ProgramFolder();

private:
    class Site;
    class Sink;

    bool Attach(IUnknown* object, IStream* stream);
    bastide::com::ComPtr<IDispatch> Tool(const std::wstring& id) const;

    HWND form_;
    ToolClickHandler onToolClick_;
    bool oleStarted_ = false;
    Origin origin_ = Origin::None;
    bastide::com::ComPtr<IDispatch> control_;
    bastide::com::ComPtr<IOleObject> oleObject_;
    bastide::com::ComPtr<IConnectionPoint> events_;
    DWORD cookie_ = 0;
    bastide::com::ComPtr<Sink> sink_;
    bastide::com::ComPtr<Site> site_;
};
