// Pumps the program's message queue from Qt's event loop.
#pragma once

#include "Vix_windows.h"

#include <QObject>

// Installs itself as the queue's waker for its lifetime. Each post schedules one pump on Qt's
// event loop, unless one is scheduled already.
class TQtMessageLoopWaker : public QObject, public TMessageLoopWaker {
    Q_OBJECT
public:
    explicit TQtMessageLoopWaker(TMessageQueue& queue = TMessageQueue::Current());
    ~TQtMessageLoopWaker() override;

    void MessagePosted() override;

private:
    void Pump();

    TMessageQueue& FQueue;
    TMessageLoopWaker* FPreviousWaker;
    bool FScheduled = false;
};
