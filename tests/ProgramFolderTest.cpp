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

std::string Book(const std::string& reading)
{
    return BuildPalmDatabase("Book", std::vector<std::string>(366, reading));
}

// Makes the program's folder one the process cannot write: as root, by taking the
// identity of an ordinary user for a while; otherwise by its permissions.
struct UnwritableFolder {
    explicit UnwritableFolder(const std::string& path) : folder(path)
    {
        fs::permissions(
            folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
        switched = ::geteuid() == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~UnwritableFolder()
    {
        EXPECT_TRUE(!switched || (::seteuid(0) == 0 && ::setegid(0) == 0));
        fs::permissions(folder, fs::perms::all);
    }
    std::string folder;
    bool switched;
};

class ProgramFolderTest : public ::testing::Test
{
protected:
    ProgramFolderTest()
    {
        // Everyone may pass through the temporary folders, as through a real install.
        fs::permissions(m_root.Path(), fs::perms::all);
        fs::create_directory(m_root.PathOf("data"));
        fs::permissions(m_root.PathOf("data"), fs::perms::all);
    }

    // Makes the program's folder under the temporary one, and reports the program there.
    std::string MakeProgramFolder(const std::string& name)
    {
        const std::string folder = m_root.PathOf(name);
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms::all);
        SetModulePathForTesting(folder + "/solmira");
        return folder;
    }

    int RunProgram() { return AfxWinMain(0, nullptr, ProgramResources()); }

    TimeZoneGuard m_zone{"UTC0"};
    FixedClock m_clock{2026, 2, 5, 9, 30};
    ProgramFolder m_root;
    EnvironmentGuard m_data{"XDG_DATA_HOME", m_root.PathOf("data").c_str()};
    RecordingStartAtTime m_scheduler;
    RecordingSoundPlayer m_sound;
};

// A folder of any name, first not the user's to write: their own folder holds the settings
// and overlays the bundled book and chime. Once the folder is theirs, its own files count.
TEST_F(ProgramFolderTest, TheFolderOfAnyNameOrTheUsersOwnHoldsTheFiles)
{
    const std::string folder = MakeProgramFolder(
        "-dash back\\slash dir\xff quote's \"and\" $HOME; 100%\ttab "
        "na\xc3\xafve \xe2\x80\x94 \xef\x81\x9c");
    const std::string own = m_root.PathOf("data") + "/solmira";
    WriteFile(folder + "/solmiraverse.pdb", Book("The bundled book"));
    const auto verseShown = [](const std::string& reading, bool settings) {
        return [reading, settings](WindowView& w) {
            EXPECT_NE(w.ControlText(IDC_VERSE_TEXT).find(DevicePathFromHostPath(reading)), std::wstring::npos);
            if (settings)
                w.ChooseMenuCommand(ID_OPTIONS_SETTINGS);
            w.Click(IDOK);
        };
    };
    {
        UnwritableFolder readOnly(folder);
        // The first start asks once, and OK keeps the settings in the user's folder.
        ScriptedUser first;
        first.Expect(kSettings, [](WindowView& w) { w.Click(IDOK); });
        first.Expect(kMain, verseShown("The bundled book", false));
        RunProgram();
        EXPECT_EQ(first.Remaining(), 0u);
        EXPECT_EQ(ReadAll(own + "/slm.dat").size(), 24u);
        EXPECT_FALSE(fs::exists(folder + "/slm.dat"));
        EXPECT_EQ(m_sound.played.back(), folder + "/slm.wav") << "the bundled chime, as the user has none";
    }
    // The user's own book and chime take the place of the bundled ones.
    WriteFile(own + "/solmiraverse.pdb", Book("The user's book"));
    WriteFile(own + "/slm.wav", "RIFF");
    {
        UnwritableFolder readOnly(folder);
        ScriptedUser second;
        second.Expect(kMain, verseShown("The user's book", false));
        RunProgram();
        EXPECT_EQ(second.Remaining(), 0u) << "the settings were kept: no Settings window";
        EXPECT_EQ(m_sound.played.back(), own + "/slm.wav");
    }
    // The folder is the user's: its own files count, and the Bell Chime ticked is kept there.
    m_sound.played.clear();
    WriteFile(folder + "/slm.dat", SettingsBytes(0, 0, {2026, 2, 4, 5, 7, 30}));
    ScriptedUser writable;
    writable.Expect(kMain, verseShown("The bundled book", true));
    writable.Expect(kSettings, [](WindowView& w) {
        w.Click(IDC_BELL_CHIME);
        w.Click(IDOK);
    });
    RunProgram();
    EXPECT_EQ(writable.Remaining(), 0u);
    EXPECT_EQ(HostPathFromDevicePath(g_strAppDir), folder + "/");
    EXPECT_EQ(ReadAll(folder + "/slm.dat").substr(0, 8), SettingsBytes(1, 0, {}).substr(0, 8));
    EXPECT_EQ(m_sound.played, std::vector<std::string>{});
    EXPECT_EQ(m_scheduler.calls.back().program, folder + "/solmira");
}

}  // namespace
