#include "Vix_windows_qt.h"

#include <QMetaObject>

TQtMessageLoopWaker::TQtMessageLoopWaker(TMessageQueue& queue)
    : FQueue(queue), FPreviousWaker(queue.Waker()) {
    FQueue.SetWaker(this);
    // Messages posted before this waker existed would otherwise wait for the next post.
    if (FQueue.Count() > 0)
        MessagePosted();
}

TQtMessageLoopWaker::~TQtMessageLoopWaker() {
    FQueue.SetWaker(FPreviousWaker);
}

void TQtMessageLoopWaker::MessagePosted() {
    if (FScheduled)
        return;
    FScheduled = true;
    QMetaObject::invokeMethod(this, &TQtMessageLoopWaker::Pump, Qt::QueuedConnection);
}

void TQtMessageLoopWaker::Pump() {
    FScheduled = false;
    try {
        FQueue.ProcessAll();
    } catch (...) {
        rtl::HandleException();
    }
    // A failed message leaves the rest queued; they must not wait for the next post.
    if (FQueue.Count() > 0)
        MessagePosted();
}
