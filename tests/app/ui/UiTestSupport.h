// Helpers for the window and dialog tests: answering modal dialogs that a test's own action
// opens, and seeing what the error display would have shown.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace uitest {

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

// Calls answer with the next modal widget that becomes active, from the event loop the modal
// dialog runs; one that is already open when it is called is not the next. Call it before the
// step that opens the dialog. A dialog that never appears fails
// the test after timeoutMs; an answer that leaves the dialog open is the answer's business.
void WhenModal(std::function<void(QWidget* dialog)> answer, int timeoutMs = 5000);
// True when the answer registered by the last WhenModal has run.
bool ModalAnswered();

// Clicks the button of dialog whose text, with the accelerator marks removed, is text.
void ClickButton(QWidget* dialog, const QString& text);
// The text of a QMessageBox.
QString MessageText(QWidget* dialog);

} // namespace uitest
