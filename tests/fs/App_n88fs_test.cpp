// N88-BASIC disks laid out here from the BASICs' public notes (system track with directory, ID
// and three table copies; 8-bit table of next cluster, 0xC0 + sectors used, 0xFE reserved, 0xFF
// free), read back by a reader of the same notes written here, and damaged on purpose.
#include "App_n88fs.h"

#include "FsTestDisks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

using namespace testsupport;
using namespace fstest::n88;

namespace {

// A file's attribute and bytes.
using Found = std::pair<uint8_t, Bytes>;

// The files as the notes have them read: entries not killed (0x00) nor unused (0xFF), names
// trimmed, chains followed to their 0xC0 + sectors mark; the table copies must agree.
std::map<std::string, Found> ReadBack(Bytes image, const Geometry& g) {
    Disk disk(g);
    disk.Image = std::move(image);
    EXPECT_EQ(0, std::memcmp(disk.Fat(0), disk.Fat(1), size_t(g.Clusters)));
    EXPECT_EQ(0, std::memcmp(disk.Fat(0), disk.Fat(2), size_t(g.Clusters)));
    std::map<std::string, Found> files;
    for (int slot = 0; slot < (g.Sectors - 4) * 16; ++slot) {
        const uint8_t* entry = disk.At(g.SystemC, g.SystemH, slot / 16 + 1) + (slot % 16) * 16;
        if (entry[0] == 0x00 || entry[0] == 0xFF)
            continue;
        std::string name(reinterpret_cast<const char*>(entry), 6), ext(entry + 6, entry + 9);
        name.erase(name.find_last_not_of(' ') + 1);
        ext.erase(ext.find_last_not_of(' ') + 1);
        Found& file = files[ext.empty() ? name : name + "." + ext];
        file.first = entry[9];
        for (int cluster = entry[10], steps = 0; steps < g.Clusters; ++steps) {
            const uint8_t next = disk.Fat(0)[cluster];
            const int used = next >= 0xC0 ? next - 0xC0 : g.PerCluster;
            for (int s = 0; s < used; ++s)
                file.second.insert(file.second.end(), disk.ClusterSector(cluster, s),
                                   disk.ClusterSector(cluster, s) + 256);
            if (next >= 0xC0)
                break;
            cluster = next;
        }
    }
    return files;
}

Bytes Pattern(size_t size, uint8_t first, int seed) {
    Bytes data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = uint8_t(i * 7 + seed + i / 251);
    data[0] = first;
    return data;
}

template <typename F> std::string Refusal(F&& f) {
    return MessageOf<EFileSystemError>(std::forward<F>(f));
}

} // namespace

TEST(App_n88fsTest, ListsAndReadsBuiltDisks) {
    for (const Geometry& g : {G2D, G2DSide0, G2DD, G2HD}) {
        Disk disk(g);
        const int cb = g.ClusterBytes();
        std::map<std::string, Found> files{
            {"GAME.BAS",
             {0x80, disk.Add(0, "GAME  BAS", 0x80, Pattern(2 * cb + 700, 0xFF, 1), {3, 100, 4})}},
            {"README.TXT", {0x10, disk.Add(2, "READMETXT", 0x10, Bytes(300, 'A'), {10}, 0x1A)}},
            {"LOADER", {0x61, disk.Add(20, "LOADER   ", 0x61, Pattern(cb, 0x00, 2), {20})}}};
        disk.Entry(1, "\0KILLDBAS", 0x80, 30);
        const auto fs = OpenN88Basic(TDiskSectors(disk.Image));
        ASSERT_TRUE(fs) << g.SystemC << g.SystemH;
        EXPECT_EQ("N88-BASIC ", fs->Name() + " " + fs->Damage());
        EXPECT_EQ(3, fs->FileCount());
        EXPECT_EQ(std::count(disk.Fat(0), disk.Fat(0) + g.Clusters, 0xFF) * cb, fs->FreeBytes());
        std::vector<std::string> lines;
        for (const TFileEntry& e : fs->List(""))
            lines.push_back(e.Name + " " + std::to_string(e.Size) + " " + e.Kind + " " + e.Details);
        EXPECT_EQ(
            (std::vector<std::string>{"GAME.BAS " + std::to_string(2 * cb + 768) + " BASIC ",
                                      "README.TXT 512 ASCII write-protected",
                                      "LOADER " + std::to_string(cb) + " binary encrypted verify"}),
            lines);
        for (const auto& [name, file] : files)
            EXPECT_EQ(file.second, fs->Read(name)) << name;
        EXPECT_EQ(files, ReadBack(disk.Image, g));
        EXPECT_EQ("The disk has no folder \"SUB\".", Refusal([&] { fs->List("SUB"); }));
        EXPECT_EQ("The disk has no file \"KILLD.BAS\".", Refusal([&] { fs->Read("KILLD.BAS"); }));
    }
}

