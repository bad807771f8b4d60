#include "UiTestSupport.h"

#include "Rtl_exceptions.h"
#include "Vix_windows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <memory>

namespace uitest {

ErrorRecorder::ErrorRecorder() {
    FSaved = rtl::SetExceptionHandler([this](std::exception_ptr exception) {
        try {
            std::rethrow_exception(exception);
        } catch (const rtl::EAbort&) {
            Messages.push_back("(abort)");
        } catch (const std::exception& e) {
            Messages.push_back(e.what());
        }
    });
}

ErrorRecorder::~ErrorRecorder() {
    rtl::SetExceptionHandler(std::move(FSaved));
}

namespace {

bool answered = true;

QString Describe(const QWidget* widget) {
    if (widget == nullptr)
        return QStringLiteral("none");
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        text += QStringLiteral(" ") + widget->objectName();
    if (widget->isWindow() && !widget->windowTitle().isEmpty())
        text += QStringLiteral(" \"") + widget->windowTitle() + QStringLiteral("\"");
    return text;
}

// Where the keys would go, for a failure message: most waits are for the keyboard.
QString KeyboardState() {
    return QStringLiteral("active window: %1; focus: %2; modal: %3")
        .arg(Describe(QApplication::activeWindow()), Describe(QApplication::focusWidget()),
             Describe(QApplication::activeModalWidget()));
}

void Fail(const QString& message, const std::source_location& where) {
    QTest::qFail(qPrintable(message), where.file_name(), static_cast<int>(where.line()));
}

} // namespace

bool WaitFor(const std::function<bool()>& ready, const char* what, int timeoutMs,
             std::source_location where) {
    if (QTest::qWaitFor(ready, timeoutMs))
        return true;
    Fail(QStringLiteral("waited %1 s for %2 in vain; %3")
             .arg(timeoutMs / 1000.0)
             .arg(QString::fromUtf8(what), KeyboardState()),
         where);
    return false;
}

bool HasKeyboard(const QWidget* window) {
    const QWidget* focus = QApplication::focusWidget();
    return window != nullptr && window->isVisible() && QApplication::activeWindow() == window &&
           focus != nullptr && focus->window() == window;
}

bool GiveKeyboard(QWidget* window, std::source_location where) {
    if (!HasKeyboard(window))
        window->activateWindow();
    return WaitFor([window] { return HasKeyboard(window); },
                   qPrintable(QStringLiteral("the keyboard in ") + Describe(window)), TimeoutMs,
                   where);
}

bool Settle(std::source_location where) {
    // Queued as a window queues its first idle moment, so it runs after every call queued so.
    auto ran = std::make_shared<bool>(false);
    QTimer::singleShot(0, qApp, [ran] { *ran = true; });
    return WaitFor([ran] { return *ran; }, "the calls queued before", TimeoutMs, where) &&
           WaitFor([] { return TMessageQueue::Current().Count() == 0; },
                   "the posted messages, the window's refresh among them", TimeoutMs, where);
}

void WhenModal(std::function<void(QWidget* dialog)> answer, int timeoutMs,
               std::source_location where) {
    answered = false;
    // Owned by the application, so that a timer whose deletion is still pending when the tests
    // end is freed all the same.
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    // A dialog asked for from inside another one's answer is the next one, not that one.
    QPointer<QWidget> before = QApplication::activeModalWidget();
    // A timeout that outlives its test must not fail the next one.
    const QByteArray test = QTest::currentTestFunction();
    QObject::connect(timer, &QTimer::timeout,
                     [timer, before, answer = std::move(answer), timeoutMs, where, test,
                      deadline = QDeadlineTimer(timeoutMs)] {
                         QWidget* modal = QApplication::activeModalWidget();
                         const bool opened = modal != nullptr && modal != before;
                         // Visible is not enough: the answer's keys go to the focus widget.
                         if (opened && HasKeyboard(modal)) {
                             timer->stop();
                             answer(modal);
                             answered = true;
                             // Not before its own signal has returned.
                             timer->deleteLater();
                             return;
                         }
                         if (!deadline.hasExpired())
                             return;
                         timer->stop();
                         timer->deleteLater();
                         const QString message =
                             QStringLiteral("waited %1 s for a modal dialog with the keyboard "
                                            "in vain; %2")
                                 .arg(timeoutMs / 1000.0)
                                 .arg(KeyboardState());
                         if (test == QTest::currentTestFunction())
                             Fail(message, where);
                         else
                             qWarning("%s", qPrintable(message));
                         // Left open, it would keep the step that opened it from returning.
                         if (auto* dialog = qobject_cast<QDialog*>(opened ? modal : nullptr))
                             dialog->reject();
                     });
    timer->start();
}

bool ModalAnswered() {
    return answered;
}

void ClickButton(QWidget* dialog, const QString& text) {
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        // A dialog kept as this one's child has buttons of the same names.
        if (button->window() == dialog && button->text().remove('&') == text) {
            button->click();
            return;
        }
    }
    qWarning("no button %s", qPrintable(text));
}

QString MessageText(QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    return box != nullptr ? box->text() : QString();
}

} // namespace uitest
