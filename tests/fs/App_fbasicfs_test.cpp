// F-BASIC disks of the FM-7: a real FM77AV disk, and disks laid out here from the public notes,
// whose changes a reader written here from the same notes reads back; what the directory does
// not say, a file's length, follows the rule the help states.
#include "App_fbasicfs.h"

#include "FsTestDisks.h"
#include "Rtl_codepage.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace fstest::fbasic;
using fstest::Bytes;
using fstest::Lines;
using testsupport::MessageOf;

namespace {

// The files as the notes have them: entries neither unused (0xFF) nor killed (0x00), chains
// followed to their 0xC0 + k mark; ASCII files cut at their 0x1A, machine code at its own end.
std::map<std::string, Bytes> ReadBack(Bytes d) {
    std::map<std::string, Bytes> files;
    for (int slot = 0; slot < 104; ++slot) {
        const uint8_t* e = Entry(d, slot);
        if (e[0] == 0xFF || e[0] == 0x00)
            continue;
        std::string name(e, e + 8);
        name.erase(name.find_last_not_of(' ') + 1);
        Bytes& data = files[name];
        for (int c = e[14], steps = 0; steps < 152; ++steps) {
            const uint8_t next = Table(d)[c];
            for (int s = 0; s < (next >= 0xC0 ? next - 0xC0 + 1 : 8); ++s)
                data.insert(data.end(), ClusterSector(d, c, s), ClusterSector(d, c, s) + 256);
            if (next >= 0xC0)
                break;
            c = next;
        }
        if (e[12] == 0xFF)
            data.resize(
                static_cast<size_t>(std::find(data.begin(), data.end(), 0x1A) - data.begin()));
        else if (e[11] == 2)
            data.resize(10 + static_cast<size_t>(data[1] << 8 | data[2]));
    }
    return files;
}

// A machine-code body: 0x00, length and load address, the bytes, 0xFF 0x00 0x00, run address.
Bytes MachineCode(uint16_t load, uint16_t exec, const Bytes& code) {
    const auto high = [](size_t v) { return static_cast<uint8_t>(v >> 8); };
    const auto low = [](size_t v) { return static_cast<uint8_t>(v); };
    return testsupport::Concat({{0x00, high(code.size()), low(code.size()), high(load), low(load)},
                                code,
                                {0xFF, 0x00, 0x00, high(exec), low(exec)}});
}

} // namespace

TEST(App_fbasicfs, TheRealFm77avDiskListsItsProgramAndMachineCode) {
    const Bytes d = testsupport::SampleBytes("fm77av-demo.d77");
    const auto fs = OpenFileSystem(d);
    ASSERT_TRUE(fs);
    EXPECT_EQ(fs->Name(), "F-BASIC");
    EXPECT_EQ(fs->Damage(), "");
    const std::string code = "|machine code|binary load 0x1800 exec 0x1800";
    EXPECT_EQ(Lines(*fs),
              (std::vector<std::string>{
                  "DEMO2019|41|BASIC|ASCII", "DM2019-0|32932" + code, "DM2019-1|18109" + code,
                  "DM2019-2|16548" + code, "DM2019-3|1725" + code, "DM2019M|39057" + code,
                  "DM2019L|1083|machine code|binary load 0x1000 exec 0x1000"}));
    const Bytes program = fs->Read("DEMO2019");
    EXPECT_EQ(std::string(program.begin(), program.end()),
              "\r\n10 CLEAR,&H6FFF\r\n20 LOADM\"DM2019L\",,R\r\n");
    // Every file reads as the notes' reader reads it.
    for (const auto& [name, data] : ReadBack(d))
        EXPECT_EQ(fs->Read(name), data) << name;
}

TEST(App_fbasicfs, ChangesReadBackIndependentlyAndBinaryFilesAreWholeSectors) {
    Bytes image = Blank();
    const Bytes text{'1', '0', ' ', 'P', 'R', 'I', 'N', 'T', ' ', 0xB1, '\r', '\n'};
    const Bytes code = MachineCode(0x2000, 0x2010, Bytes(3000, 0x1A));
    const Bytes data(300, 0x01);
    for (const auto& [name, bytes] : {std::pair{"TEXT", text}, {"CODE", code}, {"DATA", data}})
        image = OpenFBasic(TDiskSectors(image))->Put(name, bytes);
    const auto fs = OpenFBasic(TDiskSectors(image));
    ASSERT_TRUE(fs);
    EXPECT_EQ(Lines(*fs), (std::vector<std::string>{
                              "TEXT|12|data|ASCII",
                              "CODE|3010|machine code|binary load 0x2000 exec 0x2010",
                              "DATA|512|data|binary",
                          }));
    Bytes padded = data;
    padded.resize(512, 0);
    EXPECT_EQ(ReadBack(image),
              (std::map<std::string, Bytes>{{"TEXT", text}, {"CODE", code}, {"DATA", padded}}));
    EXPECT_EQ(fs->ReadBackOf(data), padded);
    // Three clusters: text and data one each, machine code two.
    EXPECT_EQ(fs->FreeBytes(), (152 - 4) * 2048);

    image = fs->Rename("CODE", "\xBA\xB0\xC4\xDE");
    image = OpenFBasic(TDiskSectors(image))->Delete(std::vector<std::string>{"TEXT"});
    EXPECT_EQ(ReadBack(image),
              (std::map<std::string, Bytes>{{"\xBA\xB0\xC4\xDE", code}, {"DATA", padded}}));
}

TEST(App_fbasicfs, NamesThatDoNotFitAndOtherDisksAreRefused) {
    const auto fs = OpenFBasic(TDiskSectors(Blank()));
    ASSERT_TRUE(fs);
    const std::string tail = "\" does not fit an F-BASIC disk: 1 to 8 characters of ASCII or "
                             "half-width katakana, without '\"', ':' or '/'.";
    for (const std::string name : {"NINECHARS", "A:B", "\x83\x65", " LEAD"})
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Put(name, Bytes(1, 'a')); }),
                  "The name \"" + rtl::Cp932ToUtf8(name) + tail)
            << name;

    // The table's head, and values the notes do not name, tell another disk.
    Bytes head = Blank();
    Sector(head, 1, 0, 1)[2] = 0x00;
    Bytes value = Blank();
    Table(value)[20] = 0xA0;
    Bytes type = Blank();
    AddFile(type, 0, "X", 7, 0x00, Bytes(10, 'x'), {0});
    for (const Bytes& other : {head, value, type, testsupport::FormattedImage(0x00, 40, 2, 16, 1)})
        EXPECT_EQ(OpenFBasic(TDiskSectors(other)), nullptr);
}