TEST(App_n88fsTest, ChangesReadBackIndependently) {
    for (const Geometry& g : {G2D, G2DD, G2HD}) {
        const Bytes blank = Disk(g).Image;
        Bytes image = blank;
        const auto change = [&](const std::function<Bytes(const TFileSystem&)>& f) {
            const auto fs = OpenN88Basic(TDiskSectors(image));
            ASSERT_TRUE(fs);
            const Bytes before = image;
            Bytes next = f(*fs);
            EXPECT_EQ(before, image);
            image = std::move(next);
        };
        const auto padded = [](Bytes data, uint8_t pad) {
            data.resize(std::max<size_t>(1, (data.size() + 255) / 256) * 256, pad);
            return data;
        };
        const Bytes program = Pattern(2 * g.ClusterBytes() + 10, 0xFF, 3);
        const Bytes text{'1', '0',  ' ',  'P',  'R',  'I',  'N',
                         'T', 0x88, 0x9F, 0xB1, '\r', '\n', 0x1A};
        const Bytes code = Pattern(700, 0x00, 4);
        change([&](const TFileSystem& fs) { return fs.Put("PROG.BAS", program); });
        change([&](const TFileSystem& fs) { return fs.Put("NOTE.TXT", code); });
        change([&](const TFileSystem& fs) { return fs.Put("DATA", code); });
        change([&](const TFileSystem& fs) { return fs.Put("NOTE.TXT", text); });
        change([&](const TFileSystem& fs) { return fs.Put("EMPTY", {}); });
        EXPECT_EQ((std::map<std::string, Found>{{"PROG.BAS", {0x80, padded(program, 0)}},
                                                {"NOTE.TXT", {0x00, padded(text, 0x1A)}},
                                                {"DATA", {0x01, padded(code, 0)}},
                                                {"EMPTY", {0x00, padded({}, 0x1A)}}}),
                  ReadBack(image, g));
        change([&](const TFileSystem& fs) { return fs.Delete(std::vector<std::string>{"DATA"}); });
        change([&](const TFileSystem& fs) { return fs.Rename("PROG.BAS", "GAME.BAS"); });
        EXPECT_EQ((std::map<std::string, Found>{{"GAME.BAS", {0x80, padded(program, 0)}},
                                                {"NOTE.TXT", {0x00, padded(text, 0x1A)}},
                                                {"EMPTY", {0x00, padded({}, 0x1A)}}}),
                  ReadBack(image, g));
        const auto fs = OpenN88Basic(TDiskSectors(image));
        EXPECT_EQ(OpenN88Basic(TDiskSectors(blank))->FreeBytes() - 5 * g.ClusterBytes(),
                  fs->FreeBytes());
        EXPECT_EQ(padded(text, 0x1A), fs->Read("NOTE.TXT"));
    }
}

TEST(App_n88fsTest, Refusals) {
    Disk disk(G2D);
    disk.Add(0, "GAME  BAS", 0x80, Pattern(100, 0xFF, 5), {3});
    disk.Add(1, "NOTE  TXT", 0x00, Bytes(10, 'x'), {4}, 0x1A);
    const Bytes original = disk.Image;
    const auto fs = OpenN88Basic(TDiskSectors(disk.Image));
    ASSERT_TRUE(fs);
    const std::string fit = "\" does not fit an N88-BASIC disk: ";
    const std::string lengths = fit + "at most 6 bytes and 3 after the dot.";
    const std::string bytes = fit + "it may hold no control bytes and no '/', ':' or '\"'.";
    const int64_t free = 156 * 2048;
    const std::vector<std::pair<std::function<void()>, std::string>> cases{
        {[&] { fs->Put("ABCDEFGH.BAS", {}); }, "The name \"ABCDEFGH.BAS" + lengths},
        {[&] { fs->Put("A.BASI", {}); }, "The name \"A.BASI" + lengths},
        {[&] { fs->Put(".BAS", {}); }, "The name \".BAS" + fit + "it needs a name before the dot."},
        {[&] { fs->Put("A:B", {}); }, "The name \"A:B" + bytes},
        {[&] { fs->Rename("GAME.BAS", "A\tB"); }, "The name \"A\tB" + bytes},
        {[&] { fs->Put("BIG", Bytes(size_t(free) + 1, 'A')); },
         "The file \"BIG\" (" + std::to_string(free + 1) +
             " bytes) does not fit the free space of the disk (" + std::to_string(free) +
             " bytes)."}};
    for (const auto& [f, message] : cases)
        EXPECT_EQ(message, Refusal(f));
    // A replaced file's clusters are free for its new bytes.
    EXPECT_EQ(free + 2048,
              OpenN88Basic(TDiskSectors(fs->Put("NOTE.TXT", Bytes(size_t(free) + 2048, 'A'))))
                  ->List("")[1]
                  .Size);
    EXPECT_EQ(original, disk.Image);
}

