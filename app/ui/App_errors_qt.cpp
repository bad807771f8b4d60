#include "App_errors_qt.h"

#include "Rtl_exceptions.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString& Title() {
    static QString title;
    return title;
}

} // namespace

QString ApplicationTitle() {
    return Title();
}

void SetApplicationTitle(const QString& title) {
    Title() = title;
}

void ShowException(std::exception_ptr exception) {
    QString message;
    try {
        std::rethrow_exception(exception);
    } catch (const rtl::EAbort&) {
        return;
    } catch (const rtl::Exception& e) {
        message = QString::fromUtf8(e.Message());
        // The system's reason names the file and what the system found wrong with it; the
        // program's own sentence alone would read the same for a missing file and a full disk.
        if (!e.Reason().empty())
            message += QLatin1Char('\n') + QString::fromUtf8(e.Reason());
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        // Anything that is no exception at all is shown as one without a message.
    }
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    // A file name such as "<b>.d88" is text to show, not markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void InstallErrorDisplay() {
    rtl::SetExceptionHandler(&ShowException);
}
