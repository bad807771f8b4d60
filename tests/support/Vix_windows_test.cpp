#include "TestSupport.h"
#include "Vix_windows.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using testsupport::MessageOf;

namespace {

class TCountingWaker : public TMessageLoopWaker {
public:
    void MessagePosted() override {
        ++Calls;
        if (Fail)
            throw std::runtime_error("waker failed");
    }
    int Calls = 0;
    bool Fail = false;
};

// Every window of a test lives on the test thread, so its queue must be empty between tests:
// a leftover would show that destroying a window did not drop its messages.
struct QueueFixture : ::testing::Test {
    TMessageQueue& queue = TMessageQueue::Current();

    void SetUp() override {
        ASSERT_EQ(queue.Count(), 0u);
        queue.SetWaker(nullptr);
    }
    void TearDown() override { queue.SetWaker(nullptr); }
};

// Writes "<window name>:<message number>" for every message a window receives, and handles it.
void LogMessages(TMessageWindow& window, const std::string& name, std::vector<std::string>& log) {
    window.OnMessage = [name, &log](TMessageWindow&, TMessage& message, bool& handled) {
        log.push_back(name + ":" + std::to_string(message.Msg));
        handled = true;
    };
}

using MessageQueueTest = QueueFixture;

TEST_F(MessageQueueTest, EachThreadHasItsOwnQueue) {
    EXPECT_EQ(&TMessageQueue::Current(), &queue);
    TMessageQueue* other = nullptr;
    std::thread([&] { other = &TMessageQueue::Current(); }).join();
    EXPECT_NE(other, nullptr);
    EXPECT_NE(other, &queue);
}

TEST_F(MessageQueueTest, PeekFiltersByWindowAndInclusiveRange) {
    TMessageWindow a, b;
    ASSERT_TRUE(queue.Post(a.Handle(), {10, 1, 0, 0}));
    ASSERT_TRUE(queue.Post(b.Handle(), {20, 2, 0, 0}));
    ASSERT_TRUE(queue.Post(a.Handle(), {30, 3, 0, 0}));

    // 0..0 is every number; the first match in post order wins.
    EXPECT_EQ(queue.Peek(a.Handle(), 0, 0, false)->WParam, 1u);
    EXPECT_EQ(queue.Peek(b.Handle(), 0, 0, false)->WParam, 2u);
    // Both ends are included.
    EXPECT_EQ(queue.Peek(a.Handle(), 30, 30, false)->WParam, 3u);
    EXPECT_EQ(queue.Peek(a.Handle(), 11, 30, false)->WParam, 3u);
    EXPECT_EQ(queue.Peek(a.Handle(), 0, 10, false)->WParam, 1u);
    EXPECT_FALSE(queue.Peek(a.Handle(), 11, 29, false));
    EXPECT_FALSE(queue.Peek(a.Handle(), 31, 0xFFFFFFFF, false));
    // An inverted range is empty, not "everything outside".
    EXPECT_FALSE(queue.Peek(a.Handle(), 30, 10, false));
    // Window 0 means any window.
    EXPECT_EQ(queue.Peek(0, 15, 25, false)->WParam, 2u);
    EXPECT_EQ(queue.Count(), 3u);

    // With removal the match leaves and the others keep their order.
    EXPECT_EQ(queue.Peek(0, 0, 0, true)->WParam, 1u);
    EXPECT_EQ(queue.Peek(0, 0, 0, true)->WParam, 2u);
    EXPECT_EQ(queue.Peek(0, 0, 0, true)->WParam, 3u);
    EXPECT_FALSE(queue.Peek(0, 0, 0, true));
}

TEST_F(MessageQueueTest, PostToAWindowThatDoesNotLiveHereIsRefused) {
    TCountingWaker waker;
    queue.SetWaker(&waker);
    EXPECT_FALSE(queue.Post(0, {WM_APP, 0, 0, 0}));
    TWindowHandle gone;
    {
        TMessageWindow window;
        gone = window.Handle();
    }
    EXPECT_FALSE(queue.IsWindow(gone));
    EXPECT_FALSE(queue.Post(gone, {WM_APP, 0, 0, 0}));
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_EQ(waker.Calls, 0);
}

TEST_F(MessageQueueTest, WakerIsToldOfEveryPostButNotOfSends) {
    TCountingWaker waker;
    queue.SetWaker(&waker);
    EXPECT_EQ(queue.Waker(), &waker);
    TMessageWindow a, b;
    a.Post(WM_APP);
    a.Post(WM_APP);
    b.Post(WM_APP + 1);
    EXPECT_EQ(waker.Calls, 3);
    a.Send(WM_APP);
    EXPECT_EQ(waker.Calls, 3);

    // The waker is told after queuing, so a loop it wakes finds the message.
    size_t seen = 0;
    struct TPeekingWaker : TMessageLoopWaker {
        TMessageQueue* Queue;
        size_t* Seen;
        void MessagePosted() override { *Seen = Queue->Count(); }
    } peeking;
    peeking.Queue = &queue;
    peeking.Seen = &seen;
    queue.SetWaker(&peeking);
    a.Post(WM_APP);
    EXPECT_EQ(seen, 4u);

    queue.SetWaker(nullptr);
    a.Post(WM_APP);
    EXPECT_EQ(waker.Calls, 3);
    EXPECT_EQ(queue.Count(), 5u);
}

TEST_F(MessageQueueTest, WakerThatRaisesLeavesTheMessageQueued) {
    TCountingWaker waker;
    waker.Fail = true;
    queue.SetWaker(&waker);
    TMessageWindow window;
    EXPECT_THROW(window.Post(WM_APP, 5), std::runtime_error);
    EXPECT_EQ(window.GetMessage().WParam, 5u);
}

TEST_F(MessageQueueTest, DispatchFollowsPostOrderAcrossWindows) {
    std::vector<std::string> log;
    TMessageWindow a, b;
    LogMessages(a, "a", log);
    LogMessages(b, "b", log);
    a.Post(1);
    b.Post(2);
    a.Post(3);
    b.Post(4);
    b.Post(5);
    EXPECT_EQ(queue.ProcessAll(), 5u);
    EXPECT_EQ(log, (std::vector<std::string>{"a:1", "b:2", "a:3", "b:4", "b:5"}));
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_EQ(queue.ProcessAll(), 0u);
}

TEST_F(MessageQueueTest, ProcessOneDispatchesExactlyOneMessage) {
    std::vector<std::string> log;
    TMessageWindow a;
    LogMessages(a, "a", log);
    EXPECT_FALSE(queue.ProcessOne());
    a.Post(1);
    a.Post(2);
    EXPECT_TRUE(queue.ProcessOne());
    EXPECT_EQ(log, std::vector<std::string>{"a:1"});
    EXPECT_EQ(queue.Count(), 1u);
    EXPECT_TRUE(queue.ProcessOne());
    EXPECT_FALSE(queue.ProcessOne());
    EXPECT_EQ(log, (std::vector<std::string>{"a:1", "a:2"}));
}

TEST_F(MessageQueueTest, PostedDuringAPumpWaitsForTheNextPump) {
    TCountingWaker waker;
    queue.SetWaker(&waker);
    TMessageWindow window;
    int received = 0;
    // Posts again a bounded number of times, so that a pump that never stops fails, not hangs.
    window.OnMessage = [&](TMessageWindow& sender, TMessage&, bool& handled) {
        handled = true;
        if (++received < 5)
            sender.Post(WM_APP);
    };
    window.Post(WM_APP);
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(received, 1);
    EXPECT_EQ(queue.Count(), 1u);
    EXPECT_EQ(waker.Calls, 2);
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(received, 2);
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(received, 5);
    EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(MessageQueueTest, ARaisingWindowProcedureLeavesTheRestQueued) {
    std::vector<std::string> log;
    TMessageWindow good, bad;
    LogMessages(good, "good", log);
    bad.OnMessage = [](TMessageWindow&, TMessage&, bool&) { throw EWindowError("broken"); };
    bad.Post(1);
    good.Post(2);
    EXPECT_THROW(queue.ProcessAll(), EWindowError);
    EXPECT_FALSE(bad.HasMessage());
    EXPECT_EQ(queue.Count(), 1u);
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(log, std::vector<std::string>{"good:2"});
}

TEST_F(MessageQueueTest, MessagesOfADestroyedWindowAreDroppedAndNeverDispatched) {
    std::vector<std::string> log;
    auto a = std::make_unique<TMessageWindow>();
    TMessageWindow b;
    LogMessages(*a, "a", log);
    LogMessages(b, "b", log);
    a->Post(1);
    b.Post(2);
    a->Post(3);
    const TWindowHandle handle = a->Handle();
    a.reset();
    EXPECT_FALSE(queue.IsWindow(handle));
    EXPECT_EQ(queue.Count(), 1u);
    EXPECT_FALSE(queue.Peek(handle, 0, 0, false));
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(log, std::vector<std::string>{"b:2"});
}

TEST_F(MessageQueueTest, AWindowDestroyedByAnEarlierMessageGetsNothingMore) {
    std::vector<std::string> log;
    TMessageWindow killer;
    auto victim = std::make_unique<TMessageWindow>();
    LogMessages(*victim, "victim", log);
    killer.OnMessage = [&](TMessageWindow&, TMessage&, bool& handled) {
        handled = true;
        log.push_back("killer");
        victim.reset();
    };
    victim->Post(1);
    killer.Post(2);
    victim->Post(3);
    EXPECT_EQ(queue.ProcessAll(), 2u);
    EXPECT_EQ(log, (std::vector<std::string>{"victim:1", "killer"}));
    EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(MessageQueueTest, AWindowUsesTheQueueOfTheThreadThatCreatedIt) {
    TMessageWindow here;
    TWindowHandle there = 0;
    size_t queuedThere = 0;
    bool knownThere = false;
    bool hereKnownThere = true;
    std::vector<std::string> log;
    std::thread([&] {
        TMessageQueue& own = TMessageQueue::Current();
        TMessageWindow window;
        LogMessages(window, "there", log);
        there = window.Handle();
        knownThere = own.IsWindow(there);
        hereKnownThere = own.IsWindow(here.Handle());
        EXPECT_TRUE(window.Post(7));
        queuedThere = own.Count();
        own.ProcessAll();
    }).join();
    EXPECT_TRUE(knownThere);
    EXPECT_FALSE(hereKnownThere);
    EXPECT_EQ(queuedThere, 1u);
    EXPECT_EQ(log, std::vector<std::string>{"there:7"});
    EXPECT_NE(there, 0u);
    EXPECT_NE(there, here.Handle());
    EXPECT_FALSE(queue.IsWindow(there));
    EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(MessageQueueTest, AWindowOutlivingItsThreadCanNoLongerPost) {
    std::unique_ptr<TMessageWindow> window;
    std::thread([&] {
        window = std::make_unique<TMessageWindow>();
        window->Post(1);
    }).join();
    EXPECT_NE(window->Handle(), 0u);
    EXPECT_FALSE(window->Post(WM_APP));
    EXPECT_FALSE(window->HasMessage());
    EXPECT_FALSE(window->TryRemoveMessage());
    window->OnMessage = [](TMessageWindow&, TMessage& message, bool& handled) {
        handled = true;
        message.Result = 9;
    };
    EXPECT_EQ(window->Send(WM_APP), 9);
    window.reset();
    EXPECT_EQ(queue.Count(), 0u);
}

using MessageWindowTest = QueueFixture;

TEST_F(MessageWindowTest, HandleIsNonZeroUniqueAndRegisteredForTheWindowsLife) {
    auto a = std::make_unique<TMessageWindow>();
    TMessageWindow b;
    EXPECT_NE(a->Handle(), 0u);
    EXPECT_NE(b.Handle(), 0u);
    EXPECT_NE(a->Handle(), b.Handle());
    const TWindowHandle handle = a->Handle();
    EXPECT_TRUE(queue.IsWindow(handle));
    a.reset();
    EXPECT_FALSE(queue.IsWindow(handle));
    EXPECT_TRUE(queue.IsWindow(b.Handle()));
    TMessageWindow c;
    EXPECT_NE(c.Handle(), handle);
}

TEST_F(MessageWindowTest, SendRunsTheProcedureAtOnceAndReturnsTheResult) {
    TMessageWindow window;
    TMessageWindow* sender = nullptr;
    TMessage seen;
    window.OnMessage = [&](TMessageWindow& from, TMessage& message, bool& handled) {
        EXPECT_FALSE(handled);
        sender = &from;
        seen = message;
        message.Result = static_cast<intptr_t>(message.WParam) + message.LParam;
        handled = true;
    };
    EXPECT_EQ(window.Send(WM_APP + 3, 40, 2), 42);
    EXPECT_EQ(sender, &window);
    EXPECT_EQ(seen, (TMessage{WM_APP + 3, 40, 2, 0}));
    EXPECT_EQ(window.DefaultMessageCount(), 0u);
    EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(MessageWindowTest, UnhandledMessagesGetTheDefaultProcessing) {
    TMessageWindow window;
    EXPECT_EQ(window.Send(WM_APP), 0);
    EXPECT_EQ(window.DefaultMessageCount(), 1u);

    // The default result replaces whatever an event wrote without claiming the message.
    window.OnMessage = [](TMessageWindow&, TMessage& message, bool&) { message.Result = 99; };
    EXPECT_EQ(window.Send(WM_APP), 0);
    EXPECT_EQ(window.DefaultMessageCount(), 2u);

    window.Post(WM_APP);
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(window.DefaultMessageCount(), 3u);

    window.OnMessage = [](TMessageWindow&, TMessage& message, bool& handled) {
        message.Result = 99;
        handled = true;
    };
    EXPECT_EQ(window.Send(WM_APP), 99);
    EXPECT_EQ(window.DefaultMessageCount(), 3u);
}

TEST_F(MessageWindowTest, DerivedWindowsHandleThroughDoMessageAndDefaultMessage) {
    class TDerived : public TMessageWindow {
    public:
        bool DoMessage(TMessage& message) override {
            if (message.Msg != 1)
                return TMessageWindow::DoMessage(message);
            message.Result = 11;
            return true;
        }
        void DefaultMessage(TMessage& message) override {
            TMessageWindow::DefaultMessage(message);
            message.Result = -1;
        }
    } window;
    bool eventCalled = false;
    window.OnMessage = [&](TMessageWindow&, TMessage&, bool&) { eventCalled = true; };
    EXPECT_EQ(window.Send(1), 11);
    EXPECT_FALSE(eventCalled);
    EXPECT_EQ(window.Send(2), -1);
    EXPECT_TRUE(eventCalled);
    EXPECT_EQ(window.DefaultMessageCount(), 1u);
}

TEST_F(MessageWindowTest, PostQueuesWithoutDispatching) {
    TMessageWindow window;
    int received = 0;
    window.OnMessage = [&](TMessageWindow&, TMessage& message, bool& handled) {
        EXPECT_EQ(message, (TMessage{WM_APP, 4, -5, 0}));
        ++received;
        handled = true;
    };
    EXPECT_TRUE(window.Post(WM_APP, 4, -5));
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(window.HasMessage());
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(received, 1);
    EXPECT_FALSE(window.HasMessage());
}

TEST_F(MessageWindowTest, GetLeavesExtractTakesRemoveDiscards) {
    TMessageWindow window;
    window.Post(10, 1);
    window.Post(20, 2);
    window.Post(10, 3);
    window.Post(30, 4);

    EXPECT_EQ(window.GetMessage(), (TMessage{10, 1, 0, 0}));
    EXPECT_EQ(window.GetMessage(15, 30).WParam, 2u);
    TMessage copy;
    EXPECT_TRUE(window.TryGetMessage(30, 40, copy));
    EXPECT_EQ(copy.WParam, 4u);
    EXPECT_EQ(queue.Count(), 4u);

    EXPECT_EQ(window.ExtractMessage(10, 10).WParam, 1u);
    EXPECT_EQ(window.ExtractMessage(10, 10).WParam, 3u);
    EXPECT_EQ(queue.Count(), 2u);
    TMessage taken;
    EXPECT_TRUE(window.TryExtractMessage(0, 0, taken));
    EXPECT_EQ(taken.WParam, 2u);

    EXPECT_TRUE(window.HasMessage(30, 30));
    EXPECT_FALSE(window.HasMessage(10, 20));
    EXPECT_FALSE(window.TryRemoveMessage(10, 20));
    window.RemoveMessage(25, 35);
    EXPECT_FALSE(window.HasMessage());
    EXPECT_EQ(queue.Count(), 0u);

    window.Post(50);
    EXPECT_TRUE(window.TryRemoveMessage());
    EXPECT_FALSE(window.TryRemoveMessage());
}

TEST_F(MessageWindowTest, FailedLookupsRaiseTheirMessageAndLeaveTheQueueAlone) {
    TMessageWindow window;
    EXPECT_FALSE(window.HasMessage());
    EXPECT_EQ(MessageOf<EWindowMessageNotFound>([&] { window.GetMessage(); }),
              "The program could not get any messages.");
    EXPECT_EQ(MessageOf<EWindowMessageNotFound>([&] { window.ExtractMessage(); }),
              "The program could not extract any messages.");
    EXPECT_EQ(MessageOf<EWindowMessageNotFound>([&] { window.RemoveMessage(); }),
              "The program could not remove any messages.");

    // Nothing in the range is as good as nothing at all; the queued message is untouched.
    window.Post(WM_APP, 8);
    EXPECT_EQ(MessageOf<EWindowError>([&] { window.GetMessage(1, WM_APP - 1); }),
              "The program could not get any messages.");
    EXPECT_EQ(MessageOf<EWindowError>([&] { window.ExtractMessage(WM_APP + 1, WM_APP + 9); }),
              "The program could not extract any messages.");
    EXPECT_EQ(MessageOf<EWindowError>([&] { window.RemoveMessage(1, 1); }),
              "The program could not remove any messages.");
    TMessage untouched{1, 2, 3, 4};
    EXPECT_FALSE(window.TryGetMessage(1, 1, untouched));
    EXPECT_FALSE(window.TryExtractMessage(1, 1, untouched));
    EXPECT_EQ(untouched, (TMessage{1, 2, 3, 4}));
    EXPECT_EQ(queue.Count(), 1u);
    EXPECT_EQ(window.GetMessage().WParam, 8u);
}

TEST_F(MessageWindowTest, TwoWindowsDoNotSeeEachOthersMessages) {
    TMessageWindow a, b;
    a.Post(WM_APP, 1);
    EXPECT_TRUE(a.HasMessage());
    EXPECT_FALSE(b.HasMessage());
    EXPECT_THROW(b.GetMessage(), EWindowMessageNotFound);
    EXPECT_FALSE(b.TryRemoveMessage());
    TMessage message;
    EXPECT_FALSE(b.TryExtractMessage(0, 0, message));

    b.Post(WM_APP, 2);
    a.Post(WM_APP, 3);
    EXPECT_EQ(b.ExtractMessage().WParam, 2u);
    EXPECT_EQ(a.ExtractMessage().WParam, 1u);
    EXPECT_EQ(a.ExtractMessage().WParam, 3u);
    EXPECT_EQ(queue.Count(), 0u);
}

using UpdateNotifierTest = QueueFixture;

TEST_F(UpdateNotifierTest, StartsIdleWithNothingQueued) {
    TUpdateNotifier notifier;
    EXPECT_FALSE(notifier.Pending());
    EXPECT_FALSE(notifier.OnUpdate);
    EXPECT_FALSE(notifier.Window().HasMessage());
    EXPECT_TRUE(queue.IsWindow(notifier.Window().Handle()));
    // Without a handler an update is harmless.
    notifier.NotifyNow();
    EXPECT_FALSE(notifier.Pending());
}

TEST_F(UpdateNotifierTest, TenNotifiesGiveOneUpdate) {
    TCountingWaker waker;
    queue.SetWaker(&waker);
    TUpdateNotifier notifier;
    int updates = 0;
    TUpdateNotifier* sender = nullptr;
    notifier.OnUpdate = [&](TUpdateNotifier& from) {
        ++updates;
        sender = &from;
    };
    for (int i = 0; i < 10; ++i)
        notifier.Notify();
    EXPECT_TRUE(notifier.Pending());
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(queue.Count(), 1u);
    EXPECT_EQ(waker.Calls, 1);
    EXPECT_EQ(notifier.Window().GetMessage(), (TMessage{WM_APP, 0, 0, 0}));

    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(sender, &notifier);
    EXPECT_FALSE(notifier.Pending());
    EXPECT_EQ(notifier.Window().DefaultMessageCount(), 0u);

    // Once served, the next report schedules a fresh update.
    notifier.Notify();
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(updates, 2);
}

TEST_F(UpdateNotifierTest, NotifyDuringTheUpdateSchedulesASecondOneAfterIt) {
    TUpdateNotifier notifier;
    std::vector<std::string> log;
    int updates = 0;
    notifier.OnUpdate = [&](TUpdateNotifier& sender) {
        ++updates;
        log.push_back("begin " + std::to_string(updates));
        EXPECT_FALSE(sender.Pending());
        if (updates == 1) {
            sender.Notify();
            EXPECT_TRUE(sender.Pending());
        }
        log.push_back("end " + std::to_string(updates));
    };
    notifier.Notify();
    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(log, (std::vector<std::string>{"begin 1", "end 1"}));
    EXPECT_TRUE(notifier.Pending());
    EXPECT_TRUE(notifier.Window().HasMessage(WM_APP, WM_APP));

    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(log, (std::vector<std::string>{"begin 1", "end 1", "begin 2", "end 2"}));
    EXPECT_FALSE(notifier.Pending());
    EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(UpdateNotifierTest, NotifyNowFiresAtOnceAndItsLeftoverFiresNothing) {
    TUpdateNotifier notifier;
    int updates = 0;
    notifier.OnUpdate = [&](TUpdateNotifier&) { ++updates; };
    notifier.NotifyNow();
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(notifier.Pending());
    EXPECT_TRUE(notifier.Window().HasMessage());

    EXPECT_EQ(queue.ProcessAll(), 1u);
    EXPECT_EQ(updates, 1);
    // The leftover was still recognised as the notifier's own, not defaulted.
    EXPECT_EQ(notifier.Window().DefaultMessageCount(), 0u);
}

TEST_F(UpdateNotifierTest, TheLeftoverOfNotifyNowServesALaterRequestEarly) {
    TUpdateNotifier notifier;
    int updates = 0;
    notifier.OnUpdate = [&](TUpdateNotifier&) { ++updates; };
    notifier.NotifyNow();
    notifier.Notify();
    EXPECT_EQ(queue.Count(), 2u);
    EXPECT_TRUE(queue.ProcessOne());
    EXPECT_EQ(updates, 2);
    EXPECT_FALSE(notifier.Pending());
    EXPECT_TRUE(queue.ProcessOne());
    EXPECT_EQ(updates, 2);
}

TEST_F(UpdateNotifierTest, FlushRunsOnlyARequestedUpdate) {
    TUpdateNotifier notifier;
    int updates = 0;
    notifier.OnUpdate = [&](TUpdateNotifier&) { ++updates; };
    notifier.Flush();
    EXPECT_EQ(updates, 0);
    EXPECT_FALSE(notifier.Pending());
    EXPECT_EQ(queue.Count(), 0u);

    notifier.Notify();
    notifier.Flush();
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(notifier.Pending());
    notifier.Flush();
    EXPECT_EQ(updates, 1);
    queue.ProcessAll();
    EXPECT_EQ(updates, 1);
}

TEST_F(UpdateNotifierTest, GetMessageOnAnEmptyWindowRaises) {
    TUpdateNotifier notifier;
    EXPECT_EQ(MessageOf<EWindowMessageNotFound>([&] { notifier.Window().GetMessage(); }),
              "The program could not get any messages.");
    EXPECT_FALSE(notifier.Window().HasMessage());
}

TEST_F(UpdateNotifierTest, OtherMessagesGetTheDefaultProcessing) {
    TUpdateNotifier notifier;
    int updates = 0;
    notifier.OnUpdate = [&](TUpdateNotifier&) { ++updates; };
    notifier.Notify();

    EXPECT_EQ(notifier.Window().Send(WM_APP + 1), 0);
    EXPECT_EQ(notifier.Window().DefaultMessageCount(), 1u);
    notifier.Window().Post(WM_APP - 1);
    EXPECT_EQ(queue.ProcessAll(), 2u);
    EXPECT_EQ(notifier.Window().DefaultMessageCount(), 2u);
    EXPECT_EQ(updates, 1);

    // The private message is the notifier's even when sent, and is never defaulted.
    notifier.Window().Send(WM_APP);
    EXPECT_EQ(updates, 1);
    notifier.Notify();
    notifier.Window().Send(WM_APP);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(notifier.Window().DefaultMessageCount(), 2u);
    queue.ProcessAll();
    EXPECT_EQ(updates, 2);
}

TEST_F(UpdateNotifierTest, DerivedNotifiersUpdateThroughDoUpdate) {
    class TDerived : public TUpdateNotifier {
    public:
        void DoUpdate() override { ++Updates; }
        int Updates = 0;
    } notifier;
    bool eventCalled = false;
    notifier.OnUpdate = [&](TUpdateNotifier&) { eventCalled = true; };
    notifier.Notify();
    queue.ProcessAll();
    EXPECT_EQ(notifier.Updates, 1);
    EXPECT_FALSE(eventCalled);
}

TEST_F(UpdateNotifierTest, DestroyingTheNotifierDropsItsPendingMessage) {
    int updates = 0;
    auto notifier = std::make_unique<TUpdateNotifier>();
    notifier->OnUpdate = [&](TUpdateNotifier&) { ++updates; };
    notifier->Notify();
    EXPECT_EQ(queue.Count(), 1u);
    notifier.reset();
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_EQ(queue.ProcessAll(), 0u);
    EXPECT_EQ(updates, 0);
}

TEST_F(UpdateNotifierTest, ARaisingPostDoesNotLeaveTheNotifierStuck) {
    TCountingWaker waker;
    waker.Fail = true;
    queue.SetWaker(&waker);
    TUpdateNotifier notifier;
    int updates = 0;
    notifier.OnUpdate = [&](TUpdateNotifier&) { ++updates; };
    EXPECT_THROW(notifier.Notify(), std::runtime_error);
    EXPECT_FALSE(notifier.Pending());

    waker.Fail = false;
    notifier.Notify();
    EXPECT_TRUE(notifier.Pending());
    EXPECT_EQ(queue.Count(), 2u);
    EXPECT_EQ(queue.ProcessAll(), 2u);
    EXPECT_EQ(updates, 1);
}

TEST_F(UpdateNotifierTest, WithoutAMessageLoopOnlyAnExplicitFlushUpdates) {
    std::unique_ptr<TUpdateNotifier> notifier;
    std::thread([&] { notifier = std::make_unique<TUpdateNotifier>(); }).join();
    int updates = 0;
    notifier->OnUpdate = [&](TUpdateNotifier&) { ++updates; };
    notifier->Notify();
    EXPECT_TRUE(notifier->Pending());
    EXPECT_FALSE(notifier->Window().HasMessage());
    EXPECT_EQ(queue.Count(), 0u);
    notifier->Notify();
    notifier->Flush();
    EXPECT_EQ(updates, 1);
    notifier->NotifyNow();
    EXPECT_EQ(updates, 2);
    notifier.reset();
}

} // namespace
