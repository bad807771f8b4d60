#include "App_PresetsDialog.h"

#include "App_errors_qt.h"
#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TAppPresetsDialog::TAppPresetsDialog(const std::string& presetsFileName, QWidget* parent)
    : TAppDialog(tr("Presets"), parent) {
    ListBox11 = new QListWidget(this);
    ListBox11->setObjectName(QStringLiteral("ListBox11"));
    ListBox11->setSortingEnabled(true);
    FirstControl = ListBox11;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox11);
    layout->addLayout(NewButtonRow());
    resize(Scaled(581), Scaled(356));

    setTabOrder(ListBox11, OkButton);
    setTabOrder(OkButton, CancelButton);

    TPresetList presets = ReadPresets(presetsFileName);
    FItems = std::move(presets.Items);
    for (size_t i = 0; i < FItems.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(FItems[i]->Name));
        item->setData(Qt::UserRole, QVariant::fromValue(i));
        ListBox11->addItem(item);
    }
    if (!presets.Complete) {
        // Not parented to this dialog: it is not shown yet.
        QMessageBox box(QMessageBox::Warning, ApplicationTitle(),
                        tr("The preset list is unavailable."), QMessageBox::Ok, parent);
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
                throw rtl::EInvalidOperation(rtl::Tr("Specify an item."));
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

int TAppPresetsDialog::SelectedRow() const {
    const QList<QListWidgetItem*> selected = ListBox11->selectedItems();
    return selected.isEmpty() ? -1 : ListBox11->row(selected.first());
}
