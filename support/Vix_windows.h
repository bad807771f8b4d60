// A window that exists only to receive messages, and a notifier that merges many change reports
// into one deferred update. Our platforms have no hidden windows, so the messages travel through
// a queue of our own, one per thread; an event loop learns through TMessageLoopWaker that it has
// work and pumps the queue with ProcessAll.
#pragma once

#include "Rtl_exceptions.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

RTL_DECLARE_EXCEPTION(EWindowError, rtl::Exception);
RTL_DECLARE_EXCEPTION(EWindowMessageNotFound, EWindowError);

// The first message number left to applications; numbers below it are reserved for the system.
constexpr uint32_t WM_APP = 0x8000;

struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;

    bool operator==(const TMessage&) const = default;
};

// Unique across all threads, so that a handle from one thread never names a window of another.
// 0 is never a window.
using TWindowHandle = uintptr_t;

class TMessageWindow;

// Told of every posted message, so that an event loop that sleeps between its own events knows
// to call ProcessAll. It may be called while a message is being dispatched; an implementation
// should schedule the pump rather than run it from inside MessagePosted.
class TMessageLoopWaker {
public:
    TMessageLoopWaker() = default;
    TMessageLoopWaker(const TMessageLoopWaker&) = delete;
    TMessageLoopWaker& operator=(const TMessageLoopWaker&) = delete;
    virtual ~TMessageLoopWaker() = default;

    virtual void MessagePosted() = 0;
};

// The posted messages of one thread, in post order, and the windows that live on that thread.
// It is used from its own thread only and locks nothing. Every queued message belongs to a live
// window: destroying a window drops its messages at once.
class TMessageQueue {
public:
    TMessageQueue() = default;
    TMessageQueue(const TMessageQueue&) = delete;
    TMessageQueue& operator=(const TMessageQueue&) = delete;
    // Windows that outlive their thread's queue are cut loose: their posts fail from then on.
    ~TMessageQueue();

    // The queue of the calling thread, created on first use and destroyed when the thread ends.
    static TMessageQueue& Current();

    // Queues message for the window target of this queue and tells the waker. False, and nothing
    // queued, when target is not a live window of this queue. If the waker raises, the message
    // stays queued and the exception continues.
    bool Post(TWindowHandle target, const TMessage& message);
    // The first queued message of target (0: of any window) whose number lies in first..last,
    // both included; 0..0 means every number and first > last none. With remove, it leaves
    // the queue.
    std::optional<TMessage> Peek(TWindowHandle target, uint32_t first, uint32_t last, bool remove);
    // Takes the oldest message off the queue and hands it to its window. False when none was
    // queued. If the window procedure raises, the message is gone and the rest stay queued.
    bool ProcessOne();
    // Dispatches the messages that were queued when it was called, in order, and returns how
    // many. Messages posted meanwhile wait for the next call (the waker has been told of them),
    // so a handler that always posts again cannot keep the event loop from its other work.
    size_t ProcessAll();

    size_t Count() const { return FMessages.size(); }
    bool IsWindow(TWindowHandle handle) const { return FWindows.contains(handle); }
    TMessageLoopWaker* Waker() const { return FWaker; }
    // Not owned; nullptr to stop waking.
    void SetWaker(TMessageLoopWaker* waker) { FWaker = waker; }

private:
    friend class TMessageWindow;

    struct TQueued {
        uint64_t Serial;
        TWindowHandle Target;
        TMessage Message;
    };

    TWindowHandle Register(TMessageWindow& window);
    void Unregister(TWindowHandle handle);

    std::deque<TQueued> FMessages;
    std::unordered_map<TWindowHandle, TMessageWindow*> FWindows;
    TMessageLoopWaker* FWaker = nullptr;
    uint64_t FNextSerial = 0;
};

// Receives messages, sent or posted, and hands them to OnMessage. It belongs to the thread that
// created it: its messages wait in that thread's queue.
class TMessageWindow {
public:
    using TMessageEvent =
        std::function<void(TMessageWindow& sender, TMessage& message, bool& handled)>;

    TMessageWindow();
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;
    virtual ~TMessageWindow();

    TWindowHandle Handle() const { return FHandle; }
    // How often the default processing has run, so that its effect can be observed.
    size_t DefaultMessageCount() const { return FDefaultMessageCount; }

    TMessageEvent OnMessage;

    virtual bool DoMessage(TMessage& message);
    // Runs the window procedure at once, without the queue, and returns the message's result.
    virtual intptr_t Send(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
    // True when the message was queued; false only when the window's thread has ended.
    virtual bool Post(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
    // Ranges are first..last with both included; 0..0 means every message number.
    virtual TMessage GetMessage(uint32_t first = 0, uint32_t last = 0) const;
    virtual bool TryGetMessage(uint32_t first, uint32_t last, TMessage& message) const;
    virtual TMessage ExtractMessage(uint32_t first = 0, uint32_t last = 0);
    virtual bool TryExtractMessage(uint32_t first, uint32_t last, TMessage& message);
    virtual void RemoveMessage(uint32_t first = 0, uint32_t last = 0);
    virtual bool TryRemoveMessage(uint32_t first = 0, uint32_t last = 0);
    virtual bool HasMessage(uint32_t first = 0, uint32_t last = 0) const;

protected:
    // What a message nobody handled gets: a result of 0.
    virtual void DefaultMessage(TMessage& message);

private:
    friend class TMessageQueue;

    void WindowProcedure(TMessage& message);
    std::optional<TMessage> Peek(uint32_t first, uint32_t last, bool remove) const;

    TWindowHandle FHandle = 0;
    TMessageQueue* FQueue = nullptr;
    size_t FDefaultMessageCount = 0;
};

// Merges change reports into one deferred update: the first Notify posts a private message to
// the notifier's window, further reports are absorbed until that message arrives, and then
// OnUpdate fires once. It must live on the thread whose event loop pumps the queue.
class TUpdateNotifier {
public:
    using TUpdateEvent = std::function<void(TUpdateNotifier& sender)>;

    static constexpr uint32_t UpdateMessage = WM_APP;

    TUpdateNotifier();
    TUpdateNotifier(const TUpdateNotifier&) = delete;
    TUpdateNotifier& operator=(const TUpdateNotifier&) = delete;
    // A private message still queued is dropped with the window.
    virtual ~TUpdateNotifier() = default;

    bool Pending() const { return FPending; }
    TMessageWindow& Window() const { return *FWindow; }

    TUpdateEvent OnUpdate;

    virtual void DoUpdate();
    virtual void Notify();
    virtual void Flush();
    virtual void NotifyNow();

protected:
    bool FPending = false;

private:
    void HandleMessage(TMessage& message, bool& handled);

    std::unique_ptr<TMessageWindow> FWindow;
};
