// The Sectors window beside the main one: the focused image's tracks as the headers say them
// (their marks and damage at a glance), the chosen track's sectors, and the chosen sector's bytes
// as hex beside their text, edited in place. Leaving a sector after changing its bytes, or
// Apply, makes the change one undoable step of the document; Escape in the bytes takes it back.
#pragma once

#include "App_sectorhandler.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TAppHexView;

class TAppSectorsView : public QDialog {
    Q_OBJECT

public:
    explicit TAppSectorsView(QWidget* parent = nullptr);

    // The handler shown, which outlives the view's use of it; null shows nothing.
    void Bind(TSectorHandler* handler);
    // Shows what the handler holds now. An edit under way of the same sector of the same image
    // is kept.
    void Reload();
    // Makes an edit under way a step of the document; false when it was refused (said to the
    // user) and taken back.
    bool Commit();

    // For the window's keys and its tests.
    void GoToSector(int step);
    void GoToTrack(int step);
    void FindNext(bool backward);
    void AskGoTo();
    void AskFill();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ChooseTrack(QTreeWidgetItem* item);
    void ChooseSector(QTreeWidgetItem* item);
    // Commits an edit under way, then has the handler choose; a refused edit keeps the place.
    void MoveTo(int entry, int sector);
    void UpdateButtons();

    TSectorHandler* FHandler = nullptr;
    QLabel* ImageLabel;
    QLineEdit* FindEdit;
    QCheckBox* FindHexBox;
    QPushButton* FindNextButton;
    QPushButton* FindPreviousButton;
    QPushButton* GoToButton;
    QTreeWidget* TrackList;
    QTreeWidget* SectorList;
    TAppHexView* HexView;
    // What the check finds wrong with the image as a whole, above the lists.
    QLabel* FindingsLabel;
    QLabel* DamageLabel;
    QComboBox* TextModeBox;
    QPushButton* FillButton;
    QPushButton* ApplyButton;
    QPushButton* RevertButton;
    // Where the bytes shown come from, so that a reload of the same sector keeps an edit.
    int FShownIndex = -1;
    int FShownEntry = -1;
    int FShownSector = 0;
    bool FReloading = false;
    TSectorMatch FLastMatch{-1, 0, 0};
};
