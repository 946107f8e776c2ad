// Resource ids of the program: window templates, controls, commands, menus, strings and
// images.
#pragma once

// Window templates.
constexpr int IDD_MAIN = 102;
constexpr int IDD_SETTINGS = 131;
constexpr int IDD_ABOUT = 136;

// Icon group, bitmap, and the menu with its menu bar.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDB_LOGO = 129;
constexpr int IDR_MENUBAR = 132;

// Controls of the main window.
constexpr int IDC_STATIC = -1;
constexpr int IDC_CALENDAR = 1000;
constexpr int IDC_SETTINGS_BUTTON = 1002;
constexpr int IDC_VERSE_TEXT = 1003;
constexpr int IDC_ABOUT_BUTTON = 1004;
constexpr int IDC_DATE = 1006;
constexpr int IDC_NEXT_BUTTON = 1010;
constexpr int IDC_LAST_BUTTON = 1011;
constexpr int IDC_FIRST_BUTTON = 1012;
constexpr int IDC_PREVIOUS_BUTTON = 1013;

// Controls of the Settings window.
constexpr int IDC_RUN_TIME = 1006;
constexpr int IDC_BELL_CHIME = 1007;
constexpr int IDC_AUTORUN = 1008;

// Controls of the About window.
constexpr int IDC_ABOUT_TEXT = 1009;

// Commands.
constexpr int ID_OPTIONS_SETTINGS = 32774;
constexpr int ID_OPTIONS_ABOUT = 32777;
constexpr int ID_OPTIONS = 32786;

// Strings.
constexpr int IDS_ABOUT_TEXT = 1;
constexpr int IDS_SETTINGS_ITEM = 32776;
constexpr int IDS_ABOUT_ITEM = 32779;
constexpr int IDS_OPTIONS_CAPTION = 32787;

// The address of the site that distributes the book, as a literal so that texts can be
// built around it.
#define BOOK_SITE_ADDRESS L"https://www.example.org/solmira/"
