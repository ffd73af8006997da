#include "app/frmAbout.h"

#include "app/Settings.h"
#include "app/Utils.h"
#include "res/resource.h"

#include <cwchar>
#include <vector>

const wchar_t* const RunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

constexpr wchar_t RunValueName[] = L"Bastide";

// Geometry in twips.
constexpr int FormWidth = 6840;
constexpr int FormHeight = 5280;
constexpr int Margin = 240;
constexpr int IconSize = 480;
constexpr int TextLeft = 960;
constexpr int LineHeight = 255;
constexpr int CadreTop = 1380;
constexpr int CadreHeight = 1980;
constexpr int WarningHeight = 720;  // three lines
constexpr int CheckHeight = 285;
constexpr int ButtonWidth = 1215;
constexpr int ButtonHeight = 375;

constexpr int IdAutoCheck = 101;

// A text of the version resource of this program ("ProductName", "Comments"), in its
// first translation; "" when there is none.
std::wstring VersionText(const wchar_t* name) {
    wchar_t path[MAX_PATH + 1] = {};
    if (!GetModuleFileNameW(nullptr, path, MAX_PATH)) return L"";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return L"";
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path, 0, size, data.data())) return L"";
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < sizeof(Translation)) {
        return L"";
    }
    wchar_t block[64];
    swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(data.data(), block, reinterpret_cast<void**>(&text), &length) || !text) return L"";
    return CutAtNul(std::wstring(text, length));
}

// The minor number on two digits: 1.5 reads "1.05".
std::wstring VersionLabel() {
    int major = 0, minor = 0;
    if (!ReadProgramVersion(major, minor)) return L"";
    std::wstring twoDigits = L"0" + std::to_wstring(minor);
    return L"Version " + std::to_wstring(major) + L"." + twoDigits.substr(twoDigits.size() - 2);
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = SplitPath(std::wstring(path, length)).second;
    return AddBackslash(ProgramDirectory()) + StripExtension(name) + L".exe";
}

// The command Windows runs at start-up. A path with a space is quoted: unquoted, Windows
// would try "C:\Program.exe" first for "C:\Program Files\...".
std::wstring StartupCommand(const std::wstring& programPath) {
    return programPath.find(L' ') == std::wstring::npos ? programPath : L'"' + programPath + L'"';
}

}  // namespace

bool frmAbout::Load(HWND owner, const std::wstring& programPath) {
    programPath_ = programPath.empty() ? ThisProgram() : programPath;
    std::wstring title = VersionText(L"ProductName");
    if (!CreateDialogForm(owner, L"À propos de " + title, FormWidth, FormHeight)) return false;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int width = PixelsToTwips(client.right);
    const int height = PixelsToTwips(client.bottom);
    const int textWidth = width - TextLeft - Margin;
    const int innerWidth = width - 2 * Margin;
    const DWORD label = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    const int iconPixels = TwipsToPixels(IconSize);
    icon_.Reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BASTIDE), IMAGE_ICON,
                                              iconPixels, iconPixels, LR_DEFAULTCOLOR)));
    auto controls = AddControls({
        {L"STATIC", L"", WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL, Margin, Margin, IconSize, IconSize, -1},
        {L"STATIC", VersionLabel(), label, TextLeft, Margin + LineHeight + 60, textWidth, LineHeight, -1},
        {L"STATIC", title, label, TextLeft, Margin, textWidth, LineHeight, -1},
        {L"STATIC", VersionText(L"Comments"), label, TextLeft, Margin + 2 * (LineHeight + 60), textWidth, LineHeight,
         -1},
        {L"BUTTON", L"Avertissement:", WS_VISIBLE | BS_GROUPBOX, Margin, CadreTop, innerWidth, CadreHeight, -1},
        {L"STATIC",
         L"Ce programme est fourni tel quel, sans aucune garantie : vous l'utilisez sous votre seule "
         L"responsabilité.",
         label, Margin + 120, CadreTop + 300, innerWidth - 240, WarningHeight, -1},
        {L"STATIC",
         L"Vérifiez de temps en temps que vos copies de sauvegarde se relisent : elles seules protègent vos "
         L"fichiers.",
         label, Margin + 120, CadreTop + 300 + WarningHeight + 60, innerWidth - 240, WarningHeight, -1},
        {L"BUTTON", L"&Lancement automatique au démarrage de Windows", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
         Margin, CadreTop + CadreHeight + 180, innerWidth, CheckHeight, IdAutoCheck},
        {L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, width - Margin - ButtonWidth,
         height - Margin - ButtonHeight, ButtonWidth, ButtonHeight, IDOK},
    });
    picIcon_ = controls[0];
    SendMessageW(picIcon_, STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);
    for (int i = 0; i < 3; ++i) lbl_[i] = controls[1 + i];
    SendMessageW(lbl_[1], WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);
    cadre_ = controls[4];
    lbl_[3] = controls[5];
    lbl_[4] = controls[6];
    autoCheck_ = controls[7];
    cmdOK_ = controls[8];
    SendMessageW(autoCheck_, BM_SETCHECK, AutoStartFlag == -1 ? BST_CHECKED : BST_UNCHECKED, 0);
    initialFocus_ = cmdOK_;
    PlaySoundAlias(L"SystemStart");
    return true;
}

void frmAbout::OnCmdOKClick() { End(Accepted); }

void frmAbout::ApplyAutoStart() {
    short newFlag = SendMessageW(autoCheck_, BM_GETCHECK, 0, 0) == BST_CHECKED ? -1 : 0;
    if (newFlag == AutoStartFlag) return;
    WriteSettingNumber(PositionSection, L"AutoStart", newFlag);
    AutoStartFlag = newFlag;
    if (newFlag == -1) {
        SetRegistryValue(HKEY_CURRENT_USER, RunKey, RunValueName, StartupCommand(programPath_), 0, REG_SZ);
    } else {
        // An older install may have registered the program for every user.
        DeleteRegistryValue(HKEY_CURRENT_USER, RunKey, RunValueName);
        DeleteRegistryValue(HKEY_LOCAL_MACHINE, RunKey, RunValueName);
    }
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // However the box goes (OK, Escape, its frame), the switch is applied while the check
    // box still exists.
    if (message == WM_DESTROY && autoCheck_) {
        ApplyAutoStart();
        autoCheck_ = nullptr;
    }
    return Dialog::HandleMessage(message, wParam, lParam);
}

void ShowAboutBox(HWND owner) {
    frmAbout box;
    if (!box.Load(owner)) return;
    box.Run(owner);
}
