// The Files panel's decisions without its widgets: the columns' texts in the user's language, the
// order a header chooses with folders first, and where the selection and the cursor go when what
// the panel shows changes.
#include "App_filespanel.h"
#include "Rtl_texts.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Translates as a catalogue would: known texts marked, the rest as they are.
class TMarkingTranslator {
public:
    TMarkingTranslator()
        : FSaved(rtl::SetTranslator([](const char* source) {
              static const std::map<std::string, std::string> known = {
                  {"file", "FILE"},   {"folder", "FOLDER"},   {"read-only", "RO"},
                  {"archive", "ARC"}, {"machine code", "MC"}, {"load %s exec %s", "L=%s X=%s"},
                  {"user %s", "U%s"}, {"type %s", "T%s"}};
              const auto found = known.find(source);
              return found != known.end() ? found->second : std::string(source);
          })) {}
    ~TMarkingTranslator() { rtl::SetTranslator(FSaved); }
    TMarkingTranslator(const TMarkingTranslator&) = delete;
    TMarkingTranslator& operator=(const TMarkingTranslator&) = delete;

private:
    rtl::TTranslator FSaved;
};

TFileEntry File(const char* name, int64_t size, const char* kind = "file",
                const char* details = "") {
    return {name, size, false, kind, details, std::nullopt};
}

TFileEntry Folder(const char* name) {
    return {name, 0, true, "folder", "", std::nullopt};
}

std::vector<std::string> Names(const std::vector<TPanelRow>& rows) {
    std::vector<std::string> names;
    for (const TPanelRow& row : rows)
        names.push_back(row.Name);
    return names;
}

} // namespace

TEST(FilesPanel, TypesAndDetailsAreShownInTheUsersLanguageWordForWord) {
    const TMarkingTranslator translator;
    EXPECT_EQ(ShownKind("file"), "FILE");
    EXPECT_EQ(ShownKind("machine code"), "MC");
    EXPECT_EQ(ShownKind("type 7"), "T7");
    // Names of formats stay as they are.
    EXPECT_EQ(ShownKind("BASIC"), "BASIC");
    EXPECT_EQ(ShownDetails("2022-02-02 21:33 read-only archive"), "2022-02-02 21:33 RO ARC");
    EXPECT_EQ(ShownDetails("binary load 0x1800 exec 0x2000"), "binary L=0x1800 X=0x2000");
    EXPECT_EQ(ShownDetails("user 12 read-only"), "U12 RO");
    // A word that only looks like the start of a phrase is a word.
    EXPECT_EQ(ShownDetails("load"), "load");
    EXPECT_EQ(ShownDetails("user x"), "user x");
    EXPECT_EQ(ShownDetails(""), "");
}

TEST(FilesPanel, AHeaderSortsByItsColumnBothWaysWithFoldersFirstAndTheParentOnTop) {
    const std::vector<TFileEntry> entries = {File("b.txt", 30), Folder("ZDIR"),
                                             File("A.BIN", 200, "binary"), Folder("adir"),
                                             File("c.dat", 5)};
    // Unsorted: the disk's own order, after "..".
    EXPECT_EQ(Names(PanelRows(entries, true, {})),
              (std::vector<std::string>{"..", "b.txt", "ZDIR", "A.BIN", "adir", "c.dat"}));
    TPanelSort sort = TPanelSort{}.Clicked(TPanelColumn::Name);
    EXPECT_EQ(Names(PanelRows(entries, true, sort)),
              (std::vector<std::string>{"..", "adir", "ZDIR", "A.BIN", "b.txt", "c.dat"}));
    sort = sort.Clicked(TPanelColumn::Name);
    EXPECT_TRUE(sort.Descending);
    EXPECT_EQ(Names(PanelRows(entries, false, sort)),
              (std::vector<std::string>{"ZDIR", "adir", "c.dat", "b.txt", "A.BIN"}));
    // Sizes by their value, not their text ("200" after "30").
    sort = sort.Clicked(TPanelColumn::Size);
    EXPECT_FALSE(sort.Descending);
    const std::vector<TPanelRow> bySize = PanelRows(entries, false, sort);
    EXPECT_EQ(Names(bySize), (std::vector<std::string>{"ZDIR", "adir", "c.dat", "b.txt", "A.BIN"}));
    EXPECT_EQ(bySize[4].Size, "200");
    EXPECT_EQ(bySize[4].Entry, 2);
    EXPECT_EQ(Names(PanelRows(entries, false, sort.Clicked(TPanelColumn::Kind))),
              (std::vector<std::string>{"ZDIR", "adir", "A.BIN", "b.txt", "c.dat"}));
}

