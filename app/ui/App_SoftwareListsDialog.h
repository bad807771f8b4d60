// The Software Lists dialog: the user's own software lists, DAT files and folders of them, which
// Identify reads beside MAME's.
#pragma once

#include "App_dialogs_qt.h"

#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

class TAppSoftwareListsDialog : public TAppDialog {
    Q_OBJECT

public:
    explicit TAppSoftwareListsDialog(QWidget* parent = nullptr);

    // True with the edited paths in paths; false leaves them as they were.
    bool Execute(QStringList& paths);
    // What Add List and Add Folder do with the user's choice: paths not yet listed are appended
    // and selected. Tests add through it, since a file dialog may be the desktop's own.
    void AddPaths(const QStringList& paths);

private:
    void AddLists();
    void AddFolder();
    void RemoveLists();
    // Where the file dialogs start: beside the current entry, else in the current folder.
    QString StartFolder() const;

    QLabel* MessageLabel;
    QListWidget* ListList;
    QPushButton* AddListButton;
    QPushButton* AddFolderButton;
    QPushButton* RemoveListButton;
};
