// The control's persisted stream: the main window's stream read back field by
// field, save-load-save giving the same bytes, every older layout, damaged and
// foreign bytes, the one-control-per-form rule, storages, configuration and
// layout files.

#include "PalisadeTest.h"
#include "TestHost.h"

#include "palisade/format/Stream.h"

#include <filesystem>
#include <fstream>
#include <map>

namespace palisade::test {
namespace {

using palisade::format::Bytes;

std::wstring Wide(const char* s) { return std::wstring(s, s + strlen(s)); }

Bytes FileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    EXPECT_TRUE(in.good()) << std::filesystem::path(path).string();
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes MainStream() {
    static const Bytes bytes = FileBytes(Wide(MENU_STREAM_FILE));
    return bytes;
}

ComPtr<IStream> StreamOf(const Bytes& bytes) {
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

HRESULT LoadInto(IPlToolBarControlImpl* control, const Bytes& bytes) {
    return Query<IPersistStreamInit>(control, IID_IPersistStreamInit)->Load(StreamOf(bytes).Get());
}

Bytes SavedBytes(IPlToolBarControlImpl* control) {
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    EXPECT_EQ(S_OK, Query<IPersistStreamInit>(control, IID_IPersistStreamInit)->Save(stream.Get(), TRUE));
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    return bytes;
}

ComPtr<IPlToolBarControlImpl> Loaded(const Bytes& bytes) {
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    EXPECT_EQ(S_OK, LoadInto(control.Get(), bytes));
    return control;
}

long CountOf(IPlToolsCollectionImpl* tools) {
    LONG n = -1;
    tools->get_Count(&n);
    return n;
}

ComPtr<IPlToolImpl> ToolNamed(IPlToolsCollectionImpl* tools, const wchar_t* id) { return ItemOf(tools, Str(id).Get()); }

ComPtr<IPlToolBarImpl> BarAt(IPlToolBarsCollectionImpl* bars, long index) {
    ComPtr<IPlToolBar> bar;
    Variant i = Long(index);
    EXPECT_EQ(S_OK, bars->Item(i.Ptr(), bar.Put()));
    return Query<IPlToolBarImpl>(bar.Get(), IID_IPlToolBarImpl);
}

bool HasPicture(IPlToolImpl* tool, HRESULT (STDMETHODCALLTYPE IPlToolImpl::*get)(IPictureDisp**)) {
    ComPtr<IPictureDisp> picture;
    return SUCCEEDED((tool->*get)(picture.Put())) && picture;
}

// ---- The main window's stream ----------------------------------------------------------------

TEST(Stream, TheMainWindowsStreamHoldsItsLineMenu) {
    Bytes bytes = MainStream();
    EXPECT_EQ(23238u, bytes.size());
    ComPtr<IPlToolBarControlImpl> control = Loaded(bytes);
    OLE_COLOR back = 0, fore = 0, mask = 0;
    short delay = 0;
    Constants_Style style;
    Constants_PersonalizedMenus personalized;
    control->get_BackColor(&back);
    control->get_ForeColor(&fore);
    control->get_PictureBackgroundMaskColor(&mask);
    control->get_ToolTipDelay(&delay);
    control->get_Style(&style);
    control->get_PersonalizedMenus(&personalized);
    EXPECT_EQ(0x8000000Fu, back);
    EXPECT_EQ(0x80000012u, fore);
    EXPECT_EQ(0x00C0C0C0u, mask);
    EXPECT_EQ(500, delay);
    EXPECT_EQ(plStyleXP, style);
    EXPECT_EQ(plPersonalDisplayOnHover, personalized);
    // Flags 0x66: context menu, enabled, tool tips, visible; the rest off.
    const std::pair<const wchar_t*, bool> flags[] = {
        {L"ActiveColors", false}, {L"DisplayContextMenu", true}, {L"Enabled", true},
        {L"PictureBackgroundUseMask", false}, {L"ShowShortcutsInToolTips", false}, {L"ShowToolTips", true},
        {L"Visible", true}, {L"LargeIcons", false}};
    for (const auto& [name, on] : flags)
        EXPECT_EQ(on ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(Get(control.Get(), name).value.Ptr()))
            << std::string(name, name + wcslen(name));

    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    EXPECT_EQ(8, CountOf(pool.Get()));
    ComPtr<IPlToolImpl> menu = ToolNamed(pool.Get(), L"MenuPop");
    ASSERT_TRUE(menu);
    Constants_Type type;
    VARIANT_BOOL visible = VARIANT_TRUE;
    menu->get_Type(&type);
    menu->get_Visible(&visible);
    EXPECT_EQ(plTypeMenu, type);
    EXPECT_EQ(VARIANT_FALSE, visible);

    const std::pair<const wchar_t*, const wchar_t*> items[] = {
        {L"ModifRep", L"Modifier (Répertoire)"}, {L"ModifRepFich", L"Modifier (Rep && Fichiers)"},
        {L"separator", L""}, {L"Editer", L"Editer"}, {L"separator", L""}, {L"Prop", L"Propriétés"},
        {L"separator", L""}, {L"LigneUp", L"Remonter la ligne"}, {L"LigneDown", L"Descendre la ligne"},
        {L"separator", L""}, {L"DeleteLigne", L"Supprimer la ligne"}};
    ComPtr<IPlToolsCollectionImpl> placements = MenuToolsOf(menu.Get());
    ASSERT_EQ(11, CountOf(placements.Get()));
    for (long i = 0; i < 11; ++i) {
        ComPtr<IPlToolImpl> item = ItemOf(placements.Get(), Long(i + 1).Get());
        EXPECT_EQ(items[i].first, IdOf(item.Get())) << i;
        EXPECT_EQ(items[i].second, NameOf(item.Get())) << i;
        if (std::wstring(items[i].first) == L"separator") continue;
        ComPtr<IPlToolImpl> button = ToolNamed(pool.Get(), items[i].first);
        ASSERT_TRUE(button);
        button->get_Type(&type);
        EXPECT_EQ(plTypeButton, type);
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(S_OK, button->get_Picture(picture.Put()));
        ASSERT_TRUE(picture) << i;
        OLE_XSIZE_HIMETRIC w = 0;
        Query<IPicture>(picture.Get(), IID_IPicture)->get_Width(&w);
        EXPECT_NEAR(16, MulDiv(w, 96, 2540), 1) << "a 16 x 16 picture";
        EXPECT_FALSE(HasPicture(button.Get(), &IPlToolImpl::get_PictureDown));
    }

    ComPtr<IPlToolBarsCollectionImpl> bars = BarsOf(control.Get());
    LONG barCount = 0;
    bars->get_Count(&barCount);
    ASSERT_EQ(1, barCount);
    ComPtr<IPlToolBarImpl> bar = BarAt(bars.Get(), 1);
    Bstr name;
    Constants_ToolBarStyle barStyle;
    bar->get_Name(name.Put());
    bar->get_Visible(&visible);
    bar->get_Style(&barStyle);
    EXPECT_EQ(L"Menu", name.Str());
    EXPECT_EQ(VARIANT_FALSE, visible);
    EXPECT_EQ(plStandard, barStyle);
    ComPtr<IPlToolsCollectionImpl> onBar = BarToolsOf(bar.Get());
    ASSERT_EQ(1, CountOf(onBar.Get()));
    EXPECT_EQ(L"MenuPop", IdOf(ItemOf(onBar.Get(), Long(1).Get()).Get()));
}

TEST(Stream, TheMainWindowsStreamIsSavedAgainByteForByte) {
    ComPtr<IPlToolBarControlImpl> control = Loaded(MainStream());
    Bytes saved = SavedBytes(control.Get());
    EXPECT_TRUE(saved == MainStream()) << saved.size() << " bytes";
    // Its captions are stored in code page 1252 and come back the same.
    const unsigned char caption[] = "Modifier (R\xE9pertoire)";
    EXPECT_NE(std::search(saved.begin(), saved.end(), caption, caption + sizeof caption - 1), saved.end());
    ULARGE_INTEGER max = {};
    EXPECT_EQ(S_OK, Query<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit)->GetSizeMax(&max));
    EXPECT_EQ(saved.size(), max.QuadPart);
}

TEST(Stream, RuntimeLayoutAndFlagBytesAreWrittenBackAsLoaded) {
    format::Stream model;
    format::Read(MainStream(), model);
    format::ToolBar& bar = model.toolBars[0];
    bar.runtime = {7, 9};
    bar.layout = {3, -4};
    bar.layoutEnd = {5, 6};
    model.tools[0].menu[1].flags = 0x85;
    model.tools[0].look.flags = 0x03;
    Bytes bytes = format::Write(model, {0x00F5F5F5});
    EXPECT_TRUE(SavedBytes(Loaded(bytes).Get()) == bytes);
}

TEST(Stream, TheContainersDataAfterTheStreamIsLeftToIt) {
    Bytes bytes = MainStream();
    const std::uint8_t more[] = {'s', 'u', 'i', 't', 'e'};
    bytes.insert(bytes.end(), more, more + sizeof more);
    ComPtr<IStream> stream = StreamOf(bytes);
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ASSERT_EQ(S_OK, Query<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit)->Load(stream.Get()));
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER at = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &at);
    EXPECT_EQ(MainStream().size(), at.QuadPart);
}

