#include "App_SoftwareListsDialog.h"

#include "App_userinterface_qt.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TAppSoftwareListsDialog::TAppSoftwareListsDialog(QWidget* parent)
    : TAppDialog(tr("Software Lists"), parent) {
    MessageLabel = new QLabel(tr("Identify looks disks up in MAME's software lists and in these "
                                 "lists, DAT files and folders of lists:"),
                              this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setWordWrap(true);
    ListList = new QListWidget(this);
    ListList->setObjectName(QStringLiteral("ListList"));
    ListList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FirstControl = ListList;
    AddListButton = new QPushButton(tr("Add &List..."), this);
    AddListButton->setObjectName(QStringLiteral("AddListButton"));
    AddFolderButton = new QPushButton(tr("Add &Folder..."), this);
    AddFolderButton->setObjectName(QStringLiteral("AddFolderButton"));
    RemoveListButton = new QPushButton(tr("&Remove List"), this);
    RemoveListButton->setObjectName(QStringLiteral("RemoveListButton"));
    RemoveListButton->setEnabled(false);
    connect(AddListButton, &QPushButton::clicked, this, &TAppSoftwareListsDialog::AddLists);
    connect(AddFolderButton, &QPushButton::clicked, this, &TAppSoftwareListsDialog::AddFolder);
    connect(RemoveListButton, &QPushButton::clicked, this, &TAppSoftwareListsDialog::RemoveLists);
    connect(ListList, &QListWidget::itemSelectionChanged, this,
            [this] { RemoveListButton->setEnabled(!ListList->selectedItems().isEmpty()); });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(AddListButton);
    buttons->addWidget(AddFolderButton);
    buttons->addWidget(RemoveListButton);
    buttons->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(ListList);
    middle->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MessageLabel);
    layout->addLayout(middle);
    layout->addLayout(NewButtonRow());
    resize(Scaled(561), Scaled(321));

    setTabOrder(ListList, AddListButton);
    setTabOrder(AddListButton, AddFolderButton);
    setTabOrder(AddFolderButton, RemoveListButton);
    setTabOrder(RemoveListButton, OkButton);
    setTabOrder(OkButton, CancelButton);
}

bool TAppSoftwareListsDialog::Execute(QStringList& paths) {
    ListList->clear();
    ListList->addItems(paths);
    if (ListList->count() > 0)
        ListList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    if (exec() != Accepted)
        return false;
    paths.clear();
    for (int row = 0; row < ListList->count(); ++row)
        paths << ListList->item(row)->text();
    return true;
}

void TAppSoftwareListsDialog::AddPaths(const QStringList& paths) {
    ListList->clearSelection();
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        QListWidgetItem* item = nullptr;
        if (const QList<QListWidgetItem*> found = ListList->findItems(path, Qt::MatchExactly);
            !found.isEmpty()) {
            item = found.front();
        } else {
            item = new QListWidgetItem(path);
            ListList->addItem(item);
        }
        item->setSelected(true);
        ListList->setCurrentItem(item, QItemSelectionModel::Select);
    }
}

void TAppSoftwareListsDialog::AddLists() {
    // The names as given, the patterns behind them matching the extensions in any case.
    const QStringList filters = TranslateFileFilter(
        (tr("Software lists and DAT files") + "|*.xml;*.dat|" + tr("All files") + "|*")
            .toStdString());
    AddPaths(QFileDialog::getOpenFileNames(this, tr("Add List"), StartFolder(), filters.join(";;"),
                                           nullptr, QFileDialog::HideNameFilterDetails));
}

void TAppSoftwareListsDialog::AddFolder() {
    AddPaths({QFileDialog::getExistingDirectory(this, tr("Add Folder"), StartFolder())});
}

void TAppSoftwareListsDialog::RemoveLists() {
    for (QListWidgetItem* item : ListList->selectedItems())
        delete item;
    ListList->setFocus(Qt::OtherFocusReason);
}

QString TAppSoftwareListsDialog::StartFolder() const {
    const QListWidgetItem* item = ListList->currentItem();
    if (item == nullptr && ListList->count() > 0)
        item = ListList->item(ListList->count() - 1);
    return item != nullptr ? QFileInfo(item->text()).absolutePath() : QString();
}
