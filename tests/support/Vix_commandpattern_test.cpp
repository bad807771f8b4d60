#include "TestSupport.h"
#include "Vix_commandpattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::MessageOf;

namespace {

// A command that records what ran on a shared log, keeps itself on every run unless told
// otherwise, and counts its destruction.
class TLoggedCommand : public TCommand {
public:
    TLoggedCommand(std::string name, std::vector<std::string>& log, int* alive = nullptr)
        : Name(std::move(name)), FAlive(alive) {
        if (FAlive)
            ++*FAlive;
        OnExecute = Handler("execute", log);
        OnUndo = Handler("undo", log);
        OnRedo = Handler("redo", log);
    }
    ~TLoggedCommand() override {
        if (FAlive)
            --*FAlive;
    }
    std::string Name;
    bool Fail = false;
    TDisposition Result = dpKeep;

private:
    TCommandEvent Handler(const std::string& what, std::vector<std::string>& log) {
        return [this, what, &log](TCommand&, bool& handled) {
            handled = true;
            log.push_back(what + " " + Name);
            if (Fail)
                throw rtl::Exception("step failed");
            Disposition = Result;
        };
    }
    int* FAlive;
};

struct InvokerFixture : ::testing::Test {
    std::vector<std::string> log;
    int alive = 0;
    TInvoker invoker;

    TLoggedCommand& Add(const std::string& name) {
        auto command = std::make_unique<TLoggedCommand>(name, log, &alive);
        TLoggedCommand& result = *command;
        invoker.Add(std::move(command));
        return result;
    }
    void Run(const std::string& name) {
        Add(name);
        invoker.Execute();
    }
    std::string Name(const TCommand& command) {
        return static_cast<const TLoggedCommand&>(command).Name;
    }
};

} // namespace

TEST_F(InvokerFixture, ExecuteUndoRedoMoveTheCommandBetweenSides) {
    Run("a");
    EXPECT_EQ(invoker.UndoCount(), 1);
    EXPECT_EQ(invoker.RedoCount(), 0);
    invoker.SetUnmodified();
    EXPECT_FALSE(invoker.GetModified());
    invoker.Undo();
    EXPECT_EQ(invoker.UndoCount(), 0);
    EXPECT_EQ(invoker.RedoCount(), 1);
    EXPECT_TRUE(invoker.GetModified());
    invoker.Redo();
    EXPECT_FALSE(invoker.GetModified());
    EXPECT_EQ(log, (std::vector<std::string>{"execute a", "undo a", "redo a"}));
}

TEST_F(InvokerFixture, TheSavePointIsLostWhenItsRedoCommandsGo) {
    Run("a");
    Run("b");
    invoker.SetUnmodified();
    EXPECT_EQ(invoker.ModifyIndex(), 2);
    invoker.Undo();
    invoker.Undo();
    Run("c");
    EXPECT_EQ(invoker.ModifyIndex(), -1);
    EXPECT_EQ(invoker.HistoryCount(), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(invoker.GetModified());
        invoker.Undo();
        EXPECT_TRUE(invoker.GetModified());
        invoker.Redo();
    }
    EXPECT_EQ(alive, 1);
}

TEST_F(InvokerFixture, AnUnhandledExecuteDiscardsTheCommandAndThoseQueuedBehindIt) {
    Run("kept");
    auto bare = std::make_unique<TCommand>();
    invoker.Add(std::move(bare));
    Add("queued1");
    Add("queued2");
    invoker.Execute();
    EXPECT_EQ(invoker.CommandCount(), 0);
    EXPECT_EQ(invoker.HistoryCount(), 1);
    EXPECT_EQ(alive, 1);
}

