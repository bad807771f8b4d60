// The Software Lists dialog: where MAME's lists are, and the user's own software lists, DAT files
// and folders of them, which Identify reads beside MAME's; with how much the lists in use gave,
// and a mark on each that could not be read.
#pragma once

#include "App_dialogs.h"
#include "App_dialogs_qt.h"

#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TAppSoftwareListsDialog : public TAppDialog {
    Q_OBJECT

public:
    explicit TAppSoftwareListsDialog(QWidget* parent = nullptr);

    // True with the edited folder and paths; false leaves them as they were. status tells what
    // the lists in use gave and marks those of its notes.
    bool Execute(QString& mameFolder, QStringList& paths, const TSoftwareListsStatus& status);
    // What Add List and Add Folder do with the user's choice: paths not yet listed are appended
    // and selected. Tests add through it, since a file dialog may be the desktop's own.
    void AddPaths(const QStringList& paths);

private:
    void AddLists();
    void AddFolder();
    void RemoveLists();
    void BrowseMameFolder();
    // Where the file dialogs start: beside the current entry, else in the current folder.
    QString StartFolder() const;

    QLabel* MessageLabel;
    QLineEdit* MameFolderEdit;
    QPushButton* BrowseMameButton;
    QLabel* MameNotesLabel;
    QLabel* StatusLabel;
    QListWidget* ListList;
    QPushButton* AddListButton;
    QPushButton* AddFolderButton;
    QPushButton* RemoveListButton;
};
