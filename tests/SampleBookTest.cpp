// What the build puts beside the program: the sample book, the chime and the pictures,
// checked as a reader, a player and an independent Palm database reader would see them.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "book/CBookFile.h"
#include "platform/core/Command.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf8.h"
#include "tests/TestFiles.h"
#include "tools/BookSource.h"
#include "tools/PalmDatabase.h"

namespace
{

const std::string kProgramDir = SOLMIRA_PROGRAM_DIR;
const std::string kSourceDir = SOLMIRA_SOURCE_DIR;
const std::string kBook = kProgramDir + "/solmiraverse.pdb";

std::uint32_t Little(const std::string& bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

TEST(SampleBookTest, EveryDayHasItsOwnReadingOfTheRightLength)
{
    const CommandResult check = RunCommand({SOLMIRA_BOOK_TOOL, "check", kBook});
    EXPECT_EQ(check.status, 0) << check.output;

    // The source holds only what Windows-1252 can: it builds.
    std::vector<std::string> records;
    BookSourceError error;
    ASSERT_TRUE(ParseBookSource(ReadAll(kSourceDir + "/data/solmiraverse.txt"), records, error)) << error.message;
    ASSERT_EQ(records.size(), 366u);

    CBookFile reader;
    ASSERT_TRUE(reader.OpenBook(DevicePathFromHostPath(kBook).c_str()));
    EXPECT_EQ(reader.ReadRecordText(0).Str().find(L"The Steady Lamp\r\n"), 0u);
    std::set<std::wstring> readings, sources;
    for (int verse = 1; verse <= 365; ++verse) {
        SCOPED_TRACE("verse " + std::to_string(verse));
        const std::wstring text = reader.ReadRecordText(verse).Str();
        std::wistringstream words(text);
        const auto count = std::distance(std::istream_iterator<std::wstring, wchar_t>(words),
                                         std::istream_iterator<std::wstring, wchar_t>());
        EXPECT_TRUE(count >= 40 && count <= 150) << count << " words";
        EXPECT_TRUE(readings.insert(text).second) << "a reading repeats";
        // The last line names the source, and no two readings render the same passage.
        const std::wstring source = text.substr(text.rfind(L'\n') + 1);
        EXPECT_EQ(source.rfind(L"\u2014 ", 0), 0u) << "no source line";
        EXPECT_TRUE(sources.insert(source).second) << "a passage repeats: " << Utf8FromWide(source);
        EXPECT_EQ(text.find(L"\r\r\n"), std::wstring::npos) << "lines end with single line feeds";
        EXPECT_EQ(text.find(L"\r\n\r\n\r\n"), std::wstring::npos) << "one blank line between paragraphs";
    }
}

// Palm::PDB, from Debian's Perl modules, reads the same records, byte for byte: their
// sizes, then their bytes one after another.
TEST(SampleBookTest, AnIndependentReaderReadsTheSameRecords)
{
    const CommandResult perl =
        RunCommand({"perl", "-MPalm::PDB", "-MPalm::Raw", "-e",
                    "my $p = Palm::PDB->new; $p->Load($ARGV[0]); my @r = @{$p->{records}};"
                    "print join(' ', map { length $_->{data} } @r), qq(\\n), map { $_->{data} } @r;",
                    kBook});
    const std::string bytes = ReadAll(kBook);
    const PalmLayout layout = ReadPalmLayout(bytes);
    std::string sizes;
    for (const RecordEntry& record : layout.records)
        sizes += (sizes.empty() ? "" : " ") + std::to_string(record.size);
    EXPECT_EQ(perl.status, 0);
    EXPECT_TRUE(perl.output == sizes + "\n" + bytes.substr(layout.records.at(0).offset)) << perl.output.substr(0, 300);
}

TEST(SampleBookTest, TheChimeIsAShortPcmWav)
{
    const std::string wav = ReadAll(kProgramDir + "/slm.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_LE(wav.size(), 400u * 1024);
    EXPECT_EQ(wav.substr(0, 16) + wav.substr(36, 4), "RIFF" + wav.substr(4, 4) + "WAVEfmt data");
    EXPECT_EQ(Little(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(Little(wav, 20, 2), 1u) << "PCM";
    const std::uint32_t channels = Little(wav, 22, 2), rate = Little(wav, 24, 4), bits = Little(wav, 34, 2);
    EXPECT_TRUE(channels == 1 || channels == 2);
    EXPECT_EQ(bits, 16u);
    EXPECT_EQ(Little(wav, 28, 4), rate * channels * bits / 8) << "bytes a second";
    const double seconds = static_cast<double>(Little(wav, 40, 4)) / (rate * channels * bits / 8);
    EXPECT_TRUE(seconds >= 1.5 && seconds <= 4.0) << seconds;
}

TEST(SampleBookTest, TheIconAndLogoHaveTheirSizesAndColours)
{
    // The icon group: a 32 x 32 and a 16 x 16 image of 16 colours each.
    const std::string icon = ReadAll(kSourceDir + "/res/solmira.ico");
    ASSERT_EQ(Little(icon, 4, 2), 2u);
    for (std::uint32_t size : {32u, 16u}) {
        const std::size_t entry = size == 32 ? 6 : 22, image = Little(icon, entry + 12, 4);
        EXPECT_EQ(Little(icon, entry, 1) * 1000 + Little(icon, entry + 1, 1), size * 1001);
        EXPECT_EQ(Little(icon, image + 4, 4), size);
        EXPECT_EQ(Little(icon, image + 14, 2), 4u) << "4 bits a pixel: 16 colours";
    }
    // The logo: 32 x 32 with 256 colours.
    const std::string logo = ReadAll(kSourceDir + "/res/logo.bmp");
    EXPECT_EQ(logo.substr(0, 2), "BM");
    EXPECT_EQ(Little(logo, 18, 4) * 1000 + Little(logo, 22, 4), 32032u) << "32 x 32";
    EXPECT_EQ(Little(logo, 28, 2), 8u) << "8 bits a pixel: 256 colours";
}

}  // namespace
