// The software lists' index: used while the lists stay as they were, built again when one is
// changed, added or removed and when the index is damaged, and never a failure of its own.
#include "App_softwareindex.h"

#include "Rtl_hashes.h"
#include "Rtl_paths.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;

namespace {

// A DAT naming one disk of size bytes of fill, titled title.
std::string Dat(const std::string& title, uint8_t fill) {
    const Bytes bytes(1000, fill);
    const std::unique_ptr<rtl::THash> crc = rtl::NewHash(rtl::THashAlgorithm::Crc32);
    crc->Update(bytes.data(), bytes.size());
    return "<datafile><header><name>Set</name></header><game name=\"g\"><description>" + title +
           "</description><rom name=\"r\" size=\"1000\" crc=\"" + crc->HexDigest() +
           "\"/></game></datafile>";
}

// The titles of the disks of catalog that the bytes of fill are.
std::vector<std::string> TitlesOf(const TSoftwareCatalog& catalog, uint8_t fill) {
    std::vector<std::string> titles;
    for (const uint32_t disk : catalog.Find(Bytes(1000, fill)))
        titles.push_back(catalog.Softwares()[catalog.Disks()[disk].Software].Description);
    return titles;
}

// The only index file in folder.
std::string IndexFile(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().string());
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::string() : files.front();
}

} // namespace

TEST(SoftwareIndex, IsUsedWhileTheListsStayAndBuiltAgainWhenOneChangesComesOrGoes) {
    const TempDir dir;
    const std::string lists = dir.File("lists"), cache = dir.File("cache");
    std::filesystem::create_directories(lists);
    const std::string first = lists + "/first.dat";
    WriteFileText(first, Dat("First", 0x11));
    const rtl::TLocalTime then{2020, 1, 2, 3, 4, 6};
    ASSERT_TRUE(rtl::SetFileModifiedTime(first, then));
    EXPECT_EQ(TitlesOf(*LoadSoftwareCatalog({lists}, cache), 0x11),
              std::vector<std::string>{"First"});

    // Other bytes behind the same size and time: the index is what answers.
    WriteFileText(first, Dat("Other", 0x11));
    ASSERT_TRUE(rtl::SetFileModifiedTime(first, then));
    EXPECT_EQ(TitlesOf(*LoadSoftwareCatalog({lists}, cache), 0x11),
              std::vector<std::string>{"First"});
    // A new time is a changed list.
    ASSERT_TRUE(rtl::SetFileModifiedTime(first, {2021, 1, 2, 3, 4, 6}));
    EXPECT_EQ(TitlesOf(*LoadSoftwareCatalog({lists}, cache), 0x11),
              std::vector<std::string>{"Other"});
    // A list added to the folder, and one removed.
    WriteFileText(lists + "/second.dat", Dat("Second", 0x22));
    EXPECT_EQ(TitlesOf(*LoadSoftwareCatalog({lists}, cache), 0x22),
              std::vector<std::string>{"Second"});
    std::filesystem::remove(lists + "/second.dat");
    EXPECT_TRUE(TitlesOf(*LoadSoftwareCatalog({lists}, cache), 0x22).empty());

    // The notes come back with the index: the list left out is still named.
    WriteFileText(lists + "/bad.dat", "<datafile>\n<game>");
    const std::vector<std::string> notes = LoadSoftwareCatalog({lists}, cache)->Notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(LoadSoftwareCatalog({lists}, cache)->Notes(), notes);
    EXPECT_EQ(std::filesystem::file_size(IndexFile(cache)) > 0, true);
}

TEST(SoftwareIndex, ADamagedOrForeignIndexIsBuiltAgainAndNoIndexIsNoFailure) {
    const TempDir dir;
    const std::string list = dir.File("set.dat"), cache = dir.File("cache");
    WriteFileText(list, Dat("Title", 0x33));
    LoadSoftwareCatalog({list}, cache);
    const std::string index = IndexFile(cache);
    const Bytes good = ReadFileBytes(index);

    // Every byte changed in turn, and the file cut anywhere: never trusted.
    const std::string key = SoftwareSourcesKey({list});
    ASSERT_TRUE(ReadSoftwareIndex(good, key));
    EXPECT_FALSE(ReadSoftwareIndex(good, key + "x"));
    for (size_t i = 0; i < good.size(); ++i) {
        Bytes damaged = good;
        damaged[i] ^= 0x40;
        EXPECT_FALSE(ReadSoftwareIndex(damaged, key)) << "byte " << i;
        EXPECT_FALSE(ReadSoftwareIndex(std::span(good).first(i), key)) << "cut at " << i;
    }
    Bytes damaged = good;
    damaged.back() ^= 1;
    WriteFileBytes(index, damaged);
    EXPECT_EQ(TitlesOf(*LoadSoftwareCatalog({list}, cache), 0x33),
              std::vector<std::string>{"Title"});
    EXPECT_EQ(ReadFileBytes(index), good);

    // A catalog's bytes read back as they were written.
    const std::optional<TSoftwareCatalog> restored =
        TSoftwareCatalog::Restore(std::span(good).last(good.size() - 36 - key.size()));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->Serialize(), LoadSoftwareCatalog({list}, "")->Serialize());

    // The indexes of the last sets of lists are kept, the older ones go.
    for (int i = 0; i < 10; ++i) {
        const std::string other = dir.File("set" + std::to_string(i) + ".dat");
        WriteFileText(other, Dat("Title", 0x33));
        LoadSoftwareCatalog({other}, cache);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache),
                            std::filesystem::directory_iterator()),
              8);

    // A disk of the index without a digest would be every image of its size: refused. Its
    // flags follow the counts, the software's list and disk count, and the disk's software,
    // number, size and CRC-32.
    std::string bytes = LoadSoftwareCatalog({list}, "")->Serialize();
    const size_t flags = 20 + 8 + 20;
    ASSERT_EQ(bytes[flags], 1);
    bytes[flags] = 0;
    EXPECT_FALSE(TSoftwareCatalog::Restore(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())));

    // Where no index can be kept, the lists are read each time.
    WriteFileText(dir.File("blocked"), "a file where the folder would be");
    EXPECT_EQ(TitlesOf(*LoadSoftwareCatalog({list}, dir.File("blocked") + "/cache"), 0x33),
              std::vector<std::string>{"Title"});
}

TEST(SoftwareIndex, AnIndexCutShortWhileInUseNamesNothingAndIsBuiltAgain) {
    const TempDir dir;
    const std::string list = dir.File("set.dat"), cache = dir.File("cache");
    WriteFileText(list, Dat("Title", 0x44));
    LoadSoftwareCatalog({list}, cache);
    const std::unique_ptr<TSoftwareCatalog> catalog = LoadSoftwareCatalog({list}, cache);
    ASSERT_EQ(TitlesOf(*catalog, 0x44), std::vector<std::string>{"Title"});

    // The pages past the cut read as zeros: no title, no disk found, and no fault.
    std::filesystem::resize_file(IndexFile(cache), 0);
    EXPECT_TRUE(TitlesOf(*catalog, 0x44).empty());
    EXPECT_FALSE(catalog->HasSize(1000));
    EXPECT_EQ(catalog->Softwares()[0].Description, "");
    EXPECT_EQ(catalog->Disks()[0].Part, "");
    EXPECT_EQ(TitlesOf(*LoadSoftwareCatalog({list}, cache), 0x44),
              std::vector<std::string>{"Title"});
}
