// trackwell-cli audit over a small collection the test lays out against a DAT it writes: titles
// complete and incomplete, a disk in two places, an unknown image, an unreadable file and a plain
// dump in a sub-folder, read back from the JSON report; the DAT of the missing disks read back by
// identify.
#include "CliRunner.h"
#include "Rtl_hashes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

namespace {

using clitest::RunCli;
using clitest::TRunResult;
using nlohmann::json;
using testsupport::Bytes;
using testsupport::TempDir;

std::string Rom(const std::string& name, const Bytes& bytes) {
    const auto digest = [&](rtl::THashAlgorithm algorithm) {
        const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
        hash->Update(bytes.data(), bytes.size());
        return hash->HexDigest();
    };
    return "<rom name=\"" + name + "\" size=\"" + std::to_string(bytes.size()) + "\" crc=\"" +
           digest(rtl::THashAlgorithm::Crc32) + "\" sha1=\"" + digest(rtl::THashAlgorithm::Sha1) +
           "\"/>";
}

Bytes Disk(uint8_t fill) {
    return testsupport::FormattedImage(0x00, 40, 2, 16, 1, fill);
}

json Place(const std::string& file, int row) {
    return {{"file", file}, {"row", row}};
}

} // namespace

TEST(CliAudit, ACollectionIsReportedByTitleAndItsMissingDisksComeBackAsADat) {
    const TempDir dir;
    const Bytes dump(1261568, 0x33);
    const std::string dat = dir.File("set.dat");
    testsupport::WriteFileText(
        dat, "<datafile><header><name>Set</name></header>"
             "<game name=\"alpha\"><description>Alpha</description><year>1985</year>"
             "<manufacturer>Maker</manufacturer>" +
                 Rom("a1.d88", Disk(0x11)) + Rom("a2.d88", Disk(0x12)) +
                 "</game><game name=\"beta\"><description>Beta</description>" +
                 Rom("b1.d88", Disk(0x21)) + Rom("b2.d88", Disk(0x22)) +
                 "</game><game name=\"gamma\"><description>Gamma</description>" +
                 Rom("work.hdm", dump) +
                 "</game><game name=\"delta\"><description>Delta</description>" +
                 Rom("d1.d88", Disk(0x44)) + "</game></datafile>");
    const std::string root = dir.File("games");
    std::filesystem::create_directories(root + "/sub");
    testsupport::WriteFileBytes(root + "/one.d88",
                                testsupport::Concat({Disk(0x11), Disk(0x12), Disk(0x99)}));
    testsupport::WriteFileBytes(root + "/two.d88", testsupport::Concat({Disk(0x11), Disk(0x21)}));
    testsupport::WriteFileBytes(root + "/sub/work.hdm", dump);
    testsupport::WriteFileText(root + "/broken.d88", "not a disk");
    testsupport::WriteFileText(root + "/readme.txt", "not looked at");

    const TRunResult audit = RunCli({"audit", root, "--list", dat, "--format", "json"});
    EXPECT_EQ(audit.ExitCode, 1) << audit.Err;
    const json report = json::parse(audit.Out);
    const std::string one = root + "/one.d88", two = root + "/two.d88";
    ASSERT_EQ(report["titles"].size(), 3u) << audit.Out;
    const json& alpha = report["titles"][0];
    EXPECT_EQ(alpha["software"], "alpha");
    EXPECT_EQ(alpha["list"], "Set");
    EXPECT_EQ(alpha["status"], "complete");
    EXPECT_EQ(alpha["disks"][0]["found"], json::array({Place(one, 1), Place(two, 1)}));
    EXPECT_EQ(alpha["disks"][1]["found"], json::array({Place(one, 2)}));
    const json& beta = report["titles"][1];
    EXPECT_EQ(beta["status"], "incomplete");
    EXPECT_EQ(beta["missing"], json::array({"b2.d88"}));
    EXPECT_EQ(report["titles"][2]["disks"][0]["found"],
              json::array({Place(root + "/sub/work.hdm", 1)}));
    EXPECT_EQ(report["duplicates"], json::parse(R"([{"list": "Set", "software": "alpha",
        "part": "a1.d88", "places": [{"file": ")" +
                                                one + R"(", "row": 1},
        {"file": ")" + two + R"(", "row": 1}]}])"));
    EXPECT_EQ(report["unknown"], json::array({{{"file", one}, {"row", 3}, {"name", ""}}}));
    ASSERT_EQ(report["unreadable"].size(), 1u);
    EXPECT_EQ(report["unreadable"][0]["file"], root + "/broken.d88");

    // For people, with a summary; every title of the lists with --all.
    const TRunResult text = RunCli({"audit", root, "--list", dat, "--all"});
    EXPECT_EQ(text.ExitCode, 1);
    EXPECT_NE(text.Out.find("incomplete  Delta [Set/delta]\n    missing d1.d88\n"),
              std::string::npos)
        << text.Out;
    EXPECT_NE(text.Out.find("\n4 files, 6 images: 2 titles complete, 2 incomplete (2 disks "
                            "missing), 1 duplicates, 1 unknown, 1 unreadable.\n"),
              std::string::npos)
        << text.Out;

    // The missing disks as a DAT, which identify reads back; never over a file that is there.
    const std::string missing = dir.File("missing.dat");
    const TRunResult tsv =
        RunCli({"audit", two, "--list", dat, "--format", "tsv", "--missing-dat", missing});
    EXPECT_EQ(tsv.ExitCode, 1);
    EXPECT_EQ(tsv.Out, "title\tSet\talpha\tincomplete\tAlpha\n"
                       "disk\tSet\talpha\ta1.d88\t" +
                           two +
                           ":1\n"
                           "disk\tSet\talpha\ta2.d88\tmissing\n"
                           "title\tSet\tbeta\tincomplete\tBeta\n"
                           "disk\tSet\tbeta\tb1.d88\t" +
                           two +
                           ":2\n"
                           "disk\tSet\tbeta\tb2.d88\tmissing\n");
    const std::string wanted = dir.File("wanted.d88");
    testsupport::WriteFileBytes(wanted, testsupport::Concat({Disk(0x12), Disk(0x22), Disk(0x11)}));
    const TRunResult back = RunCli({"identify", wanted, "--list", missing});
    EXPECT_EQ(back.Out, "1\tMissing disks\talpha\ta2.d88\tAlpha (1985, Maker)\n"
                        "2\tMissing disks\tbeta\tb2.d88\tBeta\n"
                        "3\t-\t-\t-\t-\n");
    const TRunResult again = RunCli({"audit", two, "--list", dat, "--missing-dat", missing});
    EXPECT_EQ(again.ExitCode, 2);
    EXPECT_EQ(again.Err,
              "trackwell-cli: The program cannot overwrite the file \"" + missing + "\".\n");

    // A collection complete and read whole; a path that is not there.
    EXPECT_EQ(RunCli({"audit", root + "/sub", "--list", dat}).ExitCode, 0);
    const TRunResult none = RunCli({"audit", dir.File("nowhere"), "--list", dat});
    EXPECT_EQ(none.ExitCode, 2);
    EXPECT_EQ(none.Err, "trackwell-cli: The program cannot find the file or folder \"" +
                            dir.File("nowhere") + "\".\n");
}
