#pragma once
// OLE drag and drop of paths: a path dragged out of the window as text, and the drop
// target of the window, which takes text or a list of files from any program.
#include "common/com/ComPtr.h"

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

namespace dragdrop {

// Data held in global memory, offered in the formats given to it (SetData).
bastide::com::ComPtr<IDataObject> NewData();
// Text, as Unicode and ANSI text.
bastide::com::ComPtr<IDataObject> TextData(const std::wstring& text);
// A file list as the shell offers it (CF_HDROP).
bastide::com::ComPtr<IDataObject> FileListData(const std::vector<std::wstring>& files);

// Drags text out of the window (copy only) until the mouse button is released;
// returns the effect the drop had.
DWORD DragText(const std::wstring& text);

// Whether the data offers text or a file list.
bool OffersPath(IDataObject* data);
// The text of the data (its first line), else the first file of its list; empty when
// it offers neither.
std::wstring DroppedPath(IDataObject* data);

// Where a drop may land: called with a screen point, returns whether a drop there is
// taken. The drop itself hands the point and the path.
struct DropHandlers {
    std::function<bool(POINT)> accepts;
    std::function<void(POINT, const std::wstring&)> drop;
};

// Registers the window as a drop target for paths; Revoke before it is destroyed.
bool Register(HWND window, DropHandlers handlers);
void Revoke(HWND window);

}  // namespace dragdrop
