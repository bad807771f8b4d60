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
#include <optional>

namespace {

void ShowStartupError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok);
    box.exec();
}

// The option among the arguments before "--" that only prints, if any: "--help" or "--version".
std::optional<QString> PrintingOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--") == 0)
            break;
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)
            return QStringLiteral("help");
        if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-v") == 0)
            return QStringLiteral("version");
    }
    return std::nullopt;
}

// Only the help and version options are options; every other argument, and everything after "--",
// names a file. Names are made absolute now, before the saved current folder replaces the one
// the program was started in.
std::vector<std::string> CommandLineFiles(int argc, char* argv[]) {
    std::vector<std::string> files;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (options && std::strcmp(argument, "--") == 0)
            options = false;
        else if (argument[0] != '\0')
            files.push_back(rtl::AbsoluteFileName(argument));
    }
    return files;
}

void SetApplicationNames() {
    QCoreApplication::setApplicationName("trackwell");
    QCoreApplication::setApplicationVersion(TRACKWELL_VERSION);
}

// Prints the help or the version and ends the process. Only a core application exists then: a
// script or a package check without a display still gets its answer.
[[noreturn]] void Print(int argc, char* argv[], const QString& option) {
    QCoreApplication application(argc, argv);
    SetApplicationNames();
    InstallTranslations(QLocale::system());
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
    if (option == QStringLiteral("help"))
        parser.showHelp(0);
    parser.showVersion();
}

} // namespace

int main(int argc, char* argv[]) {
    // Under a file-size limit a write past it then fails like a full disk, with the save's
    // message, instead of killing the editor with the document unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::optional<QString> option = PrintingOption(argc, argv))
        Print(argc, argv, *option);
    QApplication application(argc, argv);
    SetApplicationNames();
    SetApplicationTitle(QStringLiteral("Trackwell"));
    InstallTranslations(QLocale::system());
    // The installed .desktop file's name without ".desktop": Wayland compositors and X11 task
    // bars find the window's icon and name through it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TRACKWELL_APP_ID));
    try {
        TAppMainForm::TOptions options;
        options.Files = CommandLineFiles(argc, argv);
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
