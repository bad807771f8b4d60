// The Check dialog: a check's findings, one a line with the row they belong to; choosing one
// selects its row in the list behind, so that the user sees which image it is.
#pragma once

#include "App_dialogs.h"

#include <QDialog>

#include <functional>
#include <vector>

class QTreeWidget;

class TAppFindingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TAppFindingsDialog(QWidget* parent = nullptr);

    // Shows findings until the user closes the dialog.
    void Execute(const QString& caption, const std::vector<TFindingItem>& findings,
                 const std::function<void(int row)>& select);

private:
    QTreeWidget* FindingList;
    std::function<void(int row)> FSelect;
};
