#include "Rtl_codepage.h"
#include "Rtl_convert.h"
#include "Rtl_exceptions.h"
#include "Rtl_objectlist.h"
#include "Rtl_paths.h"
#include "Rtl_streams.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <span>
#include <sys/mman.h>
#include <unistd.h>

using namespace rtl;

namespace {

std::string MessageOf(const std::function<void()>& f) {
    return testsupport::MessageOf<EListError>(f);
}

} // namespace

TEST(Exceptions, MessageReplacedOnTheSameObjectSurvivesRethrow) {
    const Exception* original = nullptr;
    try {
        try {
            throw EFOpenError("Cannot open file");
        } catch (EStreamError& e) {
            original = &e;
            e.SetMessage("The program could not load the disk images.");
            throw;
        }
    } catch (EFOpenError& e) {
        EXPECT_EQ(&e, original);
        EXPECT_EQ(e.Message(), "The program could not load the disk images.");
        EXPECT_STREQ(e.what(), "The program could not load the disk images.");
    }
    EXPECT_THROW(Abort(), EAbort);
    EXPECT_EQ(Format("%s #%03d", "disk", 7), "disk #007");
}

TEST(Convert, AcceptsDecimalAndEveryHexPrefix) {
    EXPECT_EQ(TryStrToInt("40"), 40);
    EXPECT_EQ(TryStrToInt("   -12"), -12);
    EXPECT_EQ(TryStrToInt("+7"), 7);
    EXPECT_EQ(TryStrToInt("$FF"), 255);
    EXPECT_EQ(TryStrToInt("xff"), 255);
    EXPECT_EQ(TryStrToInt("X10"), 16);
    EXPECT_EQ(TryStrToInt("0x1f"), 31);
    EXPECT_EQ(TryStrToInt("0X1F"), 31);
    EXPECT_EQ(TryStrToInt("-$10"), -16);
    EXPECT_EQ(TryStrToInt("0"), 0);
    EXPECT_EQ(TryStrToInt("2147483647"), 2147483647);
    EXPECT_EQ(TryStrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(TryStrToInt("$7FFFFFFF"), INT32_MAX);
}

TEST(Convert, RefusesWhatIsNotAnInteger) {
    for (const char* text : {"", " ", "-", "$", "0x", "12 ", "1a", "0x1g", "2147483648",
                             "-2147483649", "$80000000", "\t5", "1.0", "--1", "$-1"})
        EXPECT_FALSE(TryStrToInt(text).has_value()) << '"' << text << '"';
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
}

TEST(CodePage, LeadBytesAndConversionBothWays) {
    EXPECT_FALSE(IsDBCSLeadByte(0x80));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0x9F));
    EXPECT_FALSE(IsDBCSLeadByte(0xA0));
    EXPECT_FALSE(IsDBCSLeadByte(0xDF));
    EXPECT_TRUE(IsDBCSLeadByte(0xE0));
    EXPECT_TRUE(IsDBCSLeadByte(0xFC));
    EXPECT_FALSE(IsDBCSLeadByte(0xFD));

    // "ソ" has the trail byte 0x5C; half-width katakana are single bytes.
    EXPECT_EQ(Cp932ToUtf8("\x83\x5C"), "ソ");
    EXPECT_EQ(Cp932ToUtf8("GAME \xB1"), "GAME ｱ");
    EXPECT_EQ(Utf8ToCp932("ソフト"), std::string("\x83\x5C\x83\x74\x83\x67"));
    EXPECT_EQ(Utf8ToCp932("ABC\\~"), std::string("ABC\\~"));
    EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80").has_value()); // an emoji
    EXPECT_FALSE(Utf8ToCp932("\xFF").has_value());             // not UTF-8
}

TEST(CodePage, UndecodableBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Cp932ToUtf8("A\xA0"
                          "B"),
              "A\xEF\xBF\xBD"
              "B");
    // A lead byte at the end has no trail byte.
    EXPECT_EQ(Cp932ToUtf8("A\x83"), "A\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8(std::string_view("\0A", 2)), std::string("\0A", 2));
}

TEST(MemoryStream, ReadsWritesAndRefusesWhatItCannotHold) {
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    EXPECT_EQ(stream.Size(), 6);
    stream.SetPosition(2);
    char buffer[8] = {};
    stream.ReadBuffer(buffer, 3);
    EXPECT_STREQ(buffer, "cde");
    EXPECT_EQ(stream.Remaining(), 1);
    EXPECT_THROW(stream.ReadBuffer(buffer, 2), EReadError);
    EXPECT_THROW(stream.ReadBuffer(buffer, -1), EReadError);

    EXPECT_THROW(stream.SetSize(-1), EStreamMemoryError);
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(std::memcmp(stream.Memory(), "abcdef", 6), 0);

    // Writing past the end fills the gap with zero bytes.
    stream.SetPosition(8);
    stream.WriteBuffer("z", 1);
    ASSERT_EQ(stream.Size(), 9);
    EXPECT_EQ(stream.Memory()[6], 0);
    EXPECT_EQ(stream.Memory()[8], 'z');

    TMemoryStream other;
    other.Swap(stream);
    EXPECT_EQ(other.Size(), 9);
    EXPECT_EQ(stream.Size(), 0);
}

