// The Enter dialog: asks for one line of text under a caption and a message. It checks nothing;
// the caller validates what comes back.
#pragma once

#include "App_dialogs_qt.h"

#include <QString>

class QLabel;
class QLineEdit;

class TAppEnterDialog : public TAppDialog {
    Q_OBJECT

public:
    explicit TAppEnterDialog(QWidget* parent = nullptr);

    // True with the edited text in value; false leaves value as it was.
    bool Execute(const QString& caption, const QString& message, QString& value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* MessageLabel;
    QLineEdit* ValueEdit;
};