// ---- Every kind of content ---------------------------------------------------------------------

HBITMAP Bitmap(COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 15);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 15}, inner = {3, 3, 12, 9};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255)), brush = CreateSolidBrush(colour);
    FillRect(dc, &all, white);
    FillRect(dc, &inner, brush);
    DeleteObject(white);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void SetBitmap(IPlToolImpl* tool, HRESULT (STDMETHODCALLTYPE IPlToolImpl::*put)(OLE_HANDLE), COLORREF colour) {
    HBITMAP bitmap = Bitmap(colour);
    EXPECT_EQ(S_OK, (tool->*put)(static_cast<OLE_HANDLE>(reinterpret_cast<UINT_PTR>(bitmap))));
    DeleteObject(bitmap);
}

// A control with a tool of every type, pictures of all four kinds, a combo box
// with items, an edit box with text, a menu, a stock bar and a menu bar.
ComPtr<IPlToolBarControlImpl> FullControl() {
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    control->put_BackColor(0x00336699);
    control->put_MenuAnimations(plAnimationFadeIn);
    control->put_FloatingToolbarFadeDelay(1200);
    control->put_TagVariant(Str(L"étiquette").Get());
    const wchar_t* ids[] = {L"Bouton", L"Etat", L"Liste", L"ListeEtat", L"Combo", L"Saisie", L"Texte", L"Menu",
                            L"separator"};
    for (long type = 0; type <= 8; ++type) {
        ComPtr<IPlToolImpl> tool = AddTool(pool.Get(), ids[type], type);
        Bstr caption((L"Légende " + std::to_wstring(type)).c_str()), tip(L"Aide à l'outil");
        tool->put_Name(caption.Get());
        tool->put_ToolTipText(tip.Get());
    }
    ComPtr<IPlToolImpl> button = ToolNamed(pool.Get(), L"Bouton");
    SetBitmap(button.Get(), &IPlToolImpl::put_PictureBmp, RGB(200, 0, 0));
    SetBitmap(button.Get(), &IPlToolImpl::put_PictureDownBmp, RGB(0, 200, 0));
    SetBitmap(button.Get(), &IPlToolImpl::put_PictureDisabledBmp, RGB(0, 0, 200));
    SetBitmap(button.Get(), &IPlToolImpl::put_PictureDownDisabledBmp, RGB(90, 90, 90));
    SetBitmap(ToolNamed(pool.Get(), L"Etat").Get(), &IPlToolImpl::put_PictureDownBmp, RGB(10, 20, 30));
    button->put_Shortcut(plCtrlA);
    Bstr group(L"Groupe"), description(L"Première");
    ComPtr<IPlToolImpl> state = ToolNamed(pool.Get(), L"Etat");
    state->put_Group(group.Get());
    state->put_State(plChecked);
    state->put_Description(description.Get());
    state->put_TagVariant(Str(L"marque").Get());

    ComPtr<IPlComboBox> comboDisp;
    ToolNamed(pool.Get(), L"Combo")->get_ComboBox(comboDisp.Put());
    ComPtr<IPlComboBoxImpl> combo = Query<IPlComboBoxImpl>(comboDisp.Get(), IID_IPlComboBoxImpl);
    for (const wchar_t* item : {L"Un", L"Deux", L"Trois"}) {
        Bstr text(item);
        combo->AddItem(text.Get(), Variant().Ptr());
    }
    Variant data = Long(42);
    combo->put_ItemData(1, data.Get());
    Bstr comboText(L"Deux");
    combo->put_Text(comboText.Get());
    combo->put_Style(plComboDropDownList);
    combo->put_Locked(VARIANT_TRUE);
    ComPtr<IPlEdit> editDisp;
    ToolNamed(pool.Get(), L"Saisie")->get_Edit(editDisp.Put());
    ComPtr<IPlEditImpl> edit = Query<IPlEditImpl>(editDisp.Get(), IID_IPlEditImpl);
    Bstr editText(L"Texte saisi é"), password(L"*");
    edit->put_MaxLength(40);
    edit->put_Text(editText.Get());
    edit->put_PasswordChar(password.Get());

    ComPtr<IPlToolsCollectionImpl> menu = MenuToolsOf(ToolNamed(pool.Get(), L"Menu").Get());
    AddTool(menu.Get(), L"Bouton");
    AddTool(menu.Get(), L"separator");
    AddTool(menu.Get(), L"Combo");

    ComPtr<IPlToolBarsCollectionImpl> bars = BarsOf(control.Get());
    ComPtr<IPlToolBarImpl> stock = AddBar(bars.Get(), L"Outils");
    stock->put_Stock(VARIANT_TRUE);
    stock->put_DockedStatus(plFloating);
    stock->put_FloatingLeft(40);
    stock->put_DockedRow(2);
    ComPtr<IPlToolsCollectionImpl> onStock = BarToolsOf(stock.Get());
    AddTool(onStock.Get(), L"Bouton");
    AddTool(onStock.Get(), L"Saisie");
    Variant menuBarStyle = Long(plMenuBar), barName = Str(L"Barre");
    ComPtr<IPlToolBar> menuBar;
    EXPECT_EQ(S_OK, bars->Add(barName.Ptr(), menuBarStyle.Ptr(), menuBar.Put()));
    AddTool(BarToolsOf(Query<IPlToolBarImpl>(menuBar.Get(), IID_IPlToolBarImpl).Get()).Get(), L"Menu");
    return control;
}