TEST(FileStream, TellsOpenCreateAndReadFailuresApart) {
    testsupport::TempDir dir;
    EXPECT_THROW(TFileStream(dir.File("missing"), TFileMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.File("no/such/folder"), TFileMode::Create), EFCreateError);
    EXPECT_THROW(TFileStream(dir.Path(), TFileMode::OpenRead), EFOpenError);
    {
        TFileStream out(dir.File("f"), TFileMode::Create);
        out.WriteBuffer("12345", 5);
    }
    TFileStream in(dir.File("f"), TFileMode::OpenRead);
    EXPECT_EQ(in.Size(), 5);
    char buffer[8] = {};
    in.ReadBuffer(buffer, 4);
    EXPECT_EQ(in.Remaining(), 1);
    EXPECT_THROW(in.ReadBuffer(buffer, 2), EReadError);
}

namespace {

testsupport::Bytes Pattern(size_t size) {
    testsupport::Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 4096 + 1);
    return bytes;
}

testsupport::Bytes Copy(std::span<const uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

} // namespace

TEST(FileView, ShowsTheFilesBytesInPlaceAndOnlyBytesTheFileHolds) {
    testsupport::TempDir dir;
    const std::string path = dir.File("f");
    const testsupport::Bytes bytes = Pattern(3 * 4096 + 123);
    testsupport::WriteFileBytes(path, bytes);
    TFileStream in(path, TFileMode::OpenRead);

    // Neither end on a page boundary.
    const std::unique_ptr<TFileView> middle = in.View(5000, 7000);
    ASSERT_NE(middle, nullptr);
    EXPECT_TRUE(Copy(middle->Bytes()) ==
                testsupport::Bytes(bytes.begin() + 5000, bytes.begin() + 12000));
    EXPECT_NO_THROW(middle->Verify());
    const std::unique_ptr<TFileView> whole = in.View(0, static_cast<int64_t>(bytes.size()));
    ASSERT_NE(whole, nullptr);
    EXPECT_TRUE(Copy(whole->Bytes()) == bytes);

    const auto size = static_cast<int64_t>(bytes.size());
    EXPECT_EQ(in.View(1, size), nullptr);
    EXPECT_EQ(in.View(size, 1), nullptr);
    EXPECT_EQ(in.View(-1, 10), nullptr);
    EXPECT_EQ(in.View(0, 0), nullptr);
    EXPECT_EQ(in.View(1, INT64_MAX), nullptr);
}

TEST(FileView, AFileCutUnderTheViewReadsAsZerosAndFailsAsAReadOfIt) {
    testsupport::TempDir dir;
    const std::string path = dir.File("cut");
    const testsupport::Bytes bytes = Pattern(6 * 4096);
    testsupport::WriteFileBytes(path, bytes);
    TFileStream in(path, TFileMode::OpenRead);
    const std::unique_ptr<TFileView> view = in.View(100, static_cast<int64_t>(bytes.size()) - 100);
    ASSERT_NE(view, nullptr);

    // Cut inside a page: past the end of that page the pages are gone, and each fault on one is
    // met; within it the system itself shows zeros.
    const size_t kept = 2 * 4096 + 10;
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kept)), 0);
    const testsupport::Bytes seen = Copy(view->Bytes());
    testsupport::Bytes expected(bytes.begin() + 100, bytes.begin() + kept);
    expected.resize(bytes.size() - 100, 0);
    EXPECT_TRUE(seen == expected);
    EXPECT_EQ(testsupport::MessageWithReasonOf<EFileReadError>([&] { view->Verify(); }),
              "Cannot read file \"" + path + "\".\nFile shrank while being read: " + path);

    // Cut only within the last page, the file faults nowhere and still is short.
    testsupport::WriteFileBytes(path, bytes);
    TFileStream again(path, TFileMode::OpenRead);
    const std::unique_ptr<TFileView> last = again.View(0, 4096);
    ASSERT_NE(last, nullptr);
    ASSERT_EQ(::truncate(path.c_str(), 4000), 0);
    EXPECT_EQ(last->Bytes()[3999], bytes[3999]);
    EXPECT_EQ(last->Bytes()[4000], 0);
    EXPECT_THROW(last->Verify(), EFileReadError);
}

TEST(FileView, ViewsBeyondWhatTheGuardWatchesAreRefusedUntilOneEnds) {
    testsupport::TempDir dir;
    const std::string path = dir.File("f");
    testsupport::WriteFileBytes(path, Pattern(4096));
    TFileStream in(path, TFileMode::OpenRead);
    std::vector<std::unique_ptr<TFileView>> views;
    for (int i = 0; i < 1000; ++i) {
        std::unique_ptr<TFileView> view = in.View(0, 4096);
        if (!view)
            break;
        views.push_back(std::move(view));
    }
    ASSERT_FALSE(views.empty());
    ASSERT_LT(views.size(), 1000u);
    views.pop_back();
    EXPECT_NE(in.View(0, 4096), nullptr);
}

