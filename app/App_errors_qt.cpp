#include "App_errors_qt.h"

#include "Rtl_exceptions.h"

#include <QApplication>
#include <QMessageBox>

void ShowException(std::exception_ptr exception) {
    QString message;
    try {
        std::rethrow_exception(exception);
    } catch (const rtl::EAbort&) {
        return;
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        // Anything that is no exception at all is shown as one without a message.
    }
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void InstallErrorDisplay() {
    rtl::SetExceptionHandler(&ShowException);
}