TEST(Stream, EveryKindOfContentIsSavedAgainByteForByte) {
    Bytes first = SavedBytes(FullControl().Get());
    ComPtr<IPlToolBarControlImpl> control = Loaded(first);
    Bytes second = SavedBytes(control.Get());
    EXPECT_TRUE(first == second) << first.size() << " then " << second.size() << " bytes";

    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    EXPECT_EQ(9, CountOf(pool.Get()));
    ComPtr<IPlToolImpl> button = ToolNamed(pool.Get(), L"Bouton");
    EXPECT_TRUE(HasPicture(button.Get(), &IPlToolImpl::get_Picture));
    EXPECT_TRUE(HasPicture(button.Get(), &IPlToolImpl::get_PictureDown));
    EXPECT_TRUE(HasPicture(button.Get(), &IPlToolImpl::get_PictureDisabled));
    EXPECT_TRUE(HasPicture(button.Get(), &IPlToolImpl::get_PictureDownDisabled));
    EXPECT_EQ(L"Légende 0", NameOf(button.Get()));
    ComPtr<IPlComboBox> comboDisp;
    ToolNamed(pool.Get(), L"Combo")->get_ComboBox(comboDisp.Put());
    ComPtr<IPlComboBoxImpl> combo = Query<IPlComboBoxImpl>(comboDisp.Get(), IID_IPlComboBoxImpl);
    short count = 0;
    Bstr item, text;
    Variant data;
    combo->get_ListCount(&count);
    combo->get_List(2, item.Put());
    combo->get_Text(text.Put());
    combo->get_ItemData(1, data.Ptr());
    EXPECT_EQ(3, count);
    EXPECT_EQ(L"Trois", item.Str());
    EXPECT_EQ(L"Deux", text.Str());
    EXPECT_EQ(L"42", std::wstring(V_VT(data.Ptr()) == VT_BSTR ? V_BSTR(data.Ptr()) : L"?"));
    ComPtr<IPlEdit> editDisp;
    ToolNamed(pool.Get(), L"Saisie")->get_Edit(editDisp.Put());
    ComPtr<IPlEditImpl> edit = Query<IPlEditImpl>(editDisp.Get(), IID_IPlEditImpl);
    Bstr editText, password;
    short maxLength = 0;
    edit->get_Text(editText.Put());
    edit->get_PasswordChar(password.Put());
    edit->get_MaxLength(&maxLength);
    EXPECT_EQ(L"Texte saisi é", editText.Str());
    EXPECT_EQ(L"*", password.Str());
    EXPECT_EQ(40, maxLength);

    // The stock bar shows the more-tools button after its tools, and Reset
    // brings back the tools it was loaded with.
    ComPtr<IPlToolBarImpl> stock = BarAt(BarsOf(control.Get()).Get(), 1);
    ComPtr<IPlToolsCollectionImpl> onStock = BarToolsOf(stock.Get());
    ASSERT_EQ(3, CountOf(onStock.Get()));
    EXPECT_EQ(L"moretools", IdOf(ItemOf(onStock.Get(), Long(3).Get()).Get()));
    short row = 0;
    stock->get_DockedRow(&row);
    EXPECT_EQ(2, row);
    onStock->Remove(Long(1).Ptr());
    ASSERT_EQ(S_OK, stock->Reset(VARIANT_FALSE));
    ASSERT_EQ(2, CountOf(onStock.Get()));
    EXPECT_EQ(L"Bouton", IdOf(ItemOf(onStock.Get(), Long(1).Get()).Get()));
}

