// Random document operations through the file handler, with saves and reopening in between:
// what is saved and opened again is byte for byte what the document held.
#include "App_filehandler.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

using testsupport::Bytes;

int FromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr ? std::atoi(text) : fallback;
}

class TDocumentModel {
public:
    explicit TDocumentModel(uint32_t seed) : FRandom(seed) {
        FPath = FDir.File("doc.d88");
        Bytes start = testsupport::SampleBytes("fm77av-demo.d77");
        const Bytes second = testsupport::SampleBytes("cpm-x1turbo-2d.d88");
        start.insert(start.end(), second.begin(), second.end());
        testsupport::WriteFileBytes(FPath, start);
        // A second file to add from, with a Japanese name in it.
        TDiskImageList extra;
        extra.Add(std::make_unique<TDiskImage>(TDiskFormat{DiskType2DD, 1, 1, 2, 0}));
        extra[0]->SetName("\x83\x5C\x83\x74\x83\x67");
        extra.Add(std::make_unique<TDiskImage>());
        extra.SaveToFile(FDir.File("extra.d88"));
        FHandler.OpenFile(FPath);
        FPath = FHandler.FileName();
    }

    void Step() {
        const int choice = Pick(0, 99);
        const bool selected = FShell.SelCount() > 0;
        const bool empty = FHandler.IsEmpty();
        if (choice < 8)
            FHandler.AddNewDiskImage(
                TDiskFormat{DiskType2D, Pick(0, 2), 1, Pick(0, 2), Pick(0, 1)});
        else if (choice < 12)
            FHandler.AddExistentFiles({FDir.File("extra.d88")});
        else if (choice < 18 && selected && FHandler.DiskImageCount() < 40)
            FHandler.Duplicate();
        else if (choice < 26 && selected)
            FHandler.Delete();
        else if (choice < 30 && !empty)
            FHandler.SortByName();
        else if (choice < 33 && !empty)
            FHandler.SortBySize();
        else if (choice < 36 && !empty)
            FHandler.SortByWriteProtected();
        else if (choice < 39 && !empty)
            FHandler.ReverseOrder();
        else if (choice < 44 && selected)
            Pick(0, 1) ? FHandler.MoveUp() : FHandler.MoveDown();
        else if (choice < 49 && selected)
            PasteNames();
        else if (choice < 52 && selected)
            EnterName();
        else if (choice < 58 && selected)
            Pick(0, 2) == 0 ? FHandler.WriteProtectedToggle() : FHandler.WriteProtectedSetToYes();
        else if (choice < 70 && FHandler.CanUndo())
            FHandler.Undo();
        else if (choice < 80 && FHandler.CanRedo())
            FHandler.Redo();
        else if (choice < 88 && !empty)
            ChangeSelection();
        else if (choice < 95 && !empty)
            SaveAndCompare();
        else if (!empty)
            SaveAndReopen();
        Check();
    }

    void SaveAndReopen() {
        SaveAndCompare();
        const std::vector<Bytes> before = Images();
        FHandler.New();
        FHandler.OpenFile(FPath);
        ASSERT_EQ(Images(), before);
        ASSERT_FALSE(FHandler.IsModified());
        ASSERT_FALSE(FHandler.CanUndo());
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }

    std::string RandomName() {
        static const char* const Names[] = {"", "A", "b", "GAME", "ソフト", "DISK 2"};
        return Names[Pick(0, 5)];
    }

    void PasteNames() {
        std::string text;
        for (int i = 0; i < FShell.SelCount(); ++i)
            text += RandomName() + (Pick(0, 1) ? "\r\n" : "\n");
        FUi.MemoryClipboard.SetText(text);
        FHandler.NamePaste();
    }

    void EnterName() {
        FUi.EnterAnswers = {RandomName()};
        FHandler.NameEnter();
    }

    void ChangeSelection() {
        FShell.ClearSelection();
        for (int i = 0; i < FShell.Count(); ++i)
            if (Pick(0, 2) == 0)
                FShell.SetSelected(i, true);
    }

    std::vector<Bytes> Images() const {
        std::vector<Bytes> images;
        for (int i = 0; i < FHandler.DiskImageCount(); ++i) {
            rtl::TMemoryStream stream;
            FHandler.DiskImages(i).SaveToStream(stream);
            images.emplace_back(stream.Memory(), stream.Memory() + stream.Size());
        }
        return images;
    }

    void SaveAndCompare() {
        if (FHandler.IsModified())
            FHandler.Save();
        else
            FHandler.SaveFile(FPath);
        ASSERT_FALSE(FHandler.IsModified());
        Bytes expected;
        for (const Bytes& image : Images())
            expected.insert(expected.end(), image.begin(), image.end());
        ASSERT_EQ(testsupport::ReadFileBytes(FPath), expected);
    }

    void Check() {
        ASSERT_EQ(FHandler.DiskImageCount(), FShell.Count());
        ASSERT_LE(FControl.FocusedIndex(), FShell.Count() - 1);
        ASSERT_EQ(FControl.UpdateDepth(), 0);
        ASSERT_EQ(FHandler.ChangeCount(), 0);
        ASSERT_EQ(FHandler.CanSave(), !FHandler.IsEmpty() && FHandler.IsModified());
    }

    std::mt19937 FRandom;
    testsupport::CurrentFolderKeeper FFolderKeeper;
    testsupport::TempDir FDir;
    std::string FPath;
    TMemoryListControl FControl;
    TListViewShell FShell{FControl};
    TScriptedUserInterface FUi;
    TFileHandler FHandler{&FShell, FUi};
};

} // namespace

// TRACKWELL_MODEL_SEED and TRACKWELL_MODEL_STEPS run other and longer sequences locally.
TEST(FileHandlerModel, SavedAndReopenedDocumentsEqualTheListInMemory) {
    const auto seed = static_cast<uint32_t>(FromEnvironment("TRACKWELL_MODEL_SEED", 20261207));
    const int steps = FromEnvironment("TRACKWELL_MODEL_STEPS", 1500);
    SCOPED_TRACE("seed " + std::to_string(seed));
    TDocumentModel model(seed);
    for (int i = 0; i < steps; ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        model.Step();
        if (::testing::Test::HasFailure())
            return;
    }
    model.SaveAndReopen();
}
