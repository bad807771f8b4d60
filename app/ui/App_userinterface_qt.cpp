#include "App_userinterface_qt.h"

#include "App_AddNewDialog.h"
#include "App_AuditDialog.h"
#include "App_EnterDialog.h"
#include "App_FindingsDialog.h"
#include "App_FormatDialog.h"
#include "App_SoftwareListsDialog.h"
#include "App_actions.h"
#include "App_errors_qt.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace {

// "*.d88" becomes "*.d88 *.[dD]88": the pattern as given comes first, since a save dialog takes
// the extension it puts on a typed name from the first pattern of the chosen type.
QString AnyCasePatterns(const QString& pattern) {
    QString anyCase;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            anyCase += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            anyCase += c;
    }
    return anyCase == pattern ? pattern : pattern + ' ' + anyCase;
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

class TQtFileDialog : public TFileDialog {
public:
    TQtFileDialog(TFileDialogKind kind, QWidget* parent) : TFileDialog(kind), FParent(parent) {}

    bool Execute() override {
        QFileDialog dialog(FParent, FromUtf8(Title));
        // The names are shown as given; the patterns behind them are the any-case ones.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        const QStringList filters = TranslateFileFilter(Filter);
        dialog.setNameFilters(filters);
        // The dialog names the chosen type by its whole text or, with the details hidden, by
        // its name alone.
        auto indexOf = [&filters](const QString& chosen) {
            for (qsizetype i = 0; i < filters.size(); ++i)
                if (filters[i] == chosen || filters[i].startsWith(chosen + " ("))
                    return static_cast<int>(i) + 1;
            return 0;
        };
        if (FilterIndex >= 1 && FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[FilterIndex - 1]);
        if (Kind() == TFileDialogKind::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, (Options & ofOverwritePrompt) == 0);
        } else if ((Options & ofAllowMultiSelect) != 0) {
            dialog.setFileMode(QFileDialog::ExistingFiles);
        } else {
            dialog.setFileMode((Options & ofFileMustExist) != 0 ? QFileDialog::ExistingFile
                                                                : QFileDialog::AnyFile);
        }
        dialog.setDefaultSuffix(FromUtf8(DefaultExt));
        if (!FileName.empty())
            dialog.selectFile(FromUtf8(FileName));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [this, &dialog, &indexOf](const QString& filter) {
                             try {
                                 FilterIndex = indexOf(filter);
                                 if (OnTypeChange)
                                     OnTypeChange(*this);
                                 dialog.setDefaultSuffix(FromUtf8(DefaultExt));
                             } catch (...) {
                                 rtl::HandleException();
                             }
                         });
        // The arrow while the dialog waits for the user, over the command's wait cursor.
        TOverrideCursor cursor(Qt::ArrowCursor);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty())
            return false;
        Files.clear();
        for (const QString& file : chosen)
            Files.push_back(file.toStdString());
        FileName = Files.front();
        if (const int index = indexOf(dialog.selectedNameFilter()); index > 0)
            FilterIndex = index;
        return true;
    }

private:
    QWidget* FParent;
};

} // namespace

QStringList TranslateFileFilter(const std::string& filter) {
    const QStringList parts = FromUtf8(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts))
            patterns << AnyCasePatterns(pattern.trimmed());
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(' '));
    }
    return filters;
}

TQtUserInterface::TQtUserInterface(QWidget* parent, std::string presetsFileName)
    : FParent(parent), FPresetsFileName(std::move(presetsFileName)) {}

TQtUserInterface::~TQtUserInterface() = default;

std::unique_ptr<TFileDialog> TQtUserInterface::NewFileDialog(TFileDialogKind kind) {
    return std::make_unique<TQtFileDialog>(kind, FParent);
}

bool TQtUserInterface::BrowseForFolder(const std::string& caption, const std::string& initialFolder,
                                       std::string& folder) {
    TOverrideCursor cursor(Qt::ArrowCursor);
    const QString chosen =
        QFileDialog::getExistingDirectory(FParent, FromUtf8(caption), FromUtf8(initialFolder));
    if (chosen.isEmpty())
        return false;
    folder = chosen.toStdString();
    return true;
}

int TQtUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                 TMessageButtons buttons, TMessageIcon icon) {
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == TMessageButtons::OKCancel)
        standard = QMessageBox::Ok | QMessageBox::Cancel;
    else if (buttons == TMessageButtons::YesNo)
        standard = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == TMessageButtons::YesNoCancel)
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    if (icon == TMessageIcon::Warning)
        shownIcon = QMessageBox::Warning;
    else if (icon == TMessageIcon::Error)
        shownIcon = QMessageBox::Critical;
    QMessageBox box(shownIcon, FromUtf8(caption), FromUtf8(text), standard, FParent);
    // Without a Cancel button, Escape and closing the box answer No.
    if (buttons == TMessageButtons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    else if (buttons != TMessageButtons::OK)
        box.setEscapeButton(QMessageBox::Cancel);
    TOverrideCursor cursor(Qt::ArrowCursor);
    const int answer = box.exec();
    switch (answer) {
    case QMessageBox::Ok:
        return idOK;
    case QMessageBox::Yes:
        return idYes;
    case QMessageBox::No:
        return idNo;
    default:
        return buttons == TMessageButtons::OK ? idOK : idCancel;
    }
}

bool TQtUserInterface::ExecuteAddNewDialog(TDiskFormat& format) {
    if (!FAddNewDialog)
        FAddNewDialog = std::make_unique<TAppAddNewDialog>(FPresetsFileName, FParent);
    TOverrideCursor cursor(Qt::ArrowCursor);
    if (!FAddNewDialog->Execute())
        return false;
    format = FAddNewDialog->DiskFormat();
    return true;
}

bool TQtUserInterface::ExecuteEnterDialog(const std::string& caption, const std::string& message,
                                          std::string& value) {
    if (!FEnterDialog)
        FEnterDialog = std::make_unique<TAppEnterDialog>(FParent);
    QString text = FromUtf8(value);
    TOverrideCursor cursor(Qt::ArrowCursor);
    if (!FEnterDialog->Execute(FromUtf8(caption), FromUtf8(message), text))
        return false;
    value = text.toStdString();
    return true;
}

bool TQtUserInterface::ExecuteFormatDialog(const std::string& fileName,
                                           const std::vector<std::string>& formats, int& index) {
    if (!FFormatDialog)
        FFormatDialog = std::make_unique<TAppFormatDialog>(FParent);
    QStringList names;
    for (const std::string& format : formats)
        names << FromUtf8(format);
    TOverrideCursor cursor(Qt::ArrowCursor);
    return FFormatDialog->Execute(FromUtf8(fileName), names, index);
}

void TQtUserInterface::ShowFindings(const std::string& caption,
                                    const std::vector<TFindingItem>& findings,
                                    const std::function<void(int row)>& select) {
    if (!FFindingsDialog)
        FFindingsDialog = std::make_unique<TAppFindingsDialog>(FParent);
    TOverrideCursor cursor(Qt::ArrowCursor);
    FFindingsDialog->Execute(FromUtf8(caption), findings, select);
}

void TQtUserInterface::ShowIdentification(const std::string& caption,
                                          const std::vector<TIdentifiedItem>& items,
                                          const std::function<void(int row)>& select) {
    if (!FIdentificationDialog)
        FIdentificationDialog = std::make_unique<TAppFindingsDialog>(FParent);
    TOverrideCursor cursor(Qt::ArrowCursor);
    FIdentificationDialog->ExecuteIdentification(FromUtf8(caption), items, select);
}

bool TQtUserInterface::EditSoftwareLists(TSoftwareListsSetup& setup,
                                         const TSoftwareListsStatus& status) {
    if (!FSoftwareListsDialog)
        FSoftwareListsDialog = std::make_unique<TAppSoftwareListsDialog>(FParent);
    QString mameFolder = FromUtf8(setup.MameFolder);
    QStringList edited;
    for (const std::string& path : setup.Lists)
        edited << FromUtf8(path);
    TOverrideCursor cursor(Qt::ArrowCursor);
    if (!FSoftwareListsDialog->Execute(mameFolder, edited, status))
        return false;
    setup.MameFolder = mameFolder.toStdString();
    setup.Lists.clear();
    for (const QString& path : edited)
        setup.Lists.push_back(path.toStdString());
    return true;
}

