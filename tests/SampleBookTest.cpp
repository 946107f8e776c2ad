// What the build puts beside the program: the sample book and the chime, checked as a reader
// and a player would see them.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "platform/core/ByteOrder.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf8.h"
#include "platform/dailystart/Command.h"
#include "tests/TestFiles.h"

namespace
{

const std::string kProgramDir = SOLMIRA_PROGRAM_DIR;
const std::string kBook = kProgramDir + "/solmiraverse.pdb";

TEST(SampleBookTest, EveryDayHasItsOwnReadingOfTheRightLength)
{
    const CommandResult check = RunCommand({SOLMIRA_BOOK_TOOL, "check", kBook});
    EXPECT_EQ(check.status, 0) << check.output;

    CBookFile reader;
    ASSERT_TRUE(reader.OpenBook(DevicePathFromHostPath(kBook).c_str()));
    EXPECT_EQ(reader.ReadRecordText(0).Str().find(L"The Steady Lamp\r\n"), 0u);
    std::set<std::wstring> sources;
    for (int verse = 1; verse <= 365; ++verse) {
        SCOPED_TRACE("verse " + std::to_string(verse));
        const std::wstring text = reader.ReadRecordText(verse).Str();
        std::wistringstream words(text);
        const auto count = std::distance(std::istream_iterator<std::wstring, wchar_t>(words),
                                         std::istream_iterator<std::wstring, wchar_t>());
        EXPECT_TRUE(count >= 40 && count <= 150) << count << " words";
        // The last line names the source, and no two readings render the same passage.
        const std::wstring source = text.substr(text.rfind(L'\n') + 1);
        EXPECT_EQ(source.rfind(L"\u2014 ", 0), 0u) << "no source line";
        EXPECT_TRUE(sources.insert(source).second) << "a passage repeats: " << Utf8FromWide(source);
        EXPECT_EQ(text.find(L"\r\r\n"), std::wstring::npos) << "lines end with single line feeds";
        EXPECT_EQ(text.find(L"\r\n\r\n\r\n"), std::wstring::npos) << "one blank line between paragraphs";
    }
}

TEST(SampleBookTest, TheChimeIsAShortPcmWav)
{
    const std::string wav = ReadAll(kProgramDir + "/slm.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_LE(wav.size(), 400u * 1024);
    EXPECT_EQ(wav.substr(0, 16) + wav.substr(36, 4), "RIFF" + wav.substr(4, 4) + "WAVEfmt data");
    EXPECT_EQ(GetLittleEndian(&wav[4], 4), wav.size() - 8);
    EXPECT_EQ(GetLittleEndian(&wav[20], 2), 1u) << "PCM";
    const std::uint32_t channels = GetLittleEndian(&wav[22], 2), rate = GetLittleEndian(&wav[24], 4),
                        bits = GetLittleEndian(&wav[34], 2);
    EXPECT_TRUE(channels == 1 || channels == 2);
    EXPECT_EQ(bits, 16u);
    EXPECT_EQ(GetLittleEndian(&wav[28], 4), rate * channels * bits / 8) << "bytes a second";
    const double seconds = static_cast<double>(GetLittleEndian(&wav[40], 4)) / (rate * channels * bits / 8);
    EXPECT_TRUE(seconds >= 1.5 && seconds <= 4.0) << seconds;
}

}  // namespace
