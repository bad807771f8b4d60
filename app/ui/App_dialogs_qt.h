// What the program's modal dialogs share on Qt: OK (the default button) and Cancel at the
// bottom right, lengths from a layout designed for a 16-pixel font, and the focus on the first
// control whenever the dialog appears, with none left behind when it goes, so that no stale
// check of a field runs at the next show.
#pragma once

#include <QDialog>

#include <initializer_list>

class QHBoxLayout;
class QPushButton;

class TAppDialog : public QDialog {
    Q_OBJECT

protected:
    // Makes OkButton and CancelButton, which accept and reject the dialog.
    TAppDialog(const QString& title, QWidget* parent);

    // A length of the design in the font in use.
    int Scaled(int designPixels) const;
    // leading, a stretch, then OK and Cancel.
    QHBoxLayout* NewButtonRow(std::initializer_list<QWidget*> leading = {});

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // Gets the focus at every show.
    QWidget* FirstControl = nullptr;
    QPushButton* OkButton;
    QPushButton* CancelButton;
};