TEST_F(InvokerFixture, AnUnhandledUndoDiscardsOlderUndoCommandsButNotTheRedoSide) {
    Run("a");
    Run("b");
    Run("c");
    Run("d");
    invoker.Undo(); // d to the redo side
    Name(invoker.NextUndoCommand());
    static_cast<TLoggedCommand&>(invoker.NextUndoCommand()).OnUndo = nullptr; // c
    invoker.Undo();
    EXPECT_EQ(invoker.UndoCount(), 0);
    EXPECT_EQ(invoker.RedoCount(), 1);
    EXPECT_EQ(Name(invoker.NextRedoCommand()), "d");
    EXPECT_EQ(alive, 1);
}

TEST_F(InvokerFixture, AnUnhandledRedoDiscardsItselfAndLaterRedoCommands) {
    Run("a");
    Run("b");
    Run("c");
    invoker.Undo();
    invoker.Undo();
    invoker.Undo();
    static_cast<TLoggedCommand&>(invoker.RedoCommands(1)).OnRedo = nullptr; // b
    invoker.Redo();                                                         // a
    invoker.Redo();                                                         // b: discarded with c
    EXPECT_EQ(invoker.UndoCount(), 1);
    EXPECT_EQ(invoker.RedoCount(), 0);
    EXPECT_EQ(alive, 1);
}

TEST_F(InvokerFixture, KeepAndStayLeavesTheCommandFirstInTheQueue) {
    TLoggedCommand& command = Add("again");
    command.Result = dpKeep | dpStay;
    invoker.Execute();
    invoker.Execute();
    EXPECT_EQ(invoker.CommandCount(), 1);
    EXPECT_EQ(invoker.HistoryCount(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"execute again", "execute again"}));
}

TEST_F(InvokerFixture, AFailingCommandIsCommittedBeforeTheFailureArrives) {
    Run("a");
    TLoggedCommand& failing = Add("bad");
    Add("queued");
    failing.Fail = true;
    int changes = 0;
    invoker.OnChange = [&](TInvoker&) { ++changes; };
    EXPECT_EQ(MessageOf<rtl::Exception>([&] { invoker.Execute(); }), "step failed");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(invoker.CommandCount(), 0);
    EXPECT_EQ(invoker.UndoCount(), 1);
    EXPECT_EQ(invoker.ChangeCount(), 0);
    EXPECT_EQ(alive, 1);
}

TEST_F(InvokerFixture, ACommandThatKeptItselfBeforeFailingStays) {
    TLoggedCommand& command = Add("partial");
    command.OnExecute = [&](TCommand& c, bool& handled) {
        handled = true;
        c.Disposition = dpKeep | dpClearCommands;
        throw rtl::Exception("half done");
    };
    EXPECT_THROW(invoker.Execute(), rtl::Exception);
    EXPECT_EQ(invoker.UndoCount(), 1);
    EXPECT_EQ(&invoker.NextUndoCommand(), &command);
}

TEST_F(InvokerFixture, NotificationsFireInOrderAndOnChangeOnceAtTheOutermostEnd) {
    std::vector<std::string> events;
    auto record = [&](const char* name) {
        return [&, name](TInvoker&) { events.push_back(name); };
    };
    invoker.OnBeforeExecute = record("before execute");
    invoker.OnAfterExecute = record("after execute");
    invoker.OnBeforeUndo = record("before undo");
    invoker.OnAfterUndo = record("after undo");
    invoker.OnBeforeRedo = record("before redo");
    invoker.OnAfterRedo = record("after redo");
    invoker.OnChange = record("change");
    Add("a");
    invoker.Execute();
    invoker.Undo();
    invoker.BeginChange();
    invoker.Redo();
    invoker.ClearHistory();
    EXPECT_EQ(events.back(), "after redo");
    invoker.EndChange();
    EXPECT_EQ(events, (std::vector<std::string>{"change", "before execute", "after execute",
                                                "change", "before undo", "after undo", "change",
                                                "before redo", "after redo", "change"}));
}

