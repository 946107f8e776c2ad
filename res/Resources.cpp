// The program's resources as data: window templates, menu, menu bar, strings, icon and logo.
#include "res/Resources.h"

#include "platform/core/Messages.h"
#include "res/Images.h"
#include "res/resource.h"

namespace
{

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

// Main reading window. The controls without WS_VISIBLE exist but are never shown.
const DialogItemTemplate kMainItems[] = {
    {IDC_DATE, ControlClass::DateTimePicker, L"", 29, 8, 58, 12,
     kChild | WS_TABSTOP | DTS_SHORTDATEFORMAT | DTS_APPCANPARSE | DTS_RIGHTALIGN, WS_EX_CLIENTEDGE, 0},
    {IDC_VERSE_TEXT, ControlClass::Edit, L"", 0, 20, 138, 121,
     kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, WS_EX_STATICEDGE, 0},
    {IDOK, ControlClass::Button, L"May All be Well and Happy!", 0, 140, 138, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON,
     0, 0},
    {IDC_STATIC, ControlClass::Static, L"Solmira", 29, 0, 108, 10, kChild | WS_GROUP | SS_LEFT, 0, 0},
    {IDC_STATIC, ControlClass::Static, nullptr, 0, 0, 21, 20, kChild | SS_BITMAP, 0, IDB_LOGO},
    {IDC_CALENDAR, ControlClass::MonthCalendar, L"", 0, 20, 138, 100, WS_CHILD | WS_TABSTOP, 0, 0},
    {IDC_SETTINGS_BUTTON, ControlClass::Button, L"Settings", 0, 121, 40, 14, WS_CHILD | WS_TABSTOP, 0, 0},
    {IDC_ABOUT_BUTTON, ControlClass::Button, L"About", 98, 121, 40, 14, WS_CHILD | WS_TABSTOP, 0, 0},
    {IDC_FIRST_BUTTON, ControlClass::Button, L"<<", 0, 8, 14, 12, WS_CHILD | WS_TABSTOP, 0, 0},
    {IDC_PREVIOUS_BUTTON, ControlClass::Button, L"<", 14, 8, 14, 12, WS_CHILD | WS_TABSTOP, 0, 0},
    {IDC_NEXT_BUTTON, ControlClass::Button, L">", 96, 8, 14, 12, WS_CHILD | WS_TABSTOP, 0, 0},
    {IDC_LAST_BUTTON, ControlClass::Button, L">>", 110, 8, 14, 12, WS_CHILD | WS_TABSTOP, 0, 0},
};

// Settings window: "AutoRun daily at" and the time field read as one line.
const DialogItemTemplate kSettingsItems[] = {
    {IDOK, ControlClass::Button, L"OK", 44, 37, 50, 14, 0x50010001, 0, 0},
    {IDC_RUN_TIME, ControlClass::DateTimePicker, L"", 74, 18, 57, 13, 0x50010009, 0, 0},
    {IDC_BELL_CHIME, ControlClass::Button, L"Bell Chime", 7, 7, 50, 9, 0x50010003, 0, 0},
    {IDC_AUTORUN, ControlClass::Button, L"AutoRun daily at", 7, 20, 67, 9, 0x50010003, 0, 0},
};

// About window. Its Cancel button is never shown: Escape gives the same command.
const DialogItemTemplate kAboutItems[] = {
    {IDOK, ControlClass::Button, L"Done", 0, 140, 138, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0},
    {IDCANCEL, ControlClass::Button, L"Cancel", 88, 140, 50, 14, WS_CHILD | WS_TABSTOP, 0, 0},
    {IDC_ABOUT_TEXT, ControlClass::Edit, L"", 0, 20, 138, 121,
     kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, WS_EX_STATICEDGE, 0},
    {IDC_STATIC, ControlClass::Static, nullptr, 0, 0, 21, 20, kChild | SS_BITMAP, 0, IDB_LOGO},
    {IDC_STATIC, ControlClass::Static, L"Solmira 1.0.1", 27, 1, 101, 9, kChild | WS_GROUP | SS_LEFT, 0, 0},
    {IDC_STATIC, ControlClass::Static, L"The Steady Lamp, daily edition", 27, 12, 108, 10, kChild | WS_GROUP | SS_LEFT,
     0, 0},
};

const DialogTemplate kDialogs[] = {
    {IDD_MAIN, WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_CENTER | DS_SETFONT, WS_EX_CAPTIONOKBTN | WS_EX_APPWINDOW, 0, 0,
     138, 154, L"REZEZO 1.0", 8, L"System", MakeTable(kMainItems)},
    {IDD_SETTINGS, 0x80C00040, 0, 0, 0, 138, 58, L"Settings", 8, L"System", MakeTable(kSettingsItems)},
    {IDD_ABOUT, WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 138, 154, L"About Solmira", 8, L"System",
     MakeTable(kAboutItems)},
};

const MenuItemTemplate kOptionsItems[] = {
    {ID_OPTIONS_ABOUT, L"About"},
    {0, nullptr},
    {ID_OPTIONS_SETTINGS, L"&Settings"},
};
const PopupTemplate kMenuBarPopups[] = {{L"&Options", MakeTable(kOptionsItems)}};
const MenuTemplate kMenus[] = {{IDR_MENUBAR, MakeTable(kMenuBarPopups)}};

// Menu 132; one button: no image, command ID_OPTIONS, enabled, drop-down and sized to its
// caption, caption string 32787, second string 32786, opening pop-up 0.
const WORD kMenuBarValues[] = {IDR_MENUBAR, 1, 65534, ID_OPTIONS, 4, 24, IDS_OPTIONS_CAPTION, ID_OPTIONS, 0};
const MenuBarTemplate kMenuBars[] = {{IDR_MENUBAR, MakeTable(kMenuBarValues)}};

const StringResource kStrings[] = {
    {IDS_ABOUT_TEXT,
     L"What is Solmira?\r\n\r\n"
     L"Solmira is the digital edition of \"The Steady Lamp: A year of readings from the Stoic teachers, in plain "
     L"English\".\r\n\r\n"
     L"The book gathers short extracts from a selection of the discourses of Epictetus, and from some later "
     L"writings: the Meditations of Marcus Aurelius and the letters of Seneca.\r\n\r\n"
     L"Each extract is rendered into plain, readable English, and the book is laid out so that you can read one "
     L"extract each day, and reflect on it, for a whole year.\r\n\r\n"
     L"With this edition (for Linux, version 1.0) your computer can open Solmira with a new reading every day, at "
     L"a time you choose in Options, Settings.\r\n\r\n"
     L"Software by the Solmira developers.\r\n\r\n"
     L"Solmira 1.0 uses the standard book file \"solmiraverse.pdb\", a Palm database that other book readers can "
     L"open too. The book is distributed at:\r\n" BOOK_SITE_ADDRESS},
    {ID_OPTIONS_SETTINGS, L"Configure Settings"},
    {IDS_SETTINGS_ITEM, L"&Settings"},
    {ID_OPTIONS_ABOUT, L"About Solmira"},
    {IDS_ABOUT_ITEM, L"&About"},
    {ID_OPTIONS, L"Options"},
    {IDS_OPTIONS_CAPTION, L"&Options"},
};

// The handheld's icon and logo first; then, under the same ids, the desktop's icons at every
// size the install has and the logo for larger scales, drawn from the same scene.
const ImageResource kIcons[] = {
    {IDR_MAINFRAME, kIconData, sizeof(kIconData)}, {IDR_MAINFRAME, kIcon16, sizeof(kIcon16)},
    {IDR_MAINFRAME, kIcon22, sizeof(kIcon22)},     {IDR_MAINFRAME, kIcon24, sizeof(kIcon24)},
    {IDR_MAINFRAME, kIcon32, sizeof(kIcon32)},     {IDR_MAINFRAME, kIcon48, sizeof(kIcon48)},
    {IDR_MAINFRAME, kIcon64, sizeof(kIcon64)},     {IDR_MAINFRAME, kIcon128, sizeof(kIcon128)},
    {IDR_MAINFRAME, kIcon256, sizeof(kIcon256)},
};
const ImageResource kBitmaps[] = {
    {IDB_LOGO, kLogoData, sizeof(kLogoData)}, {IDB_LOGO, kLogo48, sizeof(kLogo48)},
    {IDB_LOGO, kLogo64, sizeof(kLogo64)},     {IDB_LOGO, kLogo96, sizeof(kLogo96)},
    {IDB_LOGO, kLogo128, sizeof(kLogo128)},
};

const ResourceModule kModule{
    MakeTable(kDialogs), MakeTable(kMenus), MakeTable(kMenuBars),
    MakeTable(kStrings), MakeTable(kIcons), MakeTable(kBitmaps),
};

}  // namespace

HINSTANCE ProgramResources()
{
    return &kModule;
}
