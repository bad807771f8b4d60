// The start-up routine of the windowed program.
#include "App_errors_qt.h"
#include "App_mainform.h"
#include "App_translations_qt.h"
#include "Rtl_paths.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <csignal>
#include <cstring>

namespace {

void ShowStartupError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok);
    box.exec();
}

// Only the help and version options are options; every other argument, and everything after "--",
// names a file. Names are made absolute now, before the saved current folder replaces the one
// the program was started in.
std::vector<std::string> CommandLineFiles(int argc, char* argv[], QCommandLineParser& parser) {
    std::vector<std::string> files;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (options && std::strcmp(argument, "--") == 0) {
            options = false;
        } else if (options &&
                   (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)) {
            parser.showHelp(0);
        } else if (options &&
                   (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-v") == 0)) {
            parser.showVersion();
        } else if (argument[0] != '\0') {
            files.push_back(rtl::AbsoluteFileName(argument));
        }
    }
    return files;
}

} // namespace

int main(int argc, char* argv[]) {
    // Under a file-size limit a write past it then fails like a full disk, with the save's
    // message, instead of killing the editor with the document unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName("trackwell");
    QApplication::setApplicationVersion(TRACKWELL_VERSION);
    SetApplicationTitle(QStringLiteral("Trackwell"));
    InstallTranslations(QLocale::system());
    // The installed .desktop file's name without ".desktop": Wayland compositors and X11 task
    // bars find the window's icon and name through it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TRACKWELL_APP_ID));
    try {
        QCommandLineParser parser;
        // Qt's own parts of the help ("Usage:", the options) come in the locale's language.
        parser.setApplicationDescription(
            QCoreApplication::translate("main", "Trackwell edits the list of disk images inside "
                                                "D88/D77 containers. Every FILE is opened, or "
                                                "added when there are several."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument(QStringLiteral("FILE"),
                                     QCoreApplication::translate("main", "A D88/D77 file to open."),
                                     QStringLiteral("[FILE...]"));
        TAppMainForm::TOptions options;
        options.Files = CommandLineFiles(argc, argv, parser);
        InstallErrorDisplay();
        TAppMainForm form(std::move(options));
        form.show();
        QApplication::exec();
    } catch (const std::exception& e) {
        ShowStartupError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowStartupError(QString());
    }
    return 0;
}
