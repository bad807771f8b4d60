// The Check and Identify dialogs: lines of text, each with the row of the image it is about;
// choosing one selects its row in the list behind, so that the user sees which image it is.
#pragma once

#include "App_dialogs.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

class TAppFindingsDialog : public QDialog {
    Q_OBJECT

public:
    // A line: its image's row, from 0, and the texts of the columns after the row's.
    struct TLine {
        int Row = 0;
        QStringList Texts;
    };

    explicit TAppFindingsDialog(QWidget* parent = nullptr);

    // Shows lines under headers, the first of them the row's, until the user closes the dialog.
    // With chooseFirst the first line is chosen as the dialog opens; otherwise nothing is chosen
    // until the user moves to a line or clicks one.
    void Execute(const QString& caption, const QStringList& headers,
                 const std::vector<TLine>& lines, const std::function<void(int row)>& select,
                 bool chooseFirst);
    // Check's findings; the first is chosen as the dialog opens.
    void Execute(const QString& caption, const std::vector<TFindingItem>& findings,
                 const std::function<void(int row)>& select);
    // Identify's disks. Opening chooses none: the selection behind stays as it was for the
    // command that follows, such as Name from Identification.
    void ExecuteIdentification(const QString& caption, const std::vector<TIdentifiedItem>& items,
                               const std::function<void(int row)>& select);

private:
    // Selects the line's row unless that line was the last chosen.
    void Choose(QTreeWidgetItem* item);

    QTreeWidget* FindingList;
    QTreeWidgetItem* FChosen = nullptr;
    std::function<void(int row)> FSelect;
};
