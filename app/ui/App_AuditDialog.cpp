#include "App_AuditDialog.h"

#include "Rtl_exceptions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int KindRole = Qt::UserRole;
constexpr int LineRole = Qt::UserRole + 1;
// The kind box's first entry shows every kind.
constexpr int EveryKind = -1;

// Lines of the kind chosen whose text has what was typed, in any column.
class TAuditFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void SetKind(int kind) {
        // Qt 6.9 would want begin/endFilterChange; invalidate is there in every Qt 6.
        FKind = kind;
        invalidate();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (FKind != EveryKind &&
            sourceModel()->index(row, 0, parent).data(KindRole).toInt() != FKind)
            return false;
        return QSortFilterProxyModel::filterAcceptsRow(row, parent);
    }

private:
    int FKind = EveryKind;
};

QString KindText(TAuditLineKind kind) {
    switch (kind) {
    case TAuditLineKind::Complete:
        return TAppAuditDialog::tr("Complete");
    case TAuditLineKind::Incomplete:
        return TAppAuditDialog::tr("Incomplete");
    case TAuditLineKind::Duplicate:
        return TAppAuditDialog::tr("Duplicate");
    case TAuditLineKind::Unknown:
        return TAppAuditDialog::tr("Unknown");
    case TAuditLineKind::Unreadable:
        return TAppAuditDialog::tr("Unreadable");
    }
    return {};
}

} // namespace

