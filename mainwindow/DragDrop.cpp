#include "mainwindow/DragDrop.h"

#include "common/Guard.h"
#include "common/Text.h"
#include "common/com/ComObject.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

using bastide::com::ComPtr;

namespace dragdrop {

namespace {

FORMATETC FormatOf(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

HGLOBAL CopyGlobal(HGLOBAL source) {
    SIZE_T size = GlobalSize(source);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    void* from = GlobalLock(source);
    void* to = GlobalLock(copy);
    if (from && to) std::memcpy(to, from, size);
    if (to) GlobalUnlock(copy);
    if (from) GlobalUnlock(source);
    if (!from || !to) {
        GlobalFree(copy);
        return nullptr;
    }
    return copy;
}

HGLOBAL GlobalOf(const void* bytes, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory) return nullptr;
    if (void* to = GlobalLock(memory)) {
        std::memcpy(to, bytes, size);
        GlobalUnlock(memory);
        return memory;
    }
    GlobalFree(memory);
    return nullptr;
}

// Data in global memory, one block per format; what a drop target asks for is copied
// out, so the object can be read any number of times.
class MemoryData : public bastide::com::ComObject<MemoryData, IDataObject> {
public:
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {
            bastide::com::QiEntry::Of<MemoryData, IDataObject>(IID_IDataObject), {}};
        return table;
    }
    ~MemoryData() override {
        for (Entry& entry : entries_) GlobalFree(entry.memory);
    }
    // Takes ownership of memory.
    void Add(CLIPFORMAT format, HGLOBAL memory) {
        if (!memory) return;
        for (Entry& entry : entries_) {
            if (entry.format.cfFormat == format) {
                GlobalFree(entry.memory);
                entry.memory = memory;
                return;
            }
        }
        entries_.push_back({FormatOf(format), memory});
    }

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        const Entry* entry = Find(*format);
        if (!entry) return DV_E_FORMATETC;
        HGLOBAL copy = CopyGlobal(entry->memory);
        if (!copy) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        return Find(*format) ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    // The shell's drag helpers leave formats of their own on the data.
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
        if (!format || !medium) return E_INVALIDARG;
        if (medium->tymed != TYMED_HGLOBAL || !(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        HGLOBAL memory = release ? medium->hGlobal : CopyGlobal(medium->hGlobal);
        if (!memory) return E_OUTOFMEMORY;
        Add(format->cfFormat, memory);
        if (release && medium->pUnkForRelease) medium->pUnkForRelease->Release();
        return S_OK;
    }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        for (const Entry& entry : entries_) formats.push_back(entry.format);
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    struct Entry {
        FORMATETC format;
        HGLOBAL memory;
    };
    const Entry* Find(const FORMATETC& format) const {
        if (!(format.tymed & TYMED_HGLOBAL) || format.dwAspect != DVASPECT_CONTENT) return nullptr;
        for (const Entry& entry : entries_) {
            if (entry.format.cfFormat == format.cfFormat) return &entry;
        }
        return nullptr;
    }
    std::vector<Entry> entries_;
};

// The source side of a drag: it ends when the mouse button is released, Escape cancels.
class PathSource : public bastide::com::ComObject<PathSource, IDropSource> {
public:
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {
            bastide::com::QiEntry::Of<PathSource, IDropSource>(IID_IDropSource), {}};
        return table;
    }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) return DRAGDROP_S_DROP;
        return S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// A path is taken by copy; a source that offers only a link is linked to. A move is
// never reported: the source would delete the file it thinks has been moved.
DWORD EffectFor(DWORD allowed) {
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

class PathTarget : public bastide::com::ComObject<PathTarget, IDropTarget> {
public:
    explicit PathTarget(DropHandlers handlers) : handlers_(std::move(handlers)) {}
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {
            bastide::com::QiEntry::Of<PathTarget, IDropTarget>(IID_IDropTarget), {}};
        return table;
    }
    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
        offered_ = OffersPath(data);
        return Answer(point, effect);
    }
    STDMETHODIMP DragOver(DWORD, POINTL point, DWORD* effect) override { return Answer(point, effect); }
    STDMETHODIMP DragLeave() override {
        offered_ = false;
        return S_OK;
    }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
        offered_ = OffersPath(data);
        Answer(point, effect);
        offered_ = false;
        if (!effect || *effect == DROPEFFECT_NONE) return S_OK;
        std::wstring path = DroppedPath(data);
        POINT at{point.x, point.y};
        if (path.empty() || !handlers_.drop) {
            *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        guard::Call<void>("dragdrop::Drop", [&] { handlers_.drop(at, path); });
        return S_OK;
    }

private:
    HRESULT Answer(POINTL point, DWORD* effect) {
        if (!effect) return E_INVALIDARG;
        POINT at{point.x, point.y};
        bool taken = offered_ && handlers_.accepts &&
                     guard::Call<bool>("dragdrop::Accepts", [&] { return handlers_.accepts(at); });
        *effect = taken ? EffectFor(*effect) : DROPEFFECT_NONE;
        return S_OK;
    }
    DropHandlers handlers_;
    bool offered_ = false;
};

