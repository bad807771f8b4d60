#include "App_EnterDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The layout was designed with a font 16 pixels high.
int Scaled(const QWidget* widget, int designPixels) {
    return designPixels * widget->fontMetrics().height() / 16;
}

} // namespace

TAppEnterDialog::TAppEnterDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Enter"));

    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    // Messages name things such as disk images, whose "&" and "<" are text, not markup.
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setWordWrap(true);
    MessageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A fixed area, so that a long message is cut off rather than stretching the dialog.
    MessageLabel->setFixedSize(Scaled(this, 401), Scaled(this, 101));
    ValueEdit = new QLineEdit(this);
    ValueEdit->setObjectName(QStringLiteral("ValueEdit"));
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
    layout->addWidget(MessageLabel);
    layout->addWidget(ValueEdit);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(ValueEdit, OkButton);
    setTabOrder(OkButton, CancelButton);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool TAppEnterDialog::Execute(const QString& caption, const QString& message, QString& value) {
    setWindowTitle(caption);
    MessageLabel->setText(message);
    ValueEdit->setText(value);
    if (exec() != Accepted)
        return false;
    value = ValueEdit->text();
    return true;
}

void TAppEnterDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ValueEdit->setFocus(Qt::OtherFocusReason);
    // Typing replaces the old value, as the edit's own select-on-focus does for Tab.
    ValueEdit->selectAll();
}

void TAppEnterDialog::hideEvent(QHideEvent* event) {
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    QDialog::hideEvent(event);
}