// ---- What is written, and what is not --------------------------------------------------------------

TEST(Stream, AnEmptyControlWritesNoStrips) {
    Bytes bytes = SavedBytes(NewControl().Get());
    // Header, version, control block, empty tag: nothing else.
    EXPECT_EQ(16u + 4 + 28 + 2, bytes.size());
}

TEST(Stream, APictureKindNoToolUsesWritesNoLength) {
    format::Stream s;
    s.tools.resize(1);
    s.tools[0].look.id = "Seul";
    const size_t without = format::Write(s).size();
    s.tools[0].pictureWidth = s.tools[0].pictureHeight = 4;
    s.tools[0].pictures[format::kPictureDown] = format::Pixels{4, 4, std::vector<std::uint32_t>(16, 0x123456)};
    Bytes with = format::Write(s);
    // One length word and one 32 x 33 strip at 24 bits; the three other kinds add nothing.
    EXPECT_EQ(without + 4 + 40 + 96 * 33, with.size());
    format::Stream back;
    format::Read(with, back);
    EXPECT_EQ(s.tools[0].pictures, back.tools[0].pictures);
}

// ---- Foreign, newer and damaged bytes ------------------------------------------------------------

TEST(Stream, BytesOfAnotherKindAreRefusedAndChangeNothing) {
    Bytes wrongSignature = MainStream(), wrongSize = MainStream(), newer = MainStream();
    wrongSignature[0] ^= 1;
    wrongSize[4] = 12;
    newer[18] = 6;  // version 0x00060000
    for (const Bytes& bytes : {wrongSignature, wrongSize, newer, Bytes{0x21, 0x43, 0x34}, Bytes{}}) {
        ComPtr<IPlToolBarControlImpl> control = NewControl();
        AddTool(ToolsOf(control.Get()).Get(), L"Avant");
        EXPECT_EQ(E_UNEXPECTED, LoadInto(control.Get(), bytes)) << bytes.size();
        EXPECT_EQ(1, CountOf(ToolsOf(control.Get()).Get())) << "nothing loaded, nothing lost";
    }
}

