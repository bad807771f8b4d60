// MZ disk BASIC disks laid out here from the public notes: inverted bytes, sides numbered the
// other way round, a volume entry and a bitmap that must agree with the entries; lookalikes that
// boot the same IPL are not taken for them, and the disks are read only.
#include "App_mzfs.h"

#include "FsTestDisks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace fstest::mz;
using fstest::Bytes;
using fstest::Lines;
using fstest::PutLe;
using testsupport::MessageOf;

namespace {

Bytes Pattern(size_t n, int seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 29 + seed + i / 253);
    return b;
}

} // namespace

TEST(App_mzfs, FilesInRunsOfRecordsAreListedAndReadOn2dAnd2ddDisks) {
    for (const auto& [cylinders, perBlock] : {std::pair{35, 1}, std::pair{80, 2}}) {
        SCOPED_TRACE(cylinders);
        Bytes d = Blank(cylinders, perBlock);
        const Bytes code = Pattern(700, 1), text = Pattern(300, 2);
        // A katakana name, as JIS X 0201 has it; files on both logical sides of a cylinder.
        AddFile(d, 1, 0x01, "\xBB\xB3\xBD\xDE", code, 48, 0x1200, 0x1234, perBlock);
        AddFile(d, 2, 0x02, "HELLO WORLD", text, 64, 0, 0, perBlock);
        const auto fs = OpenFileSystem(d);
        ASSERT_TRUE(fs);
        EXPECT_EQ(fs->Name(), "MZ-BASIC");
        EXPECT_EQ(fs->Damage(), "");
        EXPECT_EQ(Lines(*fs), (std::vector<std::string>{"\xBB\xB3\xBD\xDE|700|OBJ|load 0x1200 "
                                                        "exec 0x1234",
                                                        "HELLO WORLD|300|BTX|"}));
        EXPECT_EQ(fs->Read("\xBB\xB3\xBD\xDE"), code);
        EXPECT_EQ(fs->Read("HELLO WORLD"), text);
        // Blocks of the 2D disk's 1,072 records, or of the 2DD disk's 2,512 in twos, less the
        // files' three and two records.
        const int64_t blocks = (cylinders * 32 - 48) / perBlock;
        const int64_t used = perBlock == 1 ? 5 : 3;
        EXPECT_EQ(fs->FreeBytes(), (blocks - used) * perBlock * 256);
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Put("NEW", Bytes(1)); }),
                  "The program cannot change the files of a MZ-BASIC disk.");
    }
}

TEST(App_mzfs, LookalikesAreNotMzDisksAndAnEntryInTheSystemAreaIsDamage) {
    // The same IPL without the volume entry; a bitmap that does not mark a file's records; the
    // bytes as they are, not inverted.
    Bytes noVolume = Blank();
    Edit(noVolume, 16, [](Bytes& directory) { directory[0] = 0x00; });
    Bytes unmarked = Blank();
    AddFile(unmarked, 1, 0x01, "GAME", Pattern(300, 3), 100);
    Edit(unmarked, 15, [](Bytes& bitmap) {
        bitmap[6 + 52 / 8] = 0;
        bitmap[2] = 0;
    });
    Bytes plain = Blank();
    for (int r = 0; r < 24; ++r)
        for (int i = 0; i < 256; ++i)
            Record(plain, r)[i] = static_cast<uint8_t>(~Record(plain, r)[i]);
    for (const Bytes& other : {noVolume, unmarked, plain})
        EXPECT_EQ(OpenMzBasic(TDiskSectors(other)), nullptr);

    // An entry whose first record is the directory's is listed, named as damage and never read
    // as the directory.
    Bytes d = Blank();
    AddFile(d, 1, 0x02, "SOUND", Pattern(200, 4), 48);
    // Its entry alone: its records are the directory's own.
    AddFile(d, 2, 0x01, "BOOT", Bytes{}, 16);
    Edit(d, 16, [](Bytes& directory) { PutLe(directory, 2 * 32 + 0x14, 300, 2); });
    const auto fs = OpenFileSystem(d);
    ASSERT_TRUE(fs);
    EXPECT_EQ(fs->Damage(), "the entry of \"BOOT\" starts in the system area");
    EXPECT_EQ(Lines(*fs)[1], "BOOT|300|OBJ|load 0x0000 exec 0x0000 damaged");
    EXPECT_EQ(fs->Read("SOUND"), Pattern(200, 4));
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Read("BOOT"); }),
              "The program cannot read the file \"BOOT\": its records are not the file's.");
}
