#include "App_FindingsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TAppFindingsDialog::TAppFindingsDialog(QWidget* parent) : QDialog(parent) {
    FindingList = new QTreeWidget(this);
    FindingList->setObjectName(QStringLiteral("FindingList"));
    FindingList->setRootIsDecorated(false);
    FindingList->setUniformRowHeights(true);
    // A click chooses the line the dialog opened on too, which is current without being chosen.
    connect(FindingList, &QTreeWidget::currentItemChanged, this, &TAppFindingsDialog::Choose);
    connect(FindingList, &QTreeWidget::itemClicked, this, &TAppFindingsDialog::Choose);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FindingList);
    layout->addWidget(buttons);
    const int em = fontMetrics().height();
    resize(50 * em, 20 * em);
}

void TAppFindingsDialog::Execute(const QString& caption, const QStringList& headers,
                                 const std::vector<TLine>& lines,
                                 const std::function<void(int row)>& select, bool chooseFirst) {
    setWindowTitle(caption);
    // Filling the list moves its current line, which must not select anything behind.
    FSelect = nullptr;
    FChosen = nullptr;
    FindingList->clear();
    FindingList->setHeaderLabels(headers);
    QList<QTreeWidgetItem*> items;
    for (const TLine& line : lines) {
        auto* item = new QTreeWidgetItem(QStringList(QString::number(line.Row + 1)) + line.Texts);
        item->setData(0, Qt::UserRole, line.Row);
        items << item;
    }
    FindingList->addTopLevelItems(items);
    // The last column takes the rest of the width.
    for (int column = 0; column + 1 < headers.size(); ++column)
        FindingList->resizeColumnToContents(column);
    // Otherwise the list makes its first line current as it takes the focus, which would choose
    // it.
    if (!chooseFirst && !items.isEmpty())
        FindingList->setCurrentItem(items.front(), 0, QItemSelectionModel::NoUpdate);
    FSelect = select;
    FindingList->setFocus(Qt::OtherFocusReason);
    exec();
    FSelect = nullptr;
}

void TAppFindingsDialog::Execute(const QString& caption, const std::vector<TFindingItem>& findings,
                                 const std::function<void(int row)>& select) {
    std::vector<TLine> lines;
    lines.reserve(findings.size());
    for (const TFindingItem& finding : findings)
        lines.push_back({finding.Row, {FromUtf8(finding.Severity), FromUtf8(finding.Text)}});
    Execute(caption, {tr("Row"), tr("Severity"), tr("Finding")}, lines, select, true);
}

void TAppFindingsDialog::ExecuteIdentification(const QString& caption,
                                               const std::vector<TIdentifiedItem>& items,
                                               const std::function<void(int row)>& select) {
    std::vector<TLine> lines;
    lines.reserve(items.size());
    for (const TIdentifiedItem& item : items)
        lines.push_back({item.Row,
                         {FromUtf8(item.Title), FromUtf8(item.Disk), FromUtf8(item.Year),
                          FromUtf8(item.Publisher), FromUtf8(item.List)}});
    Execute(caption, {tr("Row"), tr("Title"), tr("Disk"), tr("Year"), tr("Publisher"), tr("List")},
            lines, select, false);
}

void TAppFindingsDialog::Choose(QTreeWidgetItem* item) {
    if (item == nullptr || item == FChosen || !FSelect)
        return;
    FChosen = item;
    FSelect(item->data(0, Qt::UserRole).toInt());
}
