// The report of an audit, beside the window: a line per title, duplicate, unknown image and
// unreadable file, sortable by any column and narrowed by kind and by text; opening a line opens
// its container with the image selected, and the missing disks' DAT can be saved from it.
#pragma once

#include "App_audit.h"

#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

class TAppAuditDialog : public QDialog {
    Q_OBJECT

public:
    explicit TAppAuditDialog(QWidget* parent = nullptr);

    // Shows lines under summary, in their order, and returns: the dialog stays open beside the
    // window. saveMissing empty: there is nothing to save.
    void Show(const QString& caption, const QString& summary, std::vector<TAuditLine> lines,
              std::function<void(const TAuditLine&)> open, std::function<void()> saveMissing);

private:
    // Calls open with the current line, if any; what it raises is shown, the dialog stays.
    void OpenCurrent();
    void SaveMissing();
    void UpdateButtons();

    QLabel* SummaryLabel;
    QLineEdit* FilterEdit;
    QComboBox* KindBox;
    QTableView* AuditTable;
    QPushButton* OpenButton;
    QPushButton* SaveMissingButton;
    QStandardItemModel* FModel;
    QSortFilterProxyModel* FProxy;
    std::vector<TAuditLine> FLines;
    std::function<void(const TAuditLine&)> FOpen;
    std::function<void()> FSaveMissing;
};
