#include "App_PresetsDialog.h"

#include "Rtl_exceptions.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The layout was designed with a font 16 pixels high.
int Scaled(const QWidget* widget, int designPixels) {
    return designPixels * widget->fontMetrics().height() / 16;
}

} // namespace

TAppPresetsDialog::TAppPresetsDialog(const std::string& presetsFileName, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Presets"));

    ListBox11 = new QListWidget(this);
    ListBox11->setObjectName(QStringLiteral("ListBox11"));
    ListBox11->setSortingEnabled(true);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox11);
    layout->addLayout(buttons);
    resize(Scaled(this, 581), Scaled(this, 356));

    setTabOrder(ListBox11, OkButton);
    setTabOrder(OkButton, CancelButton);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    TPresetList presets = ReadPresets(presetsFileName);
    FItems = std::move(presets.Items);
    for (size_t i = 0; i < FItems.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(FItems[i]->Name));
        item->setData(Qt::UserRole, QVariant::fromValue(i));
        ListBox11->addItem(item);
    }
    if (!presets.Complete) {
        // Not parented to this dialog: it is not shown yet.
        QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                        QStringLiteral("The preset list is unavailable."), QMessageBox::Ok, parent);
        box.exec();
    } else if (ListBox11->count() > 0) {
        ListBox11->setCurrentRow(0);
    }
}

bool TAppPresetsDialog::Execute() {
    const int remembered = SelectedRow();
    if (exec() == Accepted)
        return true;
    if (remembered < 0)
        ListBox11->clearSelection();
    else
        ListBox11->setCurrentRow(remembered);
    return false;
}

void TAppPresetsDialog::done(int result) {
    if (result == Accepted) {
        try {
            const int row = SelectedRow();
            if (row < 0) {
                ListBox11->setFocus(Qt::OtherFocusReason);
                throw rtl::EInvalidOperation("Specify an item.");
            }
            FDiskFormat =
                FItems[ListBox11->item(row)->data(Qt::UserRole).value<size_t>()]->DiskFormat;
        } catch (...) {
            rtl::HandleException();
            return;
        }
    }
    QDialog::done(result);
}

void TAppPresetsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ListBox11->setFocus(Qt::OtherFocusReason);
}

void TAppPresetsDialog::hideEvent(QHideEvent* event) {
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    QDialog::hideEvent(event);
}

int TAppPresetsDialog::SelectedRow() const {
    const QList<QListWidgetItem*> selected = ListBox11->selectedItems();
    return selected.isEmpty() ? -1 : ListBox11->row(selected.first());
}