// A stream cut anywhere, or any file of the regression corpus, fails with an
// error and leaves a control that works with what could be read.
void ExpectUsableAfter(const Bytes& bytes, const std::string& what) {
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    HRESULT hr = LoadInto(control.Get(), bytes);
    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    long before = CountOf(pool.Get());
    EXPECT_LE(0, before) << what;
    AddTool(pool.Get(), L"Ajout après chargement");
    EXPECT_EQ(before + 1, CountOf(pool.Get())) << what;
    Bytes saved = SavedBytes(control.Get());
    format::Stream model;
    EXPECT_NO_THROW(format::Read(saved, model)) << what << " saves a stream it can read";
    (void)hr;
}

TEST(Stream, ACutStreamFailsAndKeepsWhatWasRead) {
    Bytes whole = MainStream();
    for (size_t length : {21u, 47u, 60u, 400u, 900u, 1010u, 5000u, 23000u, 23237u}) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length));
        ComPtr<IPlToolBarControlImpl> control = NewControl();
        HRESULT hr = LoadInto(control.Get(), cut);
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_HANDLE_EOF), hr) << length;
        ExpectUsableAfter(cut, "cut at " + std::to_string(length));
    }
    // Cut inside the strip: every tool is there, without pictures.
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    LoadInto(control.Get(), Bytes(whole.begin(), whole.begin() + 5000));
    EXPECT_EQ(8, CountOf(ToolsOf(control.Get()).Get()));
}

