#include "TestSupport.h"
#include "Vix_clipboard.h"

#include <gtest/gtest.h>

TEST(ClipboardWatcher, ReportsOnceWhenActivatedThenOncePerChange) {
    TMemoryClipboard clipboard;
    TClipboardWatcher watcher(clipboard);
    int changes = 0;
    watcher.OnChange = [&](TClipboardWatcher& sender) {
        EXPECT_EQ(&sender, &watcher);
        ++changes;
    };
    clipboard.SetText("before");
    EXPECT_EQ(changes, 0);
    watcher.SetActive(true);
    EXPECT_TRUE(watcher.Active());
    EXPECT_EQ(changes, 1);
    watcher.SetActive(true);
    EXPECT_EQ(changes, 1);
    clipboard.SetText("A\r\nB\r\n");
    clipboard.Clear();
    EXPECT_EQ(changes, 3);
    watcher.SetActive(false);
    watcher.SetActive(false);
    clipboard.SetText("after");
    EXPECT_EQ(changes, 3);
}

TEST(ClipboardWatcher, AWatcherLeavingDuringANotificationIsNotCalledAgain) {
    TMemoryClipboard clipboard;
    TClipboardWatcher first(clipboard);
    TClipboardWatcher second(clipboard);
    int secondChanges = 0;
    first.SetActive(true);
    second.SetActive(true);
    second.OnChange = [&](TClipboardWatcher&) { ++secondChanges; };
    first.OnChange = [&](TClipboardWatcher&) { second.SetActive(false); };
    clipboard.SetText("x");
    EXPECT_EQ(secondChanges, 0);
    EXPECT_FALSE(second.Active());
}

TEST(MemoryClipboard, HoldsTextOrNothing) {
    TMemoryClipboard clipboard;
    EXPECT_FALSE(clipboard.HasText());
    EXPECT_EQ(testsupport::MessageOf<EClipboardError>([&] { clipboard.GetText(); }),
              "The program could not get the text in the clipboard.");
    clipboard.SetText("");
    EXPECT_TRUE(clipboard.HasText());
    EXPECT_EQ(clipboard.GetText(), "");
}
