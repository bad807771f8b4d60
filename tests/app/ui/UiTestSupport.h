// Helpers for the window and dialog tests: answering modal dialogs that a test's own action
// opens, waiting for what a step needs before taking it, and seeing what the error display
// would have shown.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <source_location>
#include <string>
#include <vector>

namespace uitest {

// The bound of every wait. It is reached only when something is broken, so it is generous: a
// sanitizer build shares two cores with three more test programs.
inline constexpr int TimeoutMs = 60000;

// Takes the place of the error display for one scope and keeps each message it is handed; the
// silent abort is kept as "(abort)" so that a test can tell it from nothing at all.
class ErrorRecorder {
public:
    ErrorRecorder();
    ~ErrorRecorder();
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;

    std::vector<std::string> Messages;

private:
    std::function<void(std::exception_ptr)> FSaved;
};

// Handles events until ready() holds. After timeoutMs it fails the running test at where,
// naming what it waited for and where the keyboard was, and returns false.
bool WaitFor(const std::function<bool()>& ready, const char* what, int timeoutMs = TimeoutMs,
             std::source_location where = std::source_location::current());

// True when a key sent to the focus widget now reaches window: window is the active window and
// the focus is inside it. A window that is only visible has neither until the platform has
// activated it, which it does from the event loop, later.
bool HasKeyboard(const QWidget* window);
// Hands window the keyboard and waits until it has it. A window manager gives the keyboard back
// to the window beneath a dialog that closes; the offscreen platform has none, so a test does.
bool GiveKeyboard(QWidget* window, std::source_location where = std::source_location::current());

// Waits until the calls that were queued when it was called have run (a window's first idle
// moment among them) and then until the posted messages they led to, the window's refresh
// among them, have been handled.
bool Settle(std::source_location where = std::source_location::current());

// Calls answer with the next modal widget that becomes active with its focus set, from the
// event loop the modal dialog runs; one that is already open when it is called is not the next.
// Call it before the step that opens the dialog. A dialog that does not get the keyboard within
// timeoutMs fails the test and is closed, so that the step that opened it returns; an answer
// that leaves the dialog open is the answer's business.
void WhenModal(std::function<void(QWidget* dialog)> answer, int timeoutMs = TimeoutMs,
               std::source_location where = std::source_location::current());
// True when the answer registered by the last WhenModal has run.
bool ModalAnswered();

// Clicks the button of dialog whose text, with the accelerator marks removed, is text.
void ClickButton(QWidget* dialog, const QString& text);
// The text of a QMessageBox.
QString MessageText(QWidget* dialog);

} // namespace uitest
