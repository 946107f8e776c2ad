// Where the program finds its files: beside itself in a folder of any name, and in the
// user's own folder where the program's folder is not the user's to write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/ModulePath.h"
#include "platform/core/Paths.h"
#include "platform/framework/CWinApp.h"
#include "platform/testing/RecordingServices.h"
#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "settings/AppDir.h"
#include "tests/TestFiles.h"
#include "tools/PalmDatabase.h"

namespace
{

namespace fs = std::filesystem;

const std::wstring kMain = L"REZEZO 1.0";
const std::wstring kSettings = L"Settings";

// A folder of any name, first not the user's to write: their own folder holds the settings
// and overlays the bundled book and chime. Once the folder is theirs, its own files count.
TEST(ProgramFolderTest, TheFolderOfAnyNameOrTheUsersOwnHoldsTheFiles)
{
    TimeZoneGuard zone("UTC0");
    FixedClock clock(2026, 2, 5, 9, 30);
    ProgramFolder root;
    EnvironmentGuard data("XDG_DATA_HOME", root.PathOf("data").c_str());
    RecordingStartAtTime scheduler;
    RecordingSoundPlayer sound;
    const std::string folder = root.PathOf(
        "-dash back\\slash dir\xff quote's \"and\" $HOME; 100%\ttab na\xc3\xafve \xe2\x80\x94 \xef\x81\x9c");
    const std::string own = root.PathOf("data/solmira");
    // Everyone may pass through the temporary folders, as through a real install.
    for (const std::string& path : {root.Path(), root.PathOf("data"), folder}) {
        fs::create_directories(path);
        fs::permissions(path, fs::perms::all);
    }
    // A start that shows this reading; the first asks for the settings, which OK keeps. A
    // folder not the user's to write is so for the start: as root, as an ordinary user. In
    // the user's own folder, the user ticks Bell Chime from the menu.
    const auto start = [&folder](const std::string& reading, bool first, bool writable) {
        ScriptedUser user;
        if (first)
            user.Expect(kSettings, [](WindowView& w) {
                EXPECT_FALSE(w.Owner().IsShown()) << "the main window is not shown yet";
                EXPECT_TRUE(w.IsChecked(IDC_BELL_CHIME));
                w.Click(IDOK);
            });
        user.Expect(kMain, [reading, writable](WindowView& w) {
            EXPECT_NE(w.ControlText(IDC_VERSE_TEXT).find(DevicePathFromHostPath(reading)), std::wstring::npos);
            if (writable)
                w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
            w.Click(IDOK);
        });
        if (writable)
            user.Expect(kSettings, [](WindowView& w) {
                w.Click(IDC_BELL_CHIME);
                w.Click(IDOK);
            });
        if (!writable)
            fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        const bool switched = !writable && ::geteuid() == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        SetModulePathForTesting(folder + "/solmira");
        AfxWinMain(0, nullptr, ProgramResources());
        EXPECT_TRUE(!switched || (::seteuid(0) == 0 && ::setegid(0) == 0));
        fs::permissions(folder, fs::perms::all);
    };
    WriteFile(folder + "/solmiraverse.pdb",
              BuildPalmDatabase("Book", std::vector<std::string>(366, "The bundled book")));
    start("The bundled book", true, false);
    EXPECT_EQ(ReadAll(own + "/slm.dat").size(), 24u);
    EXPECT_FALSE(fs::exists(folder + "/slm.dat"));
    EXPECT_EQ(sound.played, std::vector<std::string>{folder + "/slm.wav"}) << "the bundled chime: the user has none";
    // The user's own book and chime take the place of the bundled ones, and the settings
    // were kept: no Settings window.
    WriteFile(own + "/solmiraverse.pdb", BuildPalmDatabase("Book", std::vector<std::string>(366, "The user's book")));
    WriteFile(own + "/slm.wav", "RIFF");
    start("The user's book", false, false);
    EXPECT_EQ(sound.played.back(), own + "/slm.wav");
    // The folder is the user's: its own files count, and the Bell Chime ticked is kept there.
    sound.played.clear();
    WriteFile(folder + "/slm.dat", SettingsBytes(0, 0, {2026, 2, 4, 5, 7, 30}));
    start("The bundled book", false, true);
    EXPECT_EQ(HostPathFromDevicePath(g_strAppDir), folder + "/");
    EXPECT_EQ(ReadAll(folder + "/slm.dat").substr(0, 8), SettingsBytes(1, 0, {}).substr(0, 8));
    EXPECT_EQ(sound.played, std::vector<std::string>{});
    EXPECT_EQ(scheduler.calls.back().program, folder + "/solmira");
}

}  // namespace
