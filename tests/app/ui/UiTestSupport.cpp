#include "UiTestSupport.h"

#include "Rtl_exceptions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

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
}

void WhenModal(std::function<void(QWidget* dialog)> answer, int timeoutMs) {
    answered = false;
    // Owned by the application, so that a timer whose deletion is still pending when the tests
    // end is freed all the same.
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    // A dialog asked for from inside another one's answer is the next one, not that one.
    QPointer<QWidget> before = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout,
                     [timer, before, answer = std::move(answer), timeoutMs, waited = 0]() mutable {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (modal != nullptr && modal != before && modal->isVisible()) {
                             timer->stop();
                             answer(modal);
                             answered = true;
                             // Not before its own signal has returned.
                             timer->deleteLater();
                             return;
                         }
                         waited += 10;
                         if (waited > timeoutMs) {
                             timer->stop();
                             timer->deleteLater();
                             qWarning("no modal dialog appeared");
                         }
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
