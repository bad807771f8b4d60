#include "Vix_windows.h"

#include "Rtl_texts.h"

#include <algorithm>
#include <atomic>

namespace {

// Shared by every thread so that handles stay unique process-wide.
std::atomic<TWindowHandle> NextHandle{1};

bool InRange(uint32_t msg, uint32_t first, uint32_t last) {
    if (first == 0 && last == 0)
        return true;
    return first <= msg && msg <= last;
}

} // namespace

TMessageQueue::~TMessageQueue() {
    for (auto& entry : FWindows)
        entry.second->FQueue = nullptr;
}

TMessageQueue& TMessageQueue::Current() {
    thread_local TMessageQueue queue;
    return queue;
}

bool TMessageQueue::Post(TWindowHandle target, const TMessage& message) {
    if (!IsWindow(target))
        return false;
    FMessages.push_back({FNextSerial++, target, message});
    if (FWaker)
        FWaker->MessagePosted();
    return true;
}

std::optional<TMessage> TMessageQueue::Peek(TWindowHandle target, uint32_t first, uint32_t last,
                                            bool remove) {
    auto it = std::find_if(FMessages.begin(), FMessages.end(), [&](const TQueued& queued) {
        return (target == 0 || queued.Target == target) && InRange(queued.Message.Msg, first, last);
    });
    if (it == FMessages.end())
        return std::nullopt;
    TMessage result = it->Message;
    if (remove)
        FMessages.erase(it);
    return result;
}

bool TMessageQueue::ProcessOne() {
    if (FMessages.empty())
        return false;
    // Off the queue before dispatch: the procedure may post, peek or pump re-entrantly.
    TQueued queued = FMessages.front();
    FMessages.pop_front();
    // Its window is alive: a window that goes takes its queued messages with it.
    FWindows.at(queued.Target)->WindowProcedure(queued.Message);
    return true;
}

size_t TMessageQueue::ProcessAll() {
    if (FMessages.empty())
        return 0;
    const uint64_t last = FMessages.back().Serial;
    size_t dispatched = 0;
    while (!FMessages.empty() && FMessages.front().Serial <= last) {
        ProcessOne();
        ++dispatched;
    }
    return dispatched;
}

TWindowHandle TMessageQueue::Register(TMessageWindow& window) {
    const TWindowHandle handle = NextHandle.fetch_add(1);
    FWindows.emplace(handle, &window);
    return handle;
}

void TMessageQueue::Unregister(TWindowHandle handle) {
    FWindows.erase(handle);
    std::erase_if(FMessages, [handle](const TQueued& queued) { return queued.Target == handle; });
}

TMessageWindow::TMessageWindow() {
    TMessageQueue& queue = TMessageQueue::Current();
    FHandle = queue.Register(*this);
    FQueue = &queue;
}

TMessageWindow::~TMessageWindow() {
    if (FQueue)
        FQueue->Unregister(FHandle);
    FQueue = nullptr;
    FHandle = 0;
}

bool TMessageWindow::DoMessage(TMessage& message) {
    bool handled = false;
    if (OnMessage)
        OnMessage(*this, message, handled);
    return handled;
}

intptr_t TMessageWindow::Send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    TMessage message{msg, wParam, lParam, 0};
    WindowProcedure(message);
    return message.Result;
}

bool TMessageWindow::Post(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return FQueue && FQueue->Post(FHandle, TMessage{msg, wParam, lParam, 0});
}

TMessage TMessageWindow::GetMessage(uint32_t first, uint32_t last) const {
    TMessage message;
    if (!TryGetMessage(first, last, message))
        throw EWindowMessageNotFound(rtl::Tr("The program could not get any messages."));
    return message;
}

bool TMessageWindow::TryGetMessage(uint32_t first, uint32_t last, TMessage& message) const {
    auto found = Peek(first, last, false);
    if (found)
        message = *found;
    return found.has_value();
}

TMessage TMessageWindow::ExtractMessage(uint32_t first, uint32_t last) {
    TMessage message;
    if (!TryExtractMessage(first, last, message))
        throw EWindowMessageNotFound(rtl::Tr("The program could not extract any messages."));
    return message;
}

bool TMessageWindow::TryExtractMessage(uint32_t first, uint32_t last, TMessage& message) {
    auto found = Peek(first, last, true);
    if (found)
        message = *found;
    return found.has_value();
}

void TMessageWindow::RemoveMessage(uint32_t first, uint32_t last) {
    if (!TryRemoveMessage(first, last))
        throw EWindowMessageNotFound(rtl::Tr("The program could not remove any messages."));
}

bool TMessageWindow::TryRemoveMessage(uint32_t first, uint32_t last) {
    return Peek(first, last, true).has_value();
}

bool TMessageWindow::HasMessage(uint32_t first, uint32_t last) const {
    return Peek(first, last, false).has_value();
}

void TMessageWindow::DefaultMessage(TMessage& message) {
    ++FDefaultMessageCount;
    message.Result = 0;
}

void TMessageWindow::WindowProcedure(TMessage& message) {
    if (!DoMessage(message))
        DefaultMessage(message);
}

std::optional<TMessage> TMessageWindow::Peek(uint32_t first, uint32_t last, bool remove) const {
    if (!FQueue)
        return std::nullopt;
    return FQueue->Peek(FHandle, first, last, remove);
}

TUpdateNotifier::TUpdateNotifier() : FWindow(std::make_unique<TMessageWindow>()) {
    FWindow->OnMessage = [this](TMessageWindow&, TMessage& message, bool& handled) {
        HandleMessage(message, handled);
    };
}

void TUpdateNotifier::DoUpdate() {
    if (OnUpdate)
        OnUpdate(*this);
}

void TUpdateNotifier::Notify() {
    if (FPending)
        return;
    FPending = true;
    // A failed post leaves Pending set, so only Flush or NotifyNow can still run the update. But
    // if posting raises, nobody may be left waiting for a message that was perhaps never queued:
    // the next Notify must try again.
    try {
        FWindow->Post(UpdateMessage, 0, 0);
    } catch (...) {
        FPending = false;
        throw;
    }
}

void TUpdateNotifier::Flush() {
    if (!FPending)
        return;
    // Cleared first, so that a Notify from inside the update schedules the next one.
    FPending = false;
    DoUpdate();
}

void TUpdateNotifier::NotifyNow() {
    Notify();
    Flush();
}

void TUpdateNotifier::HandleMessage(TMessage& message, bool& handled) {
    if (message.Msg != UpdateMessage)
        return;
    handled = true;
    Flush();
}