TAppAuditDialog::TAppAuditDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AuditDialog"));
    SummaryLabel = new QLabel(this);
    SummaryLabel->setObjectName(QStringLiteral("SummaryLabel"));
    SummaryLabel->setTextFormat(Qt::PlainText);
    SummaryLabel->setWordWrap(true);

    FilterEdit = new QLineEdit(this);
    FilterEdit->setObjectName(QStringLiteral("FilterEdit"));
    FilterEdit->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(tr("&Filter:"), this);
    filterLabel->setBuddy(FilterEdit);
    KindBox = new QComboBox(this);
    KindBox->setObjectName(QStringLiteral("KindBox"));
    KindBox->addItem(tr("All lines"), EveryKind);
    for (const TAuditLineKind kind :
         {TAuditLineKind::Complete, TAuditLineKind::Incomplete, TAuditLineKind::Duplicate,
          TAuditLineKind::Unknown, TAuditLineKind::Unreadable})
        KindBox->addItem(KindText(kind), static_cast<int>(kind));
    auto* kindLabel = new QLabel(tr("&Show:"), this);
    kindLabel->setBuddy(KindBox);

    FModel = new QStandardItemModel(0, 5, this);
    FModel->setHorizontalHeaderLabels(
        {tr("Status"), tr("Title"), tr("Disks"), tr("Software"), tr("Where")});
    auto* proxy = new TAuditFilter(this);
    FProxy = proxy;
    FProxy->setSourceModel(FModel);
    FProxy->setFilterKeyColumn(-1);
    FProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    FProxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    AuditTable = new QTableView(this);
    AuditTable->setObjectName(QStringLiteral("AuditTable"));
    AuditTable->setModel(FProxy);
    AuditTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    AuditTable->setSelectionMode(QAbstractItemView::SingleSelection);
    AuditTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AuditTable->setTabKeyNavigation(false);
    AuditTable->verticalHeader()->hide();
    AuditTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    AuditTable->horizontalHeader()->setStretchLastSection(true);
    AuditTable->horizontalHeader()->setHighlightSections(false);
    // The report's own order until a header is clicked.
    AuditTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    AuditTable->setSortingEnabled(true);

    OpenButton = new QPushButton(tr("&Open"), this);
    OpenButton->setObjectName(QStringLiteral("OpenButton"));
    SaveMissingButton = new QPushButton(tr("Save &Missing Disks..."), this);
    SaveMissingButton->setObjectName(QStringLiteral("SaveMissingButton"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(OpenButton, QDialogButtonBox::ActionRole);
    buttons->addButton(SaveMissingButton, QDialogButtonBox::ActionRole);
    // Enter opens the line; the dialog closes by Close or Escape only.
    OpenButton->setAutoDefault(false);
    SaveMissingButton->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    connect(FilterEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        FProxy->setFilterFixedString(text);
        UpdateButtons();
    });
    connect(KindBox, &QComboBox::currentIndexChanged, this, [this, proxy] {
        proxy->SetKind(KindBox->currentData().toInt());
        UpdateButtons();
    });
    connect(AuditTable, &QTableView::activated, this, [this] { OpenCurrent(); });
    connect(AuditTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { UpdateButtons(); });
    connect(OpenButton, &QPushButton::clicked, this, [this] { OpenCurrent(); });
    connect(SaveMissingButton, &QPushButton::clicked, this, [this] { SaveMissing(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* filters = new QHBoxLayout;
    filters->addWidget(filterLabel);
    filters->addWidget(FilterEdit, 1);
    filters->addWidget(kindLabel);
    filters->addWidget(KindBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SummaryLabel);
    layout->addLayout(filters);
    layout->addWidget(AuditTable);
    layout->addWidget(buttons);
    const int em = fontMetrics().height();
    resize(60 * em, 28 * em);
    setTabOrder(FilterEdit, KindBox);
    setTabOrder(KindBox, AuditTable);
}

void TAppAuditDialog::Show(const QString& caption, const QString& summary,
                           std::vector<TAuditLine> lines,
                           std::function<void(const TAuditLine&)> open,
                           std::function<void()> saveMissing) {
    setWindowTitle(caption);
    SummaryLabel->setText(summary);
    FLines = std::move(lines);
    FOpen = std::move(open);
    FSaveMissing = std::move(saveMissing);
    FModel->removeRows(0, FModel->rowCount());
    FModel->setRowCount(static_cast<int>(FLines.size()));
    for (int row = 0; row < static_cast<int>(FLines.size()); ++row) {
        const TAuditLine& line = FLines[static_cast<size_t>(row)];
        const QString texts[] = {KindText(line.Kind), QString::fromStdString(line.Title),
                                 QString::fromStdString(line.Disks),
                                 QString::fromStdString(line.Software),
                                 QString::fromStdString(line.Where)};
        for (int column = 0; column < 5; ++column) {
            auto* item = new QStandardItem(texts[column]);
            item->setData(static_cast<int>(line.Kind), KindRole);
            item->setData(row, LineRole);
            FModel->setItem(row, column, item);
        }
    }
    FilterEdit->clear();
    KindBox->setCurrentIndex(0);
    AuditTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    FProxy->sort(-1);
    AuditTable->resizeColumnsToContents();
    for (int column = 0; column < 4; ++column)
        AuditTable->setColumnWidth(
            column, std::min(AuditTable->columnWidth(column), 20 * fontMetrics().height()));
    if (FProxy->rowCount() > 0)
        AuditTable->setCurrentIndex(FProxy->index(0, 0));
    SaveMissingButton->setEnabled(static_cast<bool>(FSaveMissing));
    UpdateButtons();
    show();
    raise();
    activateWindow();
    AuditTable->setFocus(Qt::OtherFocusReason);
}

void TAppAuditDialog::OpenCurrent() {
    const QModelIndex current = AuditTable->currentIndex();
    if (!current.isValid() || !FOpen)
        return;
    const int line = current.data(LineRole).toInt();
    try {
        FOpen(FLines.at(static_cast<size_t>(line)));
    } catch (...) {
        rtl::HandleException();
    }
}

void TAppAuditDialog::SaveMissing() {
    if (!FSaveMissing)
        return;
    try {
        FSaveMissing();
    } catch (...) {
        rtl::HandleException();
    }
}

void TAppAuditDialog::UpdateButtons() {
    const QModelIndex current = AuditTable->currentIndex();
    OpenButton->setEnabled(
        current.isValid() &&
        !FLines.at(static_cast<size_t>(current.data(LineRole).toInt())).Place.File.empty());
}
