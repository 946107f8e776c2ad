// The platform layer where a fault could hide: formatting, the device code page, paths in
// the device's form, and files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/core/CodePage.h"
#include "platform/core/Command.h"
#include "platform/core/ModulePath.h"
#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"
#include "platform/framework/CFile.h"
#include "platform/framework/CString.h"
#include "platform/testing/TestEnvironment.h"

namespace
{

TEST(CStringTest, FormatFollowsTheDeviceRulesAndReplaceMakesOnePass)
{
    const std::wstring longText(1000, L'\u2019');
    CString s;
    s.Format(L"<%s>", longText.c_str());
    EXPECT_EQ(s.Str(), L"<" + longText + L">") << "longer than the first buffer";
    s.Format(L"%5s|%-4s|%02d|%%|%c|%ls", L"ab", L"c", 7, L'\u00e9', L"x");
    EXPECT_EQ(s.Str(), L"   ab|c   |07|%|\u00e9|x");
    CString text(L"A\nB\r\nC\n");
    EXPECT_EQ(text.Replace(L"\n", L"\r\n"), 3);
    EXPECT_EQ(text.Str(), L"A\r\nB\r\r\nC\r\n");
    EXPECT_EQ(text.Replace(L"", L"x"), 0);
}

// Every byte of the code page is checked against ICU by the code_page_format fuzz target.
TEST(CodePageTest, UndefinedBytesAndShortBuffers)
{
    for (const BYTE undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(WideCharFromAnsi(undefined), static_cast<wchar_t>(undefined));
    // Through the framework's string, as the book reader converts.
    EXPECT_EQ(CString("\x93Hi\x94 \x80\x81\xff").Str(), L"\u201cHi\u201d \u20ac\u0081\u00ff");
    wchar_t small[2];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, small, 2), 0) << "a buffer too small takes nothing";
}

TEST(PathTest, PathsTakeTheDeviceFormAndBack)
{
    // Every host name comes back byte for byte, and only a slash becomes a backslash.
    const std::pair<std::string, std::wstring> cases[] = {
        {"/home/ann/Solmira/solmira", L"\\home\\ann\\Solmira\\solmira"},
        {"/tmp/d\u00e9j\u00e0 vu/solmiraverse.pdb", L"\\tmp\\d\u00e9j\u00e0 vu\\solmiraverse.pdb"},
        {"solmira", L"solmira"},
        {"", L""},
        {"/a/back\\slash/solmira", L"\\a\\back\uF05Cslash\\solmira"},
        {"/a/dir\xff/solmira", L"\\a\\dir\xDCFF\\solmira"},
        {"/a/\xc3/\xe2\x82/\xc0\xaf", L"\\a\\\xDCC3\\\xDCE2\xDC82\\\xDCC0\xDCAF"},  // cut, overlong
        {"/a/\xed\xb2\x80", L"\\a\\\xDCED\xDCB2\xDC80"},  // an encoded surrogate is no character
        {"/a/\xef\x81\x9c", L"\\a\\\xDCEF\xDC81\xDC9C"},  // U+F05C itself keeps its bytes
        {"/\U0001F600", L"\\\U0001F600"},
    };
    for (const auto& [host, device] : cases) {
        SCOPED_TRACE(host);
        EXPECT_EQ(DevicePathFromHostPath(host), device);
        EXPECT_EQ(HostPathFromDevicePath(device.c_str()), host);
    }
    // A relative XDG_DATA_HOME is invalid: the user's files go under HOME instead.
    EnvironmentGuard data("XDG_DATA_HOME", "relative"), home("HOME", "/home/ann");
    EXPECT_EQ(UserFilesFolder(), "/home/ann/.local/share/solmira");
}

TEST(PathTest, TheModulePathFitsItsBufferAndCanBeDeep)
{
    const std::string deep = "/opt/" + std::string(300, 'd') + "/solmira";
    SetModulePathForTesting(deep);
    std::wstring buffer(MAX_PATH, L'?');
    const DWORD length = GetModuleFileName(nullptr, buffer.data(), MAX_PATH);
    EXPECT_EQ(length, deep.size()) << "a path longer than the device's 260 characters is whole";
    EXPECT_EQ(buffer.substr(0, length), DevicePathFromHostPath(deep));

    wchar_t small[8];
    EXPECT_EQ(GetModuleFileName(nullptr, small, 8), 7u);
    EXPECT_EQ(std::wstring(small), L"\\opt\\dd");
    SetModulePathForTesting("");
    EXPECT_EQ(GetModuleFileName(nullptr, small, 8), 7u) << "the real path starts with a backslash";
    EXPECT_EQ(small[0], L'\\');
}

TEST(CFileTest, FailuresAreResultsAndNoDescriptorLeaks)
{
    ProgramFolder folder;
    folder.Write("data", "0123456789");
    std::filesystem::create_directory(folder.PathOf("folder"));
    ASSERT_EQ(::mkfifo(folder.PathOf("fifo").c_str(), 0600), 0);
    const auto device = [&folder](const std::string& name) { return DevicePathFromHostPath(folder.PathOf(name)); };
    const int descriptors = OpenDescriptorCount();
    CFile file;
    for (const char* name : {"missing", "folder", "fifo"})  // a FIFO must not block
        EXPECT_FALSE(file.Open(device(name).c_str(), CFile::modeRead | CFile::typeBinary)) << name;
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u) << "nothing open";
    ASSERT_TRUE(file.Open(device("data").c_str(), CFile::modeRead | CFile::typeBinary));
    EXPECT_EQ(file.GetLength(), 10u);
    EXPECT_EQ(file.Seek(4, CFile::begin), 4);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 6u) << "fewer bytes when the file ends first";
    EXPECT_EQ(file.Seek(100, CFile::begin), 100) << "past the end is allowed";
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    EXPECT_FALSE(file.Write("x", 1)) << "opened for reading only";
    file.Close();
    EXPECT_FALSE(file.Open(device("folder").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

// The book tool opens no window, so it must not load the window system or what comes with
// it: a tool that links them starts several times slower.
TEST(PlatformTest, TheBookToolLoadsNoWindowSystem)
{
    const CommandResult libraries = RunCommand({"ldd", SOLMIRA_BOOK_TOOL});
    ASSERT_EQ(libraries.status, 0) << libraries.output;
    EXPECT_NE(libraries.output.find("libc.so"), std::string::npos) << libraries.output;
    for (const char* library : {"libQt", "libicu", "libdbus", "libcanberra", "libasound", "libX"})
        EXPECT_EQ(libraries.output.find(library), std::string::npos) << library << " in\n" << libraries.output;
}

}  // namespace