TEST(Stream, TheRegressionCorpusLoadsWithoutHarm) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Wide(STREAM_CORPUS_DIR))) {
        Bytes bytes = FileBytes(entry.path().wstring());
        format::Stream model;
        try {
            format::Read(bytes, model);
        } catch (const format::FormatError&) {
        }
        ExpectUsableAfter(bytes, entry.path().filename().string());
        ++files;
    }
    EXPECT_LT(0, files);
}

// ---- Strips of other screen depths ------------------------------------------------------------------

Bytes CorpusFile(const char* name) { return FileBytes(Wide(STREAM_CORPUS_DIR) + L"/" + Wide(name)); }

std::vector<format::Pixels> PicturesOf(const Bytes& bytes) {
    format::Stream model;
    format::Read(bytes, model);
    std::vector<format::Pixels> pictures;
    for (const format::Tool& t : model.tools)
        if (t.pictures[format::kPicture]) pictures.push_back(*t.pictures[format::kPicture]);
    return pictures;
}

TEST(Stream, StripsWrittenAtOtherScreenDepthsGiveTheSamePictures) {
    const std::vector<format::Pixels> expected = PicturesOf(MainStream());
    ASSERT_EQ(7u, expected.size());
    for (const char* exact : {"strip-8bit-palette.bin", "strip-4bit-palette.bin", "strip-32bit-top-down.bin",
                              "strip-32bit-v5-masks.bin"})
        EXPECT_TRUE(PicturesOf(CorpusFile(exact)) == expected) << exact;
    for (const char* close : {"strip-16bit-555.bin", "strip-16bit-565-masks.bin"}) {
        std::vector<format::Pixels> got = PicturesOf(CorpusFile(close));
        ASSERT_EQ(expected.size(), got.size()) << close;
        for (size_t i = 0; i < got.size(); ++i)
            for (size_t p = 0; p < got[i].rgb.size(); ++p)
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR((expected[i].rgb[p] >> shift) & 255, (got[i].rgb[p] >> shift) & 255, 8) << close;
    }
    EXPECT_EQ(7u, PicturesOf(CorpusFile("strip-1bit.bin")).size());
}

TEST(Stream, ADamagedStripFailsAndTheToolsStayWithoutPictures) {
    for (const char* damaged : {"strip-table-too-large.bin", "strip-mask-with-gap.bin", "strip-too-narrow.bin"}) {
        ComPtr<IPlToolBarControlImpl> control = NewControl();
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_DATA), LoadInto(control.Get(), CorpusFile(damaged))) << damaged;
        ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
        EXPECT_EQ(8, CountOf(pool.Get())) << damaged;
        EXPECT_FALSE(HasPicture(ToolNamed(pool.Get(), L"Prop").Get(), &IPlToolImpl::get_Picture)) << damaged;
    }
}

// ---- Older layouts ---------------------------------------------------------------------------------

TEST(Stream, EveryOlderLayoutLoadsTheSameMenu) {
    int layouts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Wide(OLDER_STREAMS_DIR))) {
        Bytes bytes = FileBytes(entry.path().wstring());
        std::string name = entry.path().filename().string();
        std::uint32_t version = bytes[16] | bytes[17] << 8 | bytes[18] << 16 | bytes[19] << 24;
        ComPtr<IPlToolBarControlImpl> control = Loaded(bytes);
        ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
        EXPECT_EQ(8, CountOf(pool.Get())) << name;
        EXPECT_EQ(11, CountOf(MenuToolsOf(ToolNamed(pool.Get(), L"MenuPop").Get()).Get())) << name;
        EXPECT_TRUE(HasPicture(ToolNamed(pool.Get(), L"Prop").Get(), &IPlToolImpl::get_Picture)) << name;
        // Saved again it is the current stream; the oldest blocks have no Style.
        if (version < 0x00020002) control->put_Style(plStyleXP);
        EXPECT_TRUE(SavedBytes(control.Get()) == MainStream()) << name;
        ++layouts;
    }
    EXPECT_EQ(8, layouts);
}