#if !defined(__SANITIZE_ADDRESS__)
// The guard meets only faults on its own views: any other bus error ends the program as before.
TEST(FileViewDeathTest, ABusErrorOutsideTheViewsStillEndsTheProgram) {
    testsupport::TempDir dir;
    const std::string path = dir.File("f");
    testsupport::WriteFileBytes(path, Pattern(2 * 4096));
    TFileStream in(path, TFileMode::OpenRead);
    const std::unique_ptr<TFileView> view = in.View(0, 4096);
    ASSERT_NE(view, nullptr);
    EXPECT_EXIT(
        {
            const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            void* mapping = ::mmap(nullptr, 2 * 4096, PROT_READ, MAP_PRIVATE, handle, 0);
            if (mapping == MAP_FAILED || ::ftruncate(::open(path.c_str(), O_RDWR), 0) != 0)
                std::_Exit(3);
            std::_Exit(static_cast<const volatile uint8_t*>(mapping)[4096]);
        },
        ::testing::KilledBySignal(SIGBUS), "");
    EXPECT_EXIT(::raise(SIGBUS), ::testing::KilledBySignal(SIGBUS), "");
}
#endif

namespace {

struct Counted {
    explicit Counted(int& alive) : Alive(alive) { ++Alive; }
    ~Counted() { --Alive; }
    int& Alive;
};

} // namespace

TEST(ObjectList, OwnsObjectsFlagDecidesWhoDeletes) {
    int alive = 0;
    {
        TObjectList<Counted> owning;
        owning.Add(std::make_unique<Counted>(alive));
        owning.Add(std::make_unique<Counted>(alive));
        Counted* third = new Counted(alive);
        owning.Insert(0, third);
        EXPECT_EQ(owning.IndexOf(third), 0);
        owning.Exchange(0, 2);
        EXPECT_EQ(owning.IndexOf(third), 2);
        std::unique_ptr<Counted> extracted(owning.Extract(third));
        EXPECT_EQ(owning.Count(), 2);
        EXPECT_EQ(alive, 3);
        owning.Delete(0);
        EXPECT_EQ(alive, 2);
        EXPECT_THROW(owning.Delete(5), EListError);
        EXPECT_THROW(owning.Insert(3, nullptr), EListError);
        EXPECT_EQ(owning.Extract(third), nullptr);
    }
    EXPECT_EQ(alive, 0);

    Counted a(alive), b(alive);
    {
        TObjectList<Counted> borrowing(false);
        borrowing.Add(&a);
        borrowing.Add(&b);
        borrowing.Move(0, 1);
        EXPECT_EQ(borrowing.First(), &b);
        borrowing.Clear();
        EXPECT_THROW(borrowing.Add(std::make_unique<Counted>(alive)), EInvalidOperation);
    }
    EXPECT_EQ(alive, 2);
}

TEST(ObjectList, BatchedExtractAndInsertRefuseIndexesPastTheEndAndChangeNothing) {
    int items[4] = {10, 11, 12, 13};
    TObjectList<int> list(false);
    for (int& item : items)
        list.Add(&item);
    const auto contents = [&] { return std::vector<int*>(list.begin(), list.end()); };
    const std::vector<int*> before = contents();
    // The count itself is one past the last item.
    EXPECT_EQ(MessageOf([&] { list.ExtractSorted({1, 4}); }), "List index out of bounds (4)");
    EXPECT_EQ(MessageOf([&] { list.ExtractSorted({0, 0}); }), "List index out of bounds (0)");
    EXPECT_EQ(contents(), before);

    const std::vector<int*> taken = list.ExtractSorted({0, 3});
    EXPECT_EQ(taken, (std::vector<int*>{&items[0], &items[3]}));
    // Two items back into two: the new list has four places, 0 to 3.
    EXPECT_EQ(MessageOf([&] { list.InsertSorted({0, 4}, taken); }), "List index out of bounds (4)");
    EXPECT_EQ(contents(), (std::vector<int*>{&items[1], &items[2]}));
    list.InsertSorted({0, 3}, taken);
    EXPECT_EQ(contents(), before);
}

TEST(Paths, SplitsFolderNameAndExtension) {
    EXPECT_EQ(ExtractFilePath("/games/disk.d88"), "/games/");
    EXPECT_EQ(ExtractFileName("/games/disk.d88"), "disk.d88");
    EXPECT_EQ(ExtractFileExt("/games/disk.d88"), ".d88");
    EXPECT_EQ(ExtractFileExt("/games.old/disk"), "");
    EXPECT_EQ(RemoveFileExt("/games.old/disk"), "/games.old/disk");
    EXPECT_EQ(RemoveFileExt("/games/a.b.d77"), "/games/a.b");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/out"), "/out/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/out/"), "/out/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/out//"), "/out");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
    EXPECT_EQ(ExpandFileName("/a/b/../c/./d.d88"), "/a/c/d.d88");
}
