#pragma once
// The control's persisted state as plain data: what the property stream holds,
// field by field, without any COM object or window. The stream reader fills it,
// the writer writes it, and the control converts it to and from its object tree.
// Text is kept as the stream's own bytes (ANSI, code page 1252): the control
// converts it, so bytes it does not interpret are written back unchanged.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace palisade::format {

using Bytes = std::vector<std::uint8_t>;

// Format versions whose layout differs from the one before.
enum Version : std::uint32_t {
    kStripsFrom = 0x00010004,         // picture strips; before, pictures inline in each tool
    kToolBarTagFrom = 0x00020000,     // toolbar TagVariant
    kControlBlock25From = 0x00020002, // control block of 25 bytes (24 before)
    kInstanceFlagsFrom = 0x00020003,  // placement flags byte, edit PasswordChar
    kToolBarBlock45From = 0x00020008, // toolbar block of 45 bytes (41 before)
    kControlBlock26From = 0x0002000B, // control block of 26 bytes
    kCurrentVersion = 0x00050000,     // control block of 28 bytes; written by this release
};

constexpr std::uint32_t kSignature = 0x12344321;

// The four picture kinds, in the order their strips are stored.
enum PictureKind { kPicture, kPictureDown, kPictureDisabled, kPictureDownDisabled, kPictureKinds };

// A strip cell is 32 x 33 pixels; a picture is at most that.
constexpr int kCellWidth = 32, kCellHeight = 33;

// A picture as pixels, 0x00RRGGBB, rows from the top.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
    bool operator==(const Pixels&) const = default;
};

// What a placement keeps for itself (the leading part of every tool record).
struct Placement {
    std::uint8_t foreColorSource = 0, displayStyle = 0;
    std::uint32_t foreColor = 0x80000012;
    std::int16_t ctlWidth = 75;
    std::uint8_t flags = 1;
    std::string name, id;
    bool operator==(const Placement&) const = default;
};

struct ComboPart {
    std::array<std::uint8_t, 2> settings{};  // style, bit 0 sorted and bit 1 locked
    std::string text;
    std::vector<std::pair<std::string, std::string>> items;  // text, ItemData as text
    bool operator==(const ComboPart&) const = default;
};

struct EditPart {
    std::array<std::uint8_t, 3> settings{};  // bit 0 locked; MaxLength as i16
    std::string text, passwordChar;
    bool operator==(const EditPart&) const = default;
};

struct Tool {
    Placement look;  // the pool tool's own caption and colours, and its ID
    std::uint8_t state = 0, type = 0, shortcut = 0, menuVisibility = 0;
    std::int16_t pictureSize = 16, pictureWidth = 0, pictureHeight = 0;
    bool autoWrap = false, enabled = true, groupAllowAllUp = true, visible = true, useMaskColor = true;
    bool customizable = true, recentlyUsed = false;
    std::string category = "General", description, group, toolTipText, tag;
    // The pictures by kind: cut from the strips (or, in the oldest streams, an
    // OLE picture stream stored inline in the record).
    std::array<std::optional<Pixels>, kPictureKinds> pictures;
    std::array<std::optional<Bytes>, kPictureKinds> inlinePictures;
    std::optional<ComboPart> combo;  // type 4
    std::optional<EditPart> edit;    // type 5
    std::vector<Placement> menu;     // type 7
    bool HasPicture(int kind) const { return pictures[kind] || inlinePictures[kind]; }
    bool operator==(const Tool&) const = default;
};

struct ToolBar {
    std::uint8_t captionAlignment = 0, dockedStatus = 1, font3D = 0, style = 0;
    std::array<std::uint8_t, 2> runtime{};  // written back as loaded
    std::int16_t dockedColumn = 0, dockedRow = 0;
    std::array<std::int16_t, 2> layout{};   // written back as loaded
    std::int16_t floatingRow = 0, floatingColumn = 0;
    std::array<std::int16_t, 2> layoutEnd{-1, -1};
    std::int32_t dockFlags = 31, floatingHeight = -1, floatingLeft = -1, floatingTop = -1, floatingWidth = -1;
    bool allowCustomize = true, allowHiding = true, displayGrabHandles = true, stock = false, visible = true;
    bool displayMoreToolsButton = true;
    std::string name = "ToolBar";
    std::vector<Placement> placements;
    std::vector<std::string> idList;  // the trailing list of placement IDs
    std::string tag;
    bool operator==(const ToolBar&) const = default;
};

struct ControlBlock {
    std::uint32_t backColor = 0x8000000F, foreColor = 0x80000012, maskColor = 0x00C0C0C0;
    std::int16_t toolTipDelay = 500;
    std::uint8_t fontSource = 0, menuAnimations = 0, personalizedMenus = 0, pictureBackgroundStyle = 0;
    std::uint8_t style = 0, dragFullToolBars = 0;
    // Bits: 0 ActiveColors, 1 DisplayContextMenu, 2 Enabled, 3 PictureBackgroundUseMask,
    // 4 ShowShortcutsInToolTips, 5 ShowToolTips, 6 Visible, 7 LargeIcons.
    std::uint8_t flags = 0x67;
    std::int16_t fadeDelay = 0;
    bool operator==(const ControlBlock&) const = default;
};

// The whole stream.
struct Stream {
    std::int32_t extentX = 0, extentY = 0;  // HIMETRIC
    std::uint32_t version = kCurrentVersion;
    ControlBlock control;
    std::optional<Bytes> font;               // the OLE font's own stream
    std::optional<Bytes> pictureBackground;  // an OLE picture stream
    std::string tag;
    std::vector<Tool> tools;
    std::vector<ToolBar> toolBars;
    bool operator==(const Stream&) const = default;
};

} // namespace palisade::format
