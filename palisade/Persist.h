#pragma once
// The control's persistence (Persist.cpp): between the object tree of a control
// and the plain model of its persisted stream, and the files that carry it.

#include "palisade/Control.h"
#include "palisade/format/Model.h"

#include <span>
#include <string>

namespace palisade {

class Persistence {
public:
    // The control's whole state as the stream model, and as the bytes of a stream.
    static format::Stream ModelOf(Control& control);
    static format::Bytes Save(Control& control);
    // Loads a stream: E_UNEXPECTED and nothing changed for bytes that are not such a
    // stream; OLE_E_BLANK when the control's form already has a loaded control; an
    // error for a damaged stream, keeping what was read before the damage. used
    // receives the length of the stream within bytes.
    static HRESULT Load(Control& control, std::span<const std::uint8_t> bytes, size_t* used);
    // Takes a model read from a stream or a property bag (result: how the reading
    // went), with the same checks and the same outcome as Load.
    static HRESULT Take(Control& control, const format::Stream& model, HRESULT result);
    // Empties the pool and the toolbars.
    static void Clear(Control& control);
    // The control is going away: its form may take another.
    static void Forget(const Control& control);

    // Configuration files (a whole stream) and layout files (the toolbars); raise
    // automation errors.
    static void LoadConfiguration(Control& control, std::span<const std::uint8_t> bytes);
    static void LoadConfigurationFile(Control& control, const std::wstring& path);
    static void SaveConfiguration(Control& control, const std::wstring& path);
    static void LoadLayout(Control& control, const std::wstring& path);
    static void SaveLayout(Control& control, const std::wstring& path);

    // Bytes as a VARIANT array of VT_UI1, and back (raising 380 for anything else).
    static Variant BytesVariant(const format::Bytes& bytes);
    static format::Bytes BytesIn(const VARIANT* value);

private:
    static format::ToolBar RecordOf(Control& control, ToolBar& bar);
    static bool Apply(Control& control, const format::Stream& stream);
    static Tool& PoolToolFor(Control& control, const std::string& id, ComPtr<Tool>& standIn);
    static void LoadPlacements(Control& control, ToolsCollection& list, const std::vector<format::Placement>& from,
                               ComPtr<Tool>& separator);
    static void LoadToolBar(Control& control, ToolBar& bar, const format::ToolBar& record, ComPtr<Tool>& separator,
                            ComPtr<Tool>& moreTools);
    static HWND FormOf(Control& control);
    static bool MayLoadOnItsForm(Control& control);
};

} // namespace palisade
