#include "Vix_filedrop.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using testsupport::MessageOf;

namespace {

class TMemoryDrop : public TDropHandle {
public:
    explicit TMemoryDrop(std::vector<std::string> paths) : FPaths(std::move(paths)) {}
    int Count() const override { return static_cast<int>(FPaths.size()); }
    std::string Path(int index) const override { return FPaths.at(static_cast<size_t>(index)); }
    void Release() override { ++Releases; }
    int Releases = 0;

private:
    std::vector<std::string> FPaths;
};

// A control that takes a drop itself when nobody before it did.
class TMemoryDropControl : public TFileDropControl, public TFileDropFilter {
public:
    TMemoryDropControl() { FFilter = this; }
    TFileDropFilter* DropFilter() const override { return FFilter; }
    void SetDropFilter(TFileDropFilter* filter) override { FFilter = filter; }
    bool Drop(TDropHandle& handle) { return FFilter->FilterDrop(handle); }
    bool FilterDrop(TDropHandle&) override {
        ++OwnDrops;
        return false;
    }
    int OwnDrops = 0;

private:
    TFileDropFilter* FFilter;
};

} // namespace

TEST(FileDropWatcher, TakesADropOnceAndPassesWhatItDoesNotTake) {
    TMemoryDropControl control;
    TFileDropWatcher watcher(&control);
    std::vector<std::string> seen;
    bool take = true;
    watcher.OnDropFiles = [&](TFileDropWatcher&, TDroppedFiles& files, bool& handled) {
        for (int i = 0; i < files.Count(); ++i)
            seen.push_back(files.Paths(i));
        EXPECT_EQ(MessageOf<EFileDropError>([&] { files.Paths(files.Count()); }),
                  "The program cannot get the path of a dropped file.");
        handled = take;
    };

    // Disabled, the control gets the drop untouched.
    TMemoryDrop first({"/a.d88", "/b.d77"});
    EXPECT_FALSE(control.Drop(first));
    EXPECT_EQ(control.OwnDrops, 1);
    EXPECT_TRUE(seen.empty());

    watcher.SetEnabled(true);
    EXPECT_TRUE(control.Drop(first));
    EXPECT_EQ(seen, (std::vector<std::string>{"/a.d88", "/b.d77"}));
    EXPECT_EQ(first.Releases, 1);
    EXPECT_EQ(control.OwnDrops, 1);

    // Left unhandled, the drop is not released and goes on to the control.
    take = false;
    TMemoryDrop second({"/c.d88"});
    EXPECT_FALSE(control.Drop(second));
    EXPECT_EQ(second.Releases, 0);
    EXPECT_EQ(control.OwnDrops, 2);

    // A failing handler still releases the drop, once.
    watcher.OnDropFiles = [](TFileDropWatcher&, TDroppedFiles& files, bool&) {
        files.Finish();
        files.Finish();
        EXPECT_EQ(MessageOf<EFileDropError>([&] { files.Count(); }),
                  "The program cannot get the number of dropped files.");
        throw EFileDropError("failed");
    };
    TMemoryDrop third({"/d.d88"});
    EXPECT_EQ(MessageOf<EFileDropError>([&] { control.Drop(third); }), "failed");
    EXPECT_EQ(third.Releases, 1);

    // Detached, the control has its own filter back and the watcher cannot be enabled.
    watcher.Detach();
    EXPECT_FALSE(watcher.Enabled());
    EXPECT_EQ(control.DropFilter(), &control);
    EXPECT_EQ(MessageOf<EFileDropError>([&] { watcher.SetEnabled(true); }),
              "The program cannot set the enabled state of a file-drop watcher.");
    EXPECT_EQ(MessageOf<EFileDropError>([&] { watcher.Attach(nullptr); }),
              "The program cannot attach the control to a file-drop watcher.");
    EXPECT_EQ(MessageOf<EFileDropError>([] { TDroppedFiles files(nullptr); }),
              "Information about the dropped files is unavailable.");
}

TEST(FileDropWatcher, AttachingTwiceHooksOnceAndAnotherControlUnhooksTheFirst) {
    TMemoryDropControl one, two;
    TFileDropWatcher watcher;
    watcher.Attach(&one);
    watcher.Attach(&one);
    watcher.SetEnabled(true);
    int drops = 0;
    watcher.OnDropFiles = [&](TFileDropWatcher&, TDroppedFiles&, bool& handled) {
        ++drops;
        handled = true;
    };
    TMemoryDrop drop({"/a.d88"});
    EXPECT_TRUE(one.Drop(drop));
    EXPECT_EQ(drops, 1);

    watcher.Attach(&two);
    EXPECT_EQ(one.DropFilter(), &one);
    EXPECT_FALSE(watcher.Enabled());
    watcher.SetEnabled(true);
    EXPECT_TRUE(two.Drop(drop));
    EXPECT_EQ(drops, 2);
}
