#include "App_FindingsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TAppFindingsDialog::TAppFindingsDialog(QWidget* parent) : QDialog(parent) {
    FindingList = new QTreeWidget(this);
    FindingList->setObjectName(QStringLiteral("FindingList"));
    FindingList->setRootIsDecorated(false);
    FindingList->setUniformRowHeights(true);
    FindingList->setHeaderLabels({tr("Row"), tr("Severity"), tr("Finding")});
    connect(FindingList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current != nullptr && FSelect)
            FSelect(current->data(0, Qt::UserRole).toInt());
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FindingList);
    layout->addWidget(buttons);
    const int em = fontMetrics().height();
    resize(50 * em, 20 * em);
}

void TAppFindingsDialog::Execute(const QString& caption, const std::vector<TFindingItem>& findings,
                                 const std::function<void(int row)>& select) {
    setWindowTitle(caption);
    FSelect = nullptr;
    FindingList->clear();
    QList<QTreeWidgetItem*> items;
    for (const TFindingItem& finding : findings) {
        auto* item = new QTreeWidgetItem({QString::number(finding.Row + 1),
                                          QString::fromStdString(finding.Severity),
                                          QString::fromStdString(finding.Text)});
        item->setData(0, Qt::UserRole, finding.Row);
        items << item;
    }
    FindingList->addTopLevelItems(items);
    FindingList->resizeColumnToContents(0);
    FindingList->resizeColumnToContents(1);
    FSelect = select;
    FindingList->setFocus(Qt::OtherFocusReason);
    exec();
    FSelect = nullptr;
}
