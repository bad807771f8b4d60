#include "App_sectorhandler.h"
#include "TestSupport.h"
#include "Vix_listviews.h"

#include <gtest/gtest.h>

using testsupport::Bytes;
using testsupport::MessageOf;

namespace {

struct SectorHandlerTest : ::testing::Test {
    testsupport::CurrentFolderKeeper folderKeeper;
    testsupport::TempDir dir;
    TMemoryListControl control;
    TListViewShell shell{control};
    TScriptedUserInterface ui;
    TFileHandler document{&shell, ui};
    TSectorHandler handler{document, shell};
    // Two 2D images of 4 cylinders of 16 sectors of 256 bytes, the second filled with 0x5A.
    const Bytes first = testsupport::FormattedImage(0x00, 4, 2, 16, 1, 0x00);
    const Bytes second = testsupport::FormattedImage(0x00, 4, 2, 16, 1, 0x5A);

    SectorHandlerTest() {
        const std::string path = dir.File("two.d88");
        testsupport::WriteFileBytes(path, testsupport::Concat({first, second}));
        document.OpenFile(path);
        Focus(1);
    }
    void Focus(int row) {
        shell.ClearSelection();
        shell.SetSelected(row, true);
        shell.SetFocused(row, true);
        handler.Refresh();
    }
    std::string Place() const {
        return std::to_string(handler.Entry()) + ":" + std::to_string(handler.Sector());
    }
};

// The view follows the focused image, keeps its place in the same image, and an edit of a
// sector is one step whose undo gives the image back byte for byte.
TEST_F(SectorHandlerTest, AnEditIsOneStepThatUndoTakesBackExactly) {
    EXPECT_EQ(handler.Index(), 1);
    EXPECT_EQ(handler.Map().Tracks.size(), 8u);
    EXPECT_EQ(Place(), "0:1");
    handler.Choose(5, 3);
    Bytes data(handler.SectorData().begin(), handler.SectorData().end());
    EXPECT_EQ(data, Bytes(256, 0x5A));
    data[0] = 'T';
    data[255] = 'W';
    ASSERT_TRUE(handler.CanEdit());
    handler.CommitEdit(data);
    EXPECT_EQ(document.UndoName(), "Edit sector");
    handler.Refresh();
    EXPECT_EQ(Place(), "5:3");
    EXPECT_EQ(Bytes(handler.SectorData().begin(), handler.SectorData().end()), data);
    const std::span<const uint8_t> edited = document.DiskImages(1).Bytes();
    const size_t at = 688 + (5 * 16 + 2) * (16 + 256) + 16;
    for (size_t i = 0; i < edited.size(); ++i)
        ASSERT_EQ(edited[i], i == at ? 'T' : i == at + 255 ? 'W' : second[i]) << i;
    document.Undo();
    EXPECT_TRUE(std::ranges::equal(document.DiskImages(1).Bytes(), second));
    EXPECT_TRUE(std::ranges::equal(document.DiskImages(0).Bytes(), first));
    document.Redo();
    EXPECT_EQ(document.DiskImages(1).Bytes()[at], 'T');

    // Another image starts at its first sector; a data length other than the sector's is refused.
    Focus(0);
    EXPECT_EQ(Place(), "0:1");
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { handler.CommitEdit(Bytes(255, 0)); }),
              "The sector holds 256 bytes, not 255.");

    // A write-protected image says why it cannot change.
    document.WriteProtectedSetToYes();
    handler.Refresh();
    EXPECT_FALSE(handler.CanEdit());
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.CommitEdit(Bytes(256, 0)); }),
              "The disk image 1 is write-protected; clear its write protection to change its "
              "sectors.");
}

// Go To takes a track entry and place, or a sector ID; Find goes on from the last match and
// wraps round, either way.
TEST_F(SectorHandlerTest, GoToAndFindMoveOverTheWholeImage) {
    ASSERT_TRUE(handler.GoTo(*ParseSectorPlace("3:16")));
    EXPECT_EQ(Place(), "3:16");
    ASSERT_TRUE(handler.GoTo(*ParseSectorPlace(" 2 / 1 / 5 ")));
    EXPECT_EQ(Place(), "5:5");
    EXPECT_FALSE(handler.GoTo(*ParseSectorPlace("9:1")));
    EXPECT_FALSE(handler.GoTo(*ParseSectorPlace("0/0/17")));
    EXPECT_EQ(Place(), "5:5");
    for (const char* bad : {"", "1", "1:2:3", "1/2", "-1:2", "a:b", "1:2x"})
        EXPECT_FALSE(ParseSectorPlace(bad)) << bad;

    // Two marks, in the last sector of track 2 and the first of track 6.
    Bytes data(256, 0x5A);
    data[100] = 0xE0;
    data[101] = 0x0F;
    handler.Choose(2, 16);
    handler.CommitEdit(data);
    handler.Choose(6, 1);
    handler.Refresh();
    handler.CommitEdit(data);
    handler.Refresh();
    const Bytes mark = SearchBytes("e0 0F", true);
    EXPECT_EQ(mark, (Bytes{0xE0, 0x0F}));
    std::vector<std::string> seen;
    TSectorMatch at{0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        at = *handler.Find(mark, false, at);
        seen.push_back(Place() + "+" + std::to_string(at.Offset));
    }
    at = *handler.Find(mark, true, at);
    seen.push_back(Place() + "+" + std::to_string(at.Offset));
    EXPECT_EQ(seen, (std::vector<std::string>{"2:16+100", "6:1+100", "2:16+100", "6:1+100"}));
    EXPECT_FALSE(handler.Find(SearchBytes("QQQ", false), false, at));
    EXPECT_EQ(SearchBytes("ア", false), (Bytes{0x83, 0x41}));
    EXPECT_EQ(MessageOf<EHandlerError>([] { SearchBytes("E0F", true); }),
              "The program cannot accept the text \"E0F\".");
    EXPECT_EQ(MessageOf<EHandlerError>([] { SearchBytes("zz", true); }),
              "The program cannot accept the text \"zz\".");
}

} // namespace
