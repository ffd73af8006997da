// Builds the persisted stream of the main window's toolbar control TB: the popup
// menu "MenuPop" of the path labels, its seven tools with their pictures, and the
// hidden toolbar that holds the menu. Run at build time on the build machine; the
// bytes become a resource of Bastide.exe.
//
//   MakeMenuStream <stream file> [<folder for the same stream in each older layout>]

#include "palisade/format/Dib.h"
#include "palisade/format/Stream.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

using namespace palisade::format;

namespace {

// The stream keeps Windows-1252 text; the captions here are UTF-8.
std::string To1252(const char* utf8) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
        if (*p < 0x80) {
            out += static_cast<char>(*p);
        } else if ((*p & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
            unsigned c = (*p & 0x1Fu) << 6 | (p[1] & 0x3Fu);
            if (c < 0xA0) throw std::runtime_error("character outside Latin-1");
            out += static_cast<char>(c);  // U+00A0..U+00FF are the same bytes in 1252
            ++p;
        } else {
            throw std::runtime_error("character outside Latin-1");
        }
    }
    return out;
}

// Pictures are drawn as text, one character per pixel; '.' is the mask colour,
// which the control leaves transparent.
const std::uint32_t kMask = 0x00C0C0C0;
std::uint32_t ColourOf(char c) {
    switch (c) {
    case '#': return 0x000000;  // outline
    case 'y': return 0xF0C850;  // folder
    case 'Y': return 0xC89628;  // folder, shade
    case 'w': return 0xFFFFFF;  // paper
    case 'g': return 0x808080;  // lines, page edge
    case 'G': return 0x20A040;  // arrows
    case 'D': return 0x106020;  // arrows, shade
    case 'r': return 0xD02020;  // cross
    case 'R': return 0x901010;  // cross, shade
    case 'b': return 0x3060C0;  // pencil
    case 'o': return 0xF0B080;  // pencil wood
    default: return kMask;
    }
}

Pixels Draw(const char* const (&rows)[16]) {
    Pixels p;
    p.width = p.height = 16;
    for (const char* row : rows)
        for (int x = 0; x < 16; ++x) p.rgb.push_back(ColourOf(row[x]));
    return p;
}

const char* const kFolder[16] = {
    "................", "................", "..#####.........", ".#yyyyy#........", "#yyyyyyy#######.",
    "#yyyyyyyyyyyyY#.", "#yyyyyyyyyyyyY#.", "#yyyyyyyyyyyyY#.", "#yyyyyyyyyyyyY#.", "#yyyyyyyyyyyyY#.",
    "#yyyyyyyyyyyyY#.", "#yyyyyyyyyyyyY#.", "#YYYYYYYYYYYYY#.", "###############.", "................",
    "................"};
const char* const kFolderAndFile[16] = {
    "................", "..#####.........", ".#yyyyy#........", "#yyyyyyy######..", "#yyyyyyyyyyyY#..",
    "#yyyyyyyy######.", "#yyyyyyyy#wwww##", "#yyyyyyyy#wggw#w", "#yyyyyyyy#wwwww#", "#yyyyyyyy#wgggw#",
    "#YYYYYYYY#wwwww#", "#########wgggw#.", ".........#wwwww#", ".........#######", "................",
    "................"};
const char* const kPencil[16] = {
    "................", "...........##...", "..........#rr#..", ".........#bbrr#.", "........#obbb#..",
    ".......#obbb#...", "......#obbb#....", ".....#obbb#.....", "....#obbb#......", "...#obbb#.......",
    "..#oobb#........", "..#ooo#.........", ".#ooo#..........", ".###............", "................",
    "................"};
const char* const kProperties[16] = {
    "..##########....", "..#wwwwwwww##...", "..#wwwwwwww#w#..", "..#wggggggw####.", "..#wwwwwwwwwww#.",
    "..#wggggggggww#.", "..#wwwwwwwwwww#.", "..#wggggggggww#.", "..#wwwwwwwwwww#.", "..#wggggggggww#.",
    "..#wwwwwwwwwww#.", "..#wgggggwwwww#.", "..#wwwwwwwwwww#.", "..#############.", "................",
    "................"};
const char* const kUp[16] = {
    "................", ".......##.......", "......#GG#......", ".....#GGGG#.....", "....#GGGGGG#....",
    "...#GGGGGGGG#...", "..#GGGGGGGGGG#..", ".####GGGGGD####.", "....#GGGGD#.....", "....#GGGGD#.....",
    "....#GGGGD#.....", "....#GGGGD#.....", "....#GGGGD#.....", "....#DDDDD#.....", "....#######.....",
    "................"};
const char* const kDown[16] = {
    "................", "....#######.....", "....#GGGGG#.....", "....#GGGGD#.....", "....#GGGGD#.....",
    "....#GGGGD#.....", "....#GGGGD#.....", "....#GGGGD#.....", ".####GGGGD####..", "..#GGGGGGGGD#...",
    "...#GGGGGGD#....", "....#GGGGD#.....", ".....#GGD#......", "......#D#.......", ".......#........",
    "................"};
