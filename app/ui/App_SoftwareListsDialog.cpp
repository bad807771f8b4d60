#include "App_SoftwareListsDialog.h"

#include "App_userinterface_qt.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAppSoftwareListsDialog::TAppSoftwareListsDialog(QWidget* parent)
    : TAppDialog(tr("Software Lists"), parent) {
    MameFolderEdit = new QLineEdit(this);
    MameFolderEdit->setObjectName(QStringLiteral("MameFolderEdit"));
    MameFolderEdit->setPlaceholderText(tr("(MAME's lists left out)"));
    auto* mameLabel = new QLabel(tr("&MAME's software lists:"), this);
    mameLabel->setBuddy(MameFolderEdit);
    BrowseMameButton = new QPushButton(tr("Br&owse..."), this);
    BrowseMameButton->setObjectName(QStringLiteral("BrowseMameButton"));
    MameNotesLabel = new QLabel(this);
    MameNotesLabel->setObjectName(QStringLiteral("MameNotesLabel"));
    MameNotesLabel->setTextFormat(Qt::PlainText);
    MameNotesLabel->setWordWrap(true);
    MessageLabel = new QLabel(tr("Identify looks disks up in MAME's software lists and in these "
                                 "lists, DAT files and folders of lists:"),
                              this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setWordWrap(true);
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setTextFormat(Qt::PlainText);
    StatusLabel->setWordWrap(true);
    ListList = new QListWidget(this);
    ListList->setObjectName(QStringLiteral("ListList"));
    ListList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The mark of a list that cannot be read stands in a line of text, not above it.
    const int small = style()->pixelMetric(QStyle::PM_SmallIconSize);
    ListList->setIconSize(QSize(small, small));
    FirstControl = MameFolderEdit;
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
    connect(BrowseMameButton, &QPushButton::clicked, this,
            &TAppSoftwareListsDialog::BrowseMameFolder);
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
    auto* mame = new QHBoxLayout;
    mame->addWidget(MameFolderEdit, 1);
    mame->addWidget(BrowseMameButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mameLabel);
    layout->addLayout(mame);
    layout->addWidget(MameNotesLabel);
    layout->addWidget(MessageLabel);
    layout->addLayout(middle);
    layout->addWidget(StatusLabel);
    layout->addLayout(NewButtonRow());
    resize(Scaled(561), Scaled(381));

    setTabOrder(MameFolderEdit, BrowseMameButton);
    setTabOrder(BrowseMameButton, ListList);
    setTabOrder(ListList, AddListButton);
    setTabOrder(AddListButton, AddFolderButton);
    setTabOrder(AddFolderButton, RemoveListButton);
    setTabOrder(RemoveListButton, OkButton);
    setTabOrder(OkButton, CancelButton);
}

bool TAppSoftwareListsDialog::Execute(QString& mameFolder, QStringList& paths,
                                      const TSoftwareListsStatus& status) {
    // The notes of each entry, joined: a list read in part is marked as one that was not.
    const auto notesOf = [&status](const QString& entry) {
        QStringList notes;
        for (const auto& [path, note] : status.Notes)
            if (QString::fromStdString(path) == entry)
                notes << QString::fromStdString(note);
        return notes.join('\n');
    };
    MameFolderEdit->setText(mameFolder);
    MameNotesLabel->setText(notesOf(mameFolder));
    MameNotesLabel->setVisible(!MameNotesLabel->text().isEmpty());
    ListList->clear();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const QString& path : paths) {
        auto* item = new QListWidgetItem(path, ListList);
        if (const QString notes = notesOf(path); !notes.isEmpty()) {
            item->setIcon(warning);
            item->setToolTip(notes);
            item->setData(Qt::AccessibleDescriptionRole, notes);
        }
    }
    if (ListList->count() > 0)
        ListList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QString text = tr("In use: %1 lists, %2 titles, %3 disks.")
                       .arg(QLocale().toString(static_cast<qulonglong>(status.Lists)),
                            QLocale().toString(static_cast<qulonglong>(status.Titles)),
                            QLocale().toString(static_cast<qulonglong>(status.Disks)));
    if (!status.Notes.empty())
        text += ' ' + tr("The program cannot read what is marked; it is left out.");
    StatusLabel->setText(text);
    if (exec() != Accepted)
        return false;
    mameFolder = MameFolderEdit->text().trimmed();
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

void TAppSoftwareListsDialog::BrowseMameFolder() {
    if (const QString folder = QFileDialog::getExistingDirectory(this, tr("MAME's Software Lists"),
                                                                 MameFolderEdit->text());
        !folder.isEmpty())
        MameFolderEdit->setText(folder);
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
