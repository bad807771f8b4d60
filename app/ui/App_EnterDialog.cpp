#include "App_EnterDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TAppEnterDialog::TAppEnterDialog(QWidget* parent) : TAppDialog(tr("Enter"), parent) {
    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    // Messages name things such as disk images, whose "&" and "<" are text, not markup.
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setWordWrap(true);
    MessageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A fixed area, so that a long message is cut off rather than stretching the dialog.
    MessageLabel->setFixedSize(Scaled(401), Scaled(101));
    ValueEdit = new QLineEdit(this);
    ValueEdit->setObjectName(QStringLiteral("ValueEdit"));
    FirstControl = ValueEdit;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MessageLabel);
    layout->addWidget(ValueEdit);
    layout->addLayout(NewButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(ValueEdit, OkButton);
    setTabOrder(OkButton, CancelButton);
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
    TAppDialog::showEvent(event);
    // Typing replaces the old value, as the edit's own select-on-focus does for Tab.
    ValueEdit->selectAll();
}
