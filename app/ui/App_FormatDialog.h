// The Disk Format dialog: which of the formats a plain sector dump's size fits it holds.
#pragma once

#include "App_dialogs_qt.h"

#include <QStringList>

class QLabel;
class QListWidget;

class TAppFormatDialog : public TAppDialog {
    Q_OBJECT

public:
    explicit TAppFormatDialog(QWidget* parent = nullptr);

    // Offers formats, index selected; true with the chosen one in index.
    bool Execute(const QString& fileName, const QStringList& formats, int& index);

private:
    QLabel* MessageLabel;
    QListWidget* FormatList;
};