TEST(App_n88fsTest, DamagedDisksAreListedAndNeverChanged) {
    const std::vector<std::tuple<std::function<void(Disk&)>, std::string, bool>> cases{
        {[](Disk& d) {
             d.SetFat(10, 11);
             d.SetFat(11, 10);
         },
         "the allocation chain of \"BAD\" loops", true},
        {[](Disk& d) { d.SetFat(10, 0xA5); }, "the allocation chain of \"BAD\" leaves the disk",
         true},
        {[](Disk& d) { d.SetFat(10, 3); }, "\"GOOD\" and \"BAD\" share cluster 3", false},
        {[](Disk& d) { d.SetFat(10, 0xC9); },
         "the last cluster of \"BAD\" counts more sectors than a cluster holds", true},
        {[](Disk& d) { d.Entry(1, "BAD      ", 0, 0xB0); },
         "the entry of \"BAD\" points outside the disk", true},
        {[](Disk& d) { d.SetFat(10, 74); },
         "the allocation chain of \"BAD\" runs into reserved cluster 74", true},
        {[](Disk& d) { d.Fat(2)[50] = 0xC1; }, "the copies of the allocation table differ", false}};
    for (const auto& [damage, clause, broken] : cases) {
        Disk disk(G2D);
        const Bytes good = disk.Add(0, "GOOD     ", 0, Bytes(256, 'g'), {3});
        disk.Add(1, "BAD      ", 0, Bytes(256, 'b'), {10});
        damage(disk);
        const auto fs = OpenN88Basic(TDiskSectors(disk.Image));
        ASSERT_TRUE(fs) << clause;
        EXPECT_EQ(clause, fs->Damage());
        ASSERT_EQ(2u, fs->List("").size());
        EXPECT_EQ("BAD", fs->List("")[1].Name);
        EXPECT_EQ(good, fs->Read("GOOD"));
        EXPECT_EQ(broken
                      ? "The program cannot read the file \"BAD\": its allocation chain is broken."
                      : "(nothing raised)",
                  Refusal([&] { fs->Read("BAD"); }));
        const std::string refusal =
            "The program cannot change the files of this disk: " + clause + ".";
        EXPECT_EQ(refusal, Refusal([&] { fs->Put("NEW", {}); }));
        EXPECT_EQ(refusal, Refusal([&] { fs->Rename("GOOD", "NEW"); }));
        EXPECT_EQ(refusal, Refusal([&] { fs->Delete(std::vector<std::string>{"GOOD"}); }));
    }
}

TEST(App_n88fsTest, OtherDisksAreNotTakenForN88Basic) {
    Disk unmarked(G2D);
    unmarked.Add(0, "GAME  BAS", 0x80, Pattern(100, 0xFF, 6), {3});
    unmarked.SetFat(74, 0xFF);
    Bytes fat = FormattedImage(0x20, 77, 2, 8, 3, 0x00);
    const Bytes bpb{0xEB, 0x3C, 0x90, 'N',  'E',  'C',  ' ',  ' ',  ' ',  ' ',  ' ',  0x00,
                    0x04, 0x01, 0x01, 0x00, 0x02, 0xC0, 0x00, 0xD0, 0x04, 0xFE, 0x02, 0x00};
    std::copy(bpb.begin(), bpb.end(), fat.begin() + 688 + 16);
    for (const Bytes& image :
         {unmarked.Image, fat, FormattedImage(0x00, 40, 2, 16, 1, 0x00),
          FormattedImage(0x00, 40, 2, 16, 1, 0xE5), FormattedImage(0x00, 40, 2, 16, 1, 0xFE),
          FormattedImage(0x10, 80, 2, 16, 1, 0xFF), FormattedImage(0x20, 77, 2, 26, 1, 0xFF),
          SampleBytes("cpm-x1turbo-2d.d88"), SampleBytes("hubasic-2d-17-byte-name.d88")})
        EXPECT_EQ(nullptr, OpenN88Basic(TDiskSectors(image)));
}