namespace {

// Modal from the start: the events it lets through while the task runs must not reach the
// window, where they could start another command.
class TQtProgressView : public TProgressView {
public:
    TQtProgressView(QWidget* parent, const QString& caption, const QString& text)
        : FDialog(text, QCoreApplication::translate("TQtUserInterface", "Cancel"), 0, 0, parent) {
        FDialog.setObjectName(QStringLiteral("ProgressDialog"));
        FDialog.setWindowTitle(caption);
        FDialog.setWindowModality(Qt::ApplicationModal);
        FDialog.setAutoReset(false);
        FDialog.setAutoClose(false);
        FDialog.setMinimumDuration(0);
        FDialog.show();
        QCoreApplication::processEvents();
    }
    bool Step(size_t done, size_t total) override {
        const int most = static_cast<int>(std::min<size_t>(total, INT_MAX));
        FDialog.setMaximum(most);
        FDialog.setValue(static_cast<int>(std::min<size_t>(done, most)));
        QCoreApplication::processEvents();
        return !FDialog.wasCanceled();
    }

private:
    TOverrideCursor FCursor{Qt::ArrowCursor};
    QProgressDialog FDialog;
};

} // namespace

std::unique_ptr<TProgressView> TQtUserInterface::ShowProgress(const std::string& caption,
                                                              const std::string& text) {
    return std::make_unique<TQtProgressView>(FParent, FromUtf8(caption), FromUtf8(text));
}

void TQtUserInterface::ShowAudit(const std::string& caption, const std::string& summary,
                                 const std::vector<TAuditLine>& lines,
                                 const std::function<void(const TAuditLine&)>& open,
                                 const std::function<void()>& saveMissing) {
    if (!FAuditDialog)
        FAuditDialog = std::make_unique<TAppAuditDialog>(FParent);
    FAuditDialog->Show(FromUtf8(caption), FromUtf8(summary), lines, open, saveMissing);
}

std::string TQtUserInterface::ApplicationTitle() const {
    return ::ApplicationTitle().toStdString();
}

bool TQtUserInterface::OpenDocument(const std::string& path) {
    // The desktop's opener reports its own failures, if at all, after it has been started; a
    // file that is not there is known to fail now.
    if (!QFileInfo(FromUtf8(path)).isFile())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(FromUtf8(path)));
}

TConflictAnswer TQtUserInterface::AskConflict(const std::string& caption, const std::string& text,
                                              bool more) {
    QMessageBox box(QMessageBox::Question, FromUtf8(caption), FromUtf8(text), QMessageBox::NoButton,
                    FParent);
    QPushButton* replace = box.addButton(
        QCoreApplication::translate("TQtUserInterface", "&Replace"), QMessageBox::AcceptRole);
    QPushButton* skip = box.addButton(QCoreApplication::translate("TQtUserInterface", "&Skip"),
                                      QMessageBox::RejectRole);
    QPushButton* keepBoth = box.addButton(
        QCoreApplication::translate("TQtUserInterface", "&Keep Both"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(keepBoth);
    box.setEscapeButton(cancel);
    if (more)
        box.setCheckBox(new QCheckBox(
            QCoreApplication::translate("TQtUserInterface", "Do this for &all the remaining"),
            &box));
    TOverrideCursor cursor(Qt::ArrowCursor);
    box.exec();
    TConflictAnswer answer;
    answer.ForAll = box.checkBox() != nullptr && box.checkBox()->isChecked();
    if (box.clickedButton() == replace)
        answer.Choice = TConflictChoice::Replace;
    else if (box.clickedButton() == skip)
        answer.Choice = TConflictChoice::Skip;
    else if (box.clickedButton() == keepBoth)
        answer.Choice = TConflictChoice::KeepBoth;
    return answer;
}
