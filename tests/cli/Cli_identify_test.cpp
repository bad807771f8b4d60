// trackwell-cli identify against lists the tests write: its lines, its exit codes, and the forms
// of file it looks up.
#include "CliRunner.h"
#include "Rtl_hashes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace {

using clitest::RunCli;
using clitest::TRunResult;
using testsupport::Bytes;
using testsupport::TempDir;

std::string DigestOf(rtl::THashAlgorithm algorithm, const Bytes& bytes) {
    const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
    hash->Update(bytes.data(), bytes.size());
    return hash->HexDigest();
}

std::string Rom(const std::string& name, const Bytes& bytes) {
    return "<rom name=\"" + name + "\" size=\"" + std::to_string(bytes.size()) + "\" crc=\"" +
           DigestOf(rtl::THashAlgorithm::Crc32, bytes) + "\" sha1=\"" +
           DigestOf(rtl::THashAlgorithm::Sha1, bytes) + "\"/>";
}

} // namespace

TEST(CliIdentify, EachImageGetsALinePerMatchOrDashesAndTheStatusSaysWhetherAllWereFound) {
    const TempDir dir;
    const Bytes first = testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0x11);
    const Bytes second = testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0x22);
    const Bytes third = testsupport::FormattedImage(0x20, 77, 2, 8, 3, 0x33);
    const std::string container = dir.File("games.d88");
    testsupport::WriteFileBytes(container, testsupport::Concat({first, second, third}));
    const std::string lists = dir.File("lists");
    ASSERT_EQ(::mkdir(lists.c_str(), 0755), 0);
    testsupport::WriteFileText(
        lists + "/x1.xml",
        "<softwarelist name=\"x1_flop\"><software name=\"game\"><description>Game</description>"
        "<year>1986</year><publisher>Maker</publisher>"
        "<part name=\"flop1\" interface=\"floppy_5_25\"><feature name=\"part_id\" "
        "value=\"Disk A\"/><dataarea name=\"flop\">" +
            Rom("a.d88", first) +
            "</dataarea></part><part name=\"flop2\" interface=\"floppy_5_25\">"
            "<dataarea name=\"flop\">" +
            Rom("b.d88", first) + "</dataarea></part></software></softwarelist>");
    // A DAT of the third disk's plain sectors, as a set of .hdm files has it.
    const Bytes sectors(1261568, 0x33);
    const std::string dat = dir.File("pc98.dat");
    const std::string datText = "<datafile><header><name>PC-98 Set</name></header>"
                                "<game name=\"work\"><description>Work Disk</description>" +
                                Rom("work.hdm", sectors) + "</game></datafile>";
    testsupport::WriteFileText(dat, datText);

    const TRunResult all = RunCli({"identify", container, "--list", lists, "--list", dat});
    EXPECT_EQ(all.ExitCode, 1) << all.Err;
    EXPECT_EQ(all.Out, "1\tx1_flop\tgame\tflop1 (Disk A)\tGame (1986, Maker)\n"
                       "1\tx1_flop\tgame\tflop2\tGame (1986, Maker)\n"
                       "2\t-\t-\t-\t-\n"
                       "3\tPC-98 Set\twork\twork.hdm\tWork Disk\n");
    const TRunResult some = RunCli({"identify", container, "3", "--list", dat});
    EXPECT_EQ(some.ExitCode, 0) << some.Err;
    EXPECT_EQ(some.Out, "3\tPC-98 Set\twork\twork.hdm\tWork Disk\n");

    // The dump itself, given as the file it is.
    const std::string dump = dir.File("work.hdm");
    testsupport::WriteFileBytes(dump, sectors);
    const TRunResult file = RunCli({"identify", dump, "--list", dat});
    EXPECT_EQ(file.ExitCode, 0) << file.Err;
    EXPECT_EQ(file.Out, "1\tPC-98 Set\twork\twork.hdm\tWork Disk\n");

    // A list that cannot be read is left out with a note before the results, and the others
    // still identify: the status says only whether every image was found.
    const std::string mixed = dir.File("mixed");
    ASSERT_EQ(::mkdir(mixed.c_str(), 0755), 0);
    testsupport::WriteFileText(mixed + "/bad.xml", "<datafile>\n<game>");
    testsupport::WriteFileText(mixed + "/pc98.dat", datText);
    const std::string note = "trackwell-cli: note: The program cannot read the list \"" + mixed +
                             "/bad.xml\": no element found at line 2.\n";
    const TRunResult bad = RunCli({"identify", dump, "--list", mixed});
    EXPECT_EQ(bad.ExitCode, 0) << bad.Err;
    EXPECT_EQ(bad.Out, "1\tPC-98 Set\twork\twork.hdm\tWork Disk\n");
    EXPECT_EQ(bad.Err, note);
    const TRunResult alone = RunCli({"identify", dump, "--list", mixed + "/bad.xml"});
    EXPECT_EQ(alone.ExitCode, 1);
    EXPECT_EQ(alone.Out, "1\t-\t-\t-\t-\n");
    EXPECT_EQ(alone.Err, note);
}