// ---- One control per form ----------------------------------------------------------------------------

TEST(Stream, ASecondControlOnOneFormIsRefused) {
    HWND form = CreateWindowExW(0, L"STATIC", L"fiche", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
    HWND panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 100, 100, form, nullptr, nullptr, nullptr);
    ComPtr<Site> onForm = bastide::com::MakeObject<Site>(form), onPanel = bastide::com::MakeObject<Site>(panel);
    ComPtr<IPlToolBarControlImpl> first = NewControl(), second = NewControl();
    Query<IOleObject>(first.Get(), IID_IOleObject)->SetClientSite(onForm.Get());
    Query<IOleObject>(second.Get(), IID_IOleObject)->SetClientSite(onPanel.Get());
    ASSERT_EQ(S_OK, LoadInto(first.Get(), MainStream()));
    {
        DialogAnswer answer(IDOK);
        EXPECT_EQ(OLE_E_BLANK, LoadInto(second.Get(), MainStream()));
        EXPECT_EQ(L"Palisade Plus Error", answer.caption);
        EXPECT_EQ(L"Only one control allowed per form, if an error is displayed after this just press OK to continue.",
                  answer.text);
    }
    EXPECT_EQ(0, CountOf(ToolsOf(second.Get()).Get()));
    first = nullptr;  // the form is free again
    EXPECT_EQ(S_OK, LoadInto(second.Get(), MainStream()));
    Query<IOleObject>(second.Get(), IID_IOleObject)->SetClientSite(nullptr);
    DestroyWindow(form);
}

// ---- Storages and files ------------------------------------------------------------------------------

TEST(Stream, AStorageKeepsTheStreamAsContents) {
    ComPtr<ILockBytes> memory;
    ComPtr<IStorage> storage;
    ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, memory.Put()));
    ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(memory.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                                 0, storage.Put()));
    ComPtr<IPlToolBarControlImpl> saved = Loaded(MainStream());
    ASSERT_EQ(S_OK, Query<IPersistStorage>(saved.Get(), IID_IPersistStorage)->Save(storage.Get(), FALSE));
    ComPtr<IStream> contents;
    EXPECT_EQ(S_OK, storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.Put()));
    contents = nullptr;
    ComPtr<IPlToolBarControlImpl> loaded = NewControl();
    ASSERT_EQ(S_OK, Query<IPersistStorage>(loaded.Get(), IID_IPersistStorage)->Load(storage.Get()));
    EXPECT_TRUE(SavedBytes(loaded.Get()) == MainStream());
}

// A property bag as a container keeps one: values by name.
class Bag : public bastide::com::ComObject<Bag, IPropertyBag> {
public:
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {bastide::com::QiEntry::Of<Bag, IPropertyBag>(IID_IPropertyBag),
                                                      {}};
        return table;
    }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        auto it = values.find(name);
        if (it == values.end()) return E_INVALIDARG;
        return VariantCopy(value, it->second.Ptr());
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        values[name] = Variant(*value);
        return S_OK;
    }
    std::map<std::wstring, Variant> values;
};