const char* const kCross[16] = {
    "................", "................", "..##.......##...", ".#rr#.....#rr#..", ".#rrr#...#rrR#..",
    "..#rrr#.#rrR#...", "...#rrr#rrR#....", "....#rrrrR#.....", "....#rrrrR#.....", "...#rrR#rrr#....",
    "..#rrR#.#rrr#...", ".#rrR#...#rrr#..", ".#RR#.....#RR#..", "..##.......##...", "................",
    "................"};

Placement PlacementOf(const char* id, const char* caption) {
    Placement p;
    p.id = id;
    p.name = To1252(caption);
    return p;
}

Placement Separator() {
    Placement p = PlacementOf("separator", "");
    p.ctlWidth = 1;  // a separator never has a width
    return p;
}

Stream MainWindowStream() {
    Stream s;
    s.extentX = 2646;  // 100 x 50 pixels at 96 dpi, in HIMETRIC
    s.extentY = 1323;
    s.control.toolTipDelay = 500;
    s.control.style = 2;              // plStyleXP
    s.control.personalizedMenus = 1;  // plPersonalDisplayOnHover
    s.control.flags = 0x66;           // context menu, enabled, tooltips, visible

    Tool menu;
    menu.look = PlacementOf("MenuPop", "MenuPop");
    menu.type = 7;
    menu.visible = false;
    menu.autoWrap = true;
    menu.menu = {PlacementOf("ModifRep", "Modifier (Répertoire)"),
                 PlacementOf("ModifRepFich", "Modifier (Rep && Fichiers)"),
                 Separator(),
                 PlacementOf("Editer", "Editer"),
                 Separator(),
                 PlacementOf("Prop", "Propriétés"),
                 Separator(),
                 PlacementOf("LigneUp", "Remonter la ligne"),
                 PlacementOf("LigneDown", "Descendre la ligne"),
                 Separator(),
                 PlacementOf("DeleteLigne", "Supprimer la ligne")};
    s.tools.push_back(menu);

    const struct {
        const char* id;
        const char* const (&picture)[16];
    } buttons[] = {{"ModifRep", kFolder},  {"ModifRepFich", kFolderAndFile}, {"Editer", kPencil},
                   {"Prop", kProperties}, {"LigneUp", kUp},                  {"LigneDown", kDown},
                   {"DeleteLigne", kCross}};
    for (const auto& b : buttons) {
        Tool t;
        for (const Placement& p : menu.menu)
            if (p.id == b.id) t.look = p;
        t.pictureWidth = t.pictureHeight = 16;
        t.pictures[kPicture] = Draw(b.picture);
        s.tools.push_back(std::move(t));
    }

    ToolBar bar;
    bar.name = "Menu";
    bar.visible = false;
    bar.displayMoreToolsButton = false;
    bar.placements = {PlacementOf("MenuPop", "MenuPop")};
    bar.idList = {"MenuPop"};
    s.toolBars.push_back(bar);
    return s;
}

// A picture as the oldest layouts stored it inline: an OLE picture stream ("lt",
// length) holding a bitmap file.
Bytes InlinePicture(const Pixels& pixels) {
    Bytes dib = PackDib(pixels);
    Bytes blob;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) blob.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put32(0x746C);
    put32(static_cast<std::uint32_t>(14 + dib.size()));
    blob.push_back('B');
    blob.push_back('M');
    put32(static_cast<std::uint32_t>(14 + dib.size()));
    put32(0);
    put32(14 + 40);
    blob.insert(blob.end(), dib.begin(), dib.end());
    return blob;
}

void Save(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: MakeMenuStream <stream file> [<older layouts folder>]\n");
        return 2;
    }
    try {
        Stream s = MainWindowStream();
        WriteOptions options;
        // BackColor is the system's button face; this is its colour on the machines
        // that build and test the program, so saving the loaded stream there gives
        // these bytes again. Elsewhere only the cell margins, never shown, differ.
        options.stripBackground = 0x00F5F5F5;
        Save(argv[1], Write(s, options));
        if (argc > 2) {
            for (std::uint32_t version : {0x00010000u, 0x00010004u, 0x00020000u, 0x00020002u, 0x00020003u,
                                          0x00020008u, 0x0002000Bu, 0x00040000u}) {
                s.version = version;
                if (version < kStripsFrom)
                    for (Tool& t : s.tools)
                        if (t.pictures[kPicture]) t.inlinePictures[kPicture] = InlinePicture(*t.pictures[kPicture]);
                char name[32];
                std::snprintf(name, sizeof name, "/stream-%08x.bin", version);
                Save(argv[2] + std::string(name), Write(s, options));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MakeMenuStream: %s\n", e.what());
        return 1;
    }
    return 0;
}