TEST_F(InvokerFixture, RefusalsRaiseBeforeAnythingHappens) {
    int changes = 0;
    invoker.OnChange = [&](TInvoker&) { ++changes; };
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.Execute(); }),
              "The program cannot execute any commands.");
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.Undo(); }),
              "The program cannot undo any commands.");
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.Redo(); }),
              "The program cannot redo any commands.");
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.EndChange(); }),
              "The program cannot end the change operation.");
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.Add(nullptr); }),
              "The program cannot add the command.");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.SetCommandCount(1); }),
              "The program cannot set the number of the commands.");
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.SetUndoCount(-1); }),
              "The program cannot set the number of the undo commands.");
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.SetRedoCount(1); }),
              "The program cannot set the number of the redo commands.");
    EXPECT_EQ(MessageOf<ECommandError>([&] { invoker.SetHistoryCount(1); }),
              "The program cannot set the number of the history commands.");
    // The redo count check runs inside a change operation, which is closed on the way out.
    EXPECT_EQ(invoker.ChangeCount(), 0);
    EXPECT_THROW(invoker.UndoCommands(0), rtl::EListError);
}

TEST_F(InvokerFixture, SetHistoryCountDropsRedoCommandsThenTheOldestUndoCommands) {
    for (const char* name : {"u1", "u2", "u3", "r1", "r2"})
        Run(name);
    invoker.Undo();
    invoker.Undo();
    ASSERT_EQ(invoker.UndoCount(), 3);
    invoker.SetUnmodified();
    invoker.SetHistoryCount(1);
    EXPECT_EQ(invoker.HistoryCount(), 1);
    EXPECT_EQ(invoker.UndoCount(), 1);
    EXPECT_EQ(Name(invoker.NextUndoCommand()), "u3");
    EXPECT_EQ(invoker.ModifyIndex(), 1);
    EXPECT_FALSE(invoker.GetModified());
    EXPECT_EQ(alive, 1);
}

TEST_F(InvokerFixture, CountSettersKeepTheRightCommands) {
    for (const char* name : {"u1", "u2", "u3", "r1", "r2", "r3"})
        Run(name);
    invoker.Undo();
    invoker.Undo();
    invoker.Undo();
    // Only the farthest redo commands go.
    invoker.SetHistoryCount(5);
    EXPECT_EQ(invoker.RedoCount(), 2);
    EXPECT_EQ(Name(invoker.RedoCommands(1)), "r2");
    invoker.SetRedoCount(1);
    EXPECT_EQ(Name(invoker.RedoCommands(0)), "r1");
    invoker.SetUndoCount(2);
    EXPECT_EQ(Name(invoker.UndoCommands(1)), "u2");
    EXPECT_EQ(Name(invoker.UndoCommands(0)), "u3");
    EXPECT_EQ(invoker.ModifyIndex(), -1);
    Add("p1");
    Add("p2");
    invoker.SetCommandCount(1);
    EXPECT_EQ(Name(invoker.Commands(0)), "p1");
    EXPECT_EQ(alive, 4);
    invoker.ClearCommands();
    invoker.ClearHistory();
    EXPECT_EQ(alive, 0);
}

TEST_F(InvokerFixture, SaveMarkFollowsTheUndoCountThroughDroppedUndoCommands) {
    Run("a");
    Run("b");
    Run("c");
    invoker.SetUnmodified(); // at 3
    invoker.SetUndoCount(2); // drop the oldest: the save point is now at 2
    EXPECT_EQ(invoker.ModifyIndex(), 2);
    EXPECT_FALSE(invoker.GetModified());
    invoker.Undo();
    EXPECT_TRUE(invoker.GetModified());
}

TEST(Invoker, DestroyingItDeletesEveryCommand) {
    std::vector<std::string> log;
    int alive = 0;
    {
        TInvoker invoker;
        for (int i = 0; i < 3; ++i) {
            invoker.Add(std::make_unique<TLoggedCommand>("c", log, &alive));
            invoker.Execute();
        }
        invoker.Undo();
        invoker.Add(std::make_unique<TLoggedCommand>("pending", log, &alive));
        EXPECT_EQ(alive, 4);
    }
    EXPECT_EQ(alive, 0);
}
