// The platform layer where a fault could hide: formatting, paths in the device's form, and
// what the programs load at every start.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/core/CString.h"
#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"
#include "platform/dailystart/Command.h"
#include "platform/testing/TestEnvironment.h"

namespace
{

// Replace, and Format with %d, %s and %c, are checked by the code_page_format fuzz target.
TEST(CStringTest, FormatFollowsTheDeviceRules)
{
    const std::wstring longText(1000, L'\u2019');  // longer than the first buffer
    CString s;
    s.Format(L"<%s>%5s|%-4s|%02d|%%|%c|%ls", longText.c_str(), L"ab", L"c", 7, L'\u00e9', L"x");
    EXPECT_EQ(s.Str(), L"<" + longText + L">   ab|c   |07|%|\u00e9|x");
}

TEST(PathTest, PathsTakeTheDeviceFormAndBack)
{
    // Every host name comes back byte for byte, and only a slash becomes a backslash.
    const std::pair<std::string, std::wstring> cases[] = {
        {"/home/ann/Solmira/solmira", L"\\home\\ann\\Solmira\\solmira"},
        {"/a/back\\slash/solmira", L"\\a\\back\uF05Cslash\\solmira"},
        {"/a/dir\xff/solmira", L"\\a\\dir\xDCFF\\solmira"},
        {"/a/\xc3/\xe2\x82/\xc0\xaf", L"\\a\\\xDCC3\\\xDCE2\xDC82\\\xDCC0\xDCAF"},  // cut, overlong
        {"/a/\xed\xb2\x80", L"\\a\\\xDCED\xDCB2\xDC80"},  // an encoded surrogate is no character
        {"/a/\xef\x81\x9c", L"\\a\\\xDCEF\xDC81\xDC9C"},  // U+F05C itself keeps its bytes
    };
    for (const auto& [host, device] : cases) {
        SCOPED_TRACE(host);
        EXPECT_EQ(DevicePathFromHostPath(host), device);
        EXPECT_EQ(HostPathFromDevicePath(device.c_str()), host);
    }
    EXPECT_EQ(FolderOf("/solmira"), "/");  // a program in the root folder still has one
    // A relative XDG_DATA_HOME is invalid: the user's files go under HOME instead.
    EnvironmentGuard data("XDG_DATA_HOME", "relative"), home("HOME", "/home/ann");
    EXPECT_EQ(UserFilesFolder(), "/home/ann/.local/share/solmira");
}

// What a program links, every start of it loads. The book tool opens no window, so it must
// not load the window system or what comes with it: a tool that links them starts several
// times slower. The program loads the sound system only when its chime plays.
TEST(PlatformTest, EachProgramLoadsOnlyWhatEveryStartNeedsAndShipsOnlyWhatItCalls)
{
    const std::string program = SOLMIRA_PROGRAM_DIR "/solmira";
    const std::pair<std::vector<std::string>, std::vector<const char*>> cases[] = {
        {{"ldd", SOLMIRA_BOOK_TOOL}, {"libQt", "libicu", "libdbus", "libcanberra", "libasound", "libX"}},
        {{"ldd", program}, {"libcanberra", "libasound"}},
        // Calls the program never makes, and what only tests use, stay out of it.
        {{"nm", "-C", program},
         {"GetDlgCtrlID(", "GetScrollInfo(", "GetMenuString(", "MultiByteToWideChar(", "PostQuitMessage(",
          "RunMessageLoop(", "CWinApp::Run(", "SetWindowsHookEx(", "SetTimer(", "WindowView::"}},
    };
    for (const auto& [command, unwanted] : cases) {
        const CommandResult listed = RunCommand(command);
        ASSERT_EQ(listed.status, 0) << command[0] << ": " << listed.output.substr(0, 200);
        for (const char* name : unwanted)
            EXPECT_EQ(listed.output.find(name), std::string::npos) << name << " in " << command.back();
    }
}

}  // namespace