TEST(FilesPanel, TheSelectionAndTheCursorStayWithTheirFilesOrGoWhereAFileManagerPutsThem) {
    const std::vector<TPanelRow> old = PanelRows(
        {File("A.TXT", 1), File("B.TXT", 2), File("C.TXT", 3), File("D.TXT", 4)}, false, {});
    // B deleted: C stays selected and keeps the cursor, now one row up.
    const std::vector<TPanelRow> without =
        PanelRows({File("A.TXT", 1), File("C.TXT", 3), File("D.TXT", 4)}, false, {});
    TPanelPlace place = PlaceAfterChange(old, {1, 2}, 2, without, true, true, "", "");
    EXPECT_EQ(place.Selected, std::vector<int>{1});
    EXPECT_EQ(place.Cursor, 1);
    // The file with the cursor gone: the cursor stays at its row, or the last one.
    place =
        PlaceAfterChange(old, {3}, 3, PanelRows({File("A.TXT", 1)}, false, {}), true, true, "", "");
    EXPECT_TRUE(place.Selected.empty());
    EXPECT_EQ(place.Cursor, 0);
    // Renamed: no name found and as many rows, so the rows stay selected in their places.
    const std::vector<TPanelRow> renamed = PanelRows(
        {File("A.TXT", 1), File("X.TXT", 2), File("C.TXT", 3), File("D.TXT", 4)}, false, {});
    place = PlaceAfterChange(old, {1}, 1, renamed, true, true, "", "");
    EXPECT_EQ(place.Selected, std::vector<int>{1});
    EXPECT_EQ(place.Cursor, 1);
    // Sorted another way: the same files selected where they now are.
    const std::vector<TPanelRow> sorted =
        PanelRows({File("A.TXT", 1), File("B.TXT", 2), File("C.TXT", 3), File("D.TXT", 4)}, false,
                  TPanelSort{}.Clicked(TPanelColumn::Name).Clicked(TPanelColumn::Name));
    place = PlaceAfterChange(old, {0, 1}, 0, sorted, true, true, "", "");
    EXPECT_EQ(place.Selected, (std::vector<int>{2, 3}));
    EXPECT_EQ(place.Cursor, 3);

    // Back from GAMES/SAVE to GAMES: the cursor on SAVE; into another folder: at the top.
    const std::vector<TPanelRow> games =
        PanelRows({File("RUN.BAS", 1), Folder("SAVE"), Folder("DATA")}, true, {});
    place = PlaceAfterChange(old, {0}, 0, games, false, true, "GAMES/SAVE/OLD", "GAMES");
    EXPECT_TRUE(place.Selected.empty());
    EXPECT_EQ(place.Cursor, 2);
    place = PlaceAfterChange(old, {0}, 0, games, false, true, "", "GAMES");
    EXPECT_EQ(place.Cursor, 0);
    // Another image with a folder of the same name: not "back", so at the top.
    place = PlaceAfterChange(old, {0}, 0, games, false, false, "GAMES/SAVE", "GAMES");
    EXPECT_EQ(place.Cursor, 0);
    EXPECT_EQ(PlaceAfterChange(old, {0}, 0, {}, false, false, "", "").Cursor, -1);
}
