#include "App_handler.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::MessageOf;

namespace {

// A handler with one setting, read and written the way every handler does it.
class TProbeHandler : public THandler {
public:
    int Value = 0;
    bool FailLoad = false;

    void SetValue(int value) {
        Value = value;
        Changed();
    }
    void LoadSettings(rtl::TMemIniFile& file) override {
        THandlerChange change(*this);
        Value = file.ReadInteger("ProbeHandler", "Value", Value);
        if (FailLoad)
            throw rtl::EConvertError("The probe could not take its value.");
    }
    void SaveSettings(rtl::TMemIniFile& file) override {
        THandlerChange change(*this);
        file.WriteInteger("ProbeHandler", "Value", Value);
    }
};

// Records every notification together with the count it saw.
struct TRecorder {
    std::vector<int32_t> Counts;
    void Attach(THandler& handler) {
        handler.OnChange = [this, &handler](THandler& sender) {
            EXPECT_EQ(&sender, &handler);
            Counts.push_back(sender.ChangeCount());
        };
    }
};

} // namespace

TEST(HandlerChange, StartsWithNoOpenChangeAndNotifiesEachChangeOutsideABracket) {
    TProbeHandler handler;
    EXPECT_EQ(handler.ChangeCount(), 0);
    EXPECT_FALSE(handler.OnChange);
    TRecorder recorder;
    recorder.Attach(handler);
    handler.SetValue(1);
    handler.SetValue(2);
    EXPECT_EQ(recorder.Counts, (std::vector<int32_t>{0, 0}));
}

TEST(HandlerChange, NestedBracketsMergeEveryChangeIntoOneNotificationAtTheOuterEnd) {
    TProbeHandler handler;
    TRecorder recorder;
    recorder.Attach(handler);
    handler.BeginChange();
    handler.SetValue(1);
    handler.BeginChange();
    EXPECT_EQ(handler.ChangeCount(), 2);
    handler.SetValue(2);
    handler.SetValue(3);
    handler.EndChange();
    EXPECT_TRUE(recorder.Counts.empty());
    EXPECT_EQ(handler.ChangeCount(), 1);
    handler.EndChange();
    EXPECT_EQ(recorder.Counts, std::vector<int32_t>{0});
    EXPECT_EQ(handler.ChangeCount(), 0);
}

TEST(HandlerChange, EndChangeWithoutABracketFailsQuietlyAndLeavesTheCountAtZero) {
    TProbeHandler handler;
    TRecorder recorder;
    recorder.Attach(handler);
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.EndChange(); }),
              "The program cannot end any change operations.");
    EXPECT_EQ(handler.ChangeCount(), 0);
    EXPECT_TRUE(recorder.Counts.empty());

    handler.BeginChange();
    handler.EndChange();
    EXPECT_EQ(recorder.Counts, std::vector<int32_t>{0});
    EXPECT_EQ(handler.ChangeCount(), 0);
}

TEST(HandlerChange, DoChangeWithoutAnObserverDoesNothing) {
    TProbeHandler handler;
    EXPECT_NO_THROW(handler.DoChange());
    EXPECT_NO_THROW(handler.Changed());
    handler.BeginChange();
    EXPECT_NO_THROW(handler.EndChange());
    EXPECT_EQ(handler.ChangeCount(), 0);
}

TEST(HandlerChange, AnObserverThatFailsStillFindsTheBracketClosed) {
    TProbeHandler handler;
    handler.OnChange = [](THandler&) { throw EHandlerError("The observer failed."); };
    handler.BeginChange();
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.EndChange(); }), "The observer failed.");
    EXPECT_EQ(handler.ChangeCount(), 0);
}

TEST(HandlerUnavailable, RaisesTheFeatureIsUnavailable) {
    TProbeHandler handler;
    EXPECT_EQ(MessageOf<EHandlerError>([&] { handler.RaiseUnavailable(); }),
              "The feature is unavailable.");
    // A handler's error is one of the program's exceptions, shown like every other.
    EXPECT_EQ(MessageOf<rtl::Exception>([&] { handler.RaiseUnavailable(); }),
              "The feature is unavailable.");
}

TEST(HandlerBracket, ClosesOnEveryWayOutAndLetsTheFirstFailureThrough) {
    TProbeHandler handler;
    TRecorder recorder;
    recorder.Attach(handler);
    {
        THandlerChange change(handler);
        EXPECT_EQ(handler.ChangeCount(), 1);
        handler.SetValue(1);
    }
    EXPECT_EQ(recorder.Counts, std::vector<int32_t>{0});

    // The work closed the bracket itself and then failed: the guard's own failing close is
    // dropped so that the work's error arrives.
    EXPECT_EQ(MessageOf<rtl::EConvertError>([&] {
                  THandlerChange change(handler);
                  handler.EndChange();
                  throw rtl::EConvertError("The work failed.");
              }),
              "The work failed.");
    EXPECT_EQ(handler.ChangeCount(), 0);

    // With nothing passing, a guard that finds its bracket gone reports it.
    EXPECT_EQ(MessageOf<EHandlerError>([&] {
                  THandlerChange change(handler);
                  handler.EndChange();
              }),
              "The program cannot end any change operations.");
    EXPECT_EQ(handler.ChangeCount(), 0);
}

TEST(HandlerSettings, EachLoadAndSaveIsOneBracketWithOneNotification) {
    testsupport::TempDir dir;
    rtl::TMemIniFile file(dir.File("Settings.ini"));
    TProbeHandler handler;
    TRecorder recorder;
    recorder.Attach(handler);
    handler.Value = 5;
    handler.SaveSettings(file);
    EXPECT_EQ(recorder.Counts, std::vector<int32_t>{0});
    EXPECT_EQ(file.ReadString("ProbeHandler", "Value", ""), "5");

    // Nothing changed by the load, and still one notification.
    handler.LoadSettings(file);
    EXPECT_EQ(recorder.Counts, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(handler.Value, 5);

    // Inside an outer bracket the owner of the bracket notifies instead.
    handler.BeginChange();
    handler.LoadSettings(file);
    handler.SaveSettings(file);
    EXPECT_EQ(recorder.Counts.size(), 2u);
    handler.EndChange();
    EXPECT_EQ(recorder.Counts.size(), 3u);
}

TEST(HandlerSettings, ALoadThatFailsClosesTheBracketAndNotifiesBeforeTheErrorArrives) {
    testsupport::TempDir dir;
    rtl::TMemIniFile file(dir.File("Settings.ini"));
    file.WriteInteger("ProbeHandler", "Value", 9);
    TProbeHandler handler;
    handler.FailLoad = true;
    TRecorder recorder;
    recorder.Attach(handler);
    try {
        handler.LoadSettings(file);
        FAIL() << "the load went through";
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.Message(), "The probe could not take its value.");
        EXPECT_EQ(recorder.Counts, std::vector<int32_t>{0});
        EXPECT_EQ(handler.ChangeCount(), 0);
    }
    EXPECT_EQ(handler.Value, 9);
}