bool Offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC query = FormatOf(format);
    return data && data->QueryGetData(&query) == S_OK;
}

// The global memory of one format, locked for as long as this lives.
class Medium {
public:
    Medium(IDataObject* data, CLIPFORMAT format) {
        FORMATETC query = FormatOf(format);
        if (!data || FAILED(data->GetData(&query, &medium_))) return;
        held_ = true;
        if (medium_.tymed == TYMED_HGLOBAL) {
            bytes_ = GlobalLock(medium_.hGlobal);
            size_ = bytes_ ? GlobalSize(medium_.hGlobal) : 0;
        }
    }
    ~Medium() {
        if (bytes_) GlobalUnlock(medium_.hGlobal);
        if (held_) ReleaseStgMedium(&medium_);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    const void* Bytes() const { return bytes_; }
    size_t Size() const { return size_; }
    HGLOBAL Global() const { return bytes_ ? medium_.hGlobal : nullptr; }

private:
    STGMEDIUM medium_{};
    bool held_ = false;
    void* bytes_ = nullptr;
    size_t size_ = 0;
};

// A path takes one line: the rest of a text (a second line, a line break copied with
// it) would not make a path, and a line break would break the settings file.
std::wstring FirstLine(std::wstring text) {
    size_t end = text.find_first_of(L"\r\n");
    if (end != std::wstring::npos) text.resize(end);
    return text;
}

}  // namespace

ComPtr<IDataObject> NewData() {
    auto data = bastide::com::MakeObject<MemoryData>();
    return ComPtr<IDataObject>(static_cast<IDataObject*>(data.Get()));
}

ComPtr<IDataObject> TextData(const std::wstring& text) {
    auto data = bastide::com::MakeObject<MemoryData>();
    data->Add(CF_UNICODETEXT, GlobalOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    std::string ansi = text::ToAnsi(text);
    data->Add(CF_TEXT, GlobalOf(ansi.c_str(), ansi.size() + 1));
    return ComPtr<IDataObject>(static_cast<IDataObject*>(data.Get()));
}

ComPtr<IDataObject> FileListData(const std::vector<std::wstring>& files) {
    // DROPFILES, then the names one after the other, each ended by a NUL, and a last NUL.
    std::wstring names;
    for (const std::wstring& file : files) names += file + L'\0';
    names += L'\0';
    std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    auto data = bastide::com::MakeObject<MemoryData>();
    data->Add(CF_HDROP, GlobalOf(block.data(), block.size()));
    return ComPtr<IDataObject>(static_cast<IDataObject*>(data.Get()));
}

DWORD DragText(const std::wstring& text) {
    ComPtr<IDataObject> data = TextData(text);
    auto source = bastide::com::MakeObject<PathSource>();
    DWORD effect = DROPEFFECT_NONE;
    if (DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect) != DRAGDROP_S_DROP) return DROPEFFECT_NONE;
    return effect;
}

bool OffersPath(IDataObject* data) {
    return Offers(data, CF_UNICODETEXT) || Offers(data, CF_TEXT) || Offers(data, CF_HDROP);
}

std::wstring DroppedPath(IDataObject* data) {
    if (Offers(data, CF_UNICODETEXT)) {
        Medium medium(data, CF_UNICODETEXT);
        if (!medium.Bytes()) return L"";
        const auto* chars = static_cast<const wchar_t*>(medium.Bytes());
        size_t count = medium.Size() / sizeof(wchar_t);
        return FirstLine(std::wstring(chars, std::find(chars, chars + count, L'\0')));
    }
    if (Offers(data, CF_TEXT)) {
        Medium medium(data, CF_TEXT);
        if (!medium.Bytes()) return L"";
        const auto* chars = static_cast<const char*>(medium.Bytes());
        return FirstLine(text::FromAnsi(std::string(chars, std::find(chars, chars + medium.Size(), '\0'))));
    }
    if (Offers(data, CF_HDROP)) {
        Medium medium(data, CF_HDROP);
        if (!medium.Global()) return L"";
        auto drop = static_cast<HDROP>(medium.Global());
        UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        if (length == 0) return L"";
        std::wstring path(length + 1, L'\0');
        DragQueryFileW(drop, 0, path.data(), length + 1);
        path.resize(length);
        return path;
    }
    return L"";
}

bool Register(HWND window, DropHandlers handlers) {
    auto target = bastide::com::MakeObject<PathTarget>(std::move(handlers));
    return SUCCEEDED(RegisterDragDrop(window, target.Get()));
}

void Revoke(HWND window) { RevokeDragDrop(window); }

}  // namespace dragdrop
