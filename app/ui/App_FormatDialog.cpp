#include "App_FormatDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TAppFormatDialog::TAppFormatDialog(QWidget* parent) : TAppDialog(tr("Disk Format"), parent) {
    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    // File names are text, not markup.
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setWordWrap(true);
    FormatList = new QListWidget(this);
    FormatList->setObjectName(QStringLiteral("FormatList"));
    FirstControl = FormatList;
    // A double click chooses, as OK does.
    connect(FormatList, &QListWidget::itemActivated, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MessageLabel);
    layout->addWidget(FormatList);
    layout->addLayout(NewButtonRow());
    resize(Scaled(481), Scaled(261));

    setTabOrder(FormatList, OkButton);
    setTabOrder(OkButton, CancelButton);
}

bool TAppFormatDialog::Execute(const QString& fileName, const QStringList& formats, int& index) {
    MessageLabel->setText(
        tr("The size of \"%1\" fits more than one disk format. Choose its format.").arg(fileName));
    FormatList->clear();
    FormatList->addItems(formats);
    FormatList->setCurrentRow(index >= 0 && index < formats.size() ? index : 0);
    if (exec() != Accepted || FormatList->currentRow() < 0)
        return false;
    index = FormatList->currentRow();
    return true;
}
