#include "App_dialogs_qt.h"

#include <QHBoxLayout>
#include <QPushButton>

TAppDialog::TAppDialog(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    OkButton = new QPushButton(tr("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(tr("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

int TAppDialog::Scaled(int designPixels) const {
    return designPixels * fontMetrics().height() / 16;
}

QHBoxLayout* TAppDialog::NewButtonRow(std::initializer_list<QWidget*> leading) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : leading)
        row->addWidget(widget);
    row->addStretch();
    row->addWidget(OkButton);
    row->addWidget(CancelButton);
    return row;
}

void TAppDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FirstControl != nullptr)
        FirstControl->setFocus(Qt::OtherFocusReason);
}

void TAppDialog::hideEvent(QHideEvent* event) {
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    QDialog::hideEvent(event);
}