TEST(Stream, APropertyBagKeepsTheWholeControl) {
    ComPtr<Bag> bag = bastide::com::MakeObject<Bag>();
    ComPtr<IPlToolBarControlImpl> source = FullControl();
    ASSERT_EQ(S_OK, Query<IPersistPropertyBag>(source.Get(), IID_IPersistPropertyBag)->Save(bag.Get(), TRUE, TRUE));
    EXPECT_EQ(VT_I4, bag->values[L"_ExtentX"].Type());
    EXPECT_EQ(0x00050000, V_I4(bag->values[L"_Version"].Ptr()));
    EXPECT_EQ(9, V_I4(bag->values[L"ToolsCount"].Ptr()));
    EXPECT_EQ(plAnimationFadeIn, V_I4(bag->values[L"MenuAnimations"].Ptr()));
    ComPtr<IPlToolBarControlImpl> target = NewControl();
    ASSERT_EQ(S_OK, Query<IPersistPropertyBag>(target.Get(), IID_IPersistPropertyBag)->Load(bag.Get(), nullptr));
    EXPECT_TRUE(SavedBytes(target.Get()) == SavedBytes(source.Get()));

    // A bag without extent or version gives a new control's size and the current layout.
    ComPtr<Bag> sparse = bastide::com::MakeObject<Bag>();
    sparse->values[L"ToolTipDelay"] = Long(900);
    ComPtr<IPlToolBarControlImpl> fresh = NewControl();
    ASSERT_EQ(S_OK, Query<IPersistPropertyBag>(fresh.Get(), IID_IPersistPropertyBag)->Load(sparse.Get(), nullptr));
    short delay = 0;
    fresh->get_ToolTipDelay(&delay);
    EXPECT_EQ(900, delay);
    SIZEL extent = {};
    Query<IOleObject>(fresh.Get(), IID_IOleObject)->GetExtent(DVASPECT_CONTENT, &extent);
    HDC screen = GetDC(nullptr);
    EXPECT_NEAR(100, MulDiv(extent.cx, GetDeviceCaps(screen, LOGPIXELSX), 2540), 1);
    EXPECT_NEAR(50, MulDiv(extent.cy, GetDeviceCaps(screen, LOGPIXELSY), 2540), 1);
    ReleaseDC(nullptr, screen);
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

TEST(Stream, ConfigurationFilesHoldTheWholeControl) {
    std::wstring path = TempFile(L"palisade-configuration.bin");
    Bstr file(path.c_str());
    ComPtr<IPlToolBarControlImpl> source = FullControl();
    ASSERT_EQ(S_OK, source->SaveConfiguration(file.Get()));
    ComPtr<IPlToolBarControlImpl> target = NewControl();
    AddTool(ToolsOf(target.Get()).Get(), L"Remplacé");
    ASSERT_EQ(S_OK, target->LoadConfiguration(file.Get()));
    EXPECT_TRUE(SavedBytes(target.Get()) == SavedBytes(source.Get()));
    EXPECT_FALSE(ToolNamed(ToolsOf(target.Get()).Get(), L"Remplacé"));

    // A file that is no configuration is refused and the control keeps its tools.
    std::ofstream(std::filesystem::path(path), std::ios::binary) << "pas une configuration";
    EXPECT_EQ(ErrorOf(40006), target->LoadConfiguration(file.Get()));
    EXPECT_EQ(9, CountOf(ToolsOf(target.Get()).Get()));
    DeleteFileW(path.c_str());
}

TEST(Stream, LayoutFilesBringTheToolBarsBack) {
    std::wstring path = TempFile(L"palisade-layout.bin");
    Bstr file(path.c_str());
    ComPtr<IPlToolBarControlImpl> control = FullControl();
    ASSERT_EQ(S_OK, control->SaveLayout(file.Get()));
    ComPtr<IPlToolBarsCollectionImpl> bars = BarsOf(control.Get());
    bars->Clear();
    AddBar(bars.Get(), L"Autre");
    ASSERT_EQ(S_OK, control->LoadLayout(file.Get()));
    LONG count = 0;
    bars->get_Count(&count);
    ASSERT_EQ(2, count);
    ComPtr<IPlToolBarImpl> stock = BarAt(bars.Get(), 1);
    Bstr name;
    Constants_DockedStatus docked;
    LONG left = 0;
    stock->get_Name(name.Put());
    stock->get_DockedStatus(&docked);
    stock->get_FloatingLeft(&left);
    EXPECT_EQ(L"Outils", name.Str());
    EXPECT_EQ(plFloating, docked);
    EXPECT_EQ(40, left);
    ComPtr<IPlToolsCollectionImpl> onStock = BarToolsOf(stock.Get());
    EXPECT_EQ(L"Saisie", IdOf(ItemOf(onStock.Get(), Long(2).Get()).Get()));
    EXPECT_EQ(9, CountOf(ToolsOf(control.Get()).Get())) << "the pool is not part of a layout";
    DeleteFileW(path.c_str());
}

} // namespace
} // namespace palisade::test
