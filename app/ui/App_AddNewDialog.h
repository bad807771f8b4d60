// The Add New dialog: the format of a blank disk image, a disk type and its C, H, R and N values,
// typed or taken from the preset list.
#pragma once

#include "App_diskimages.h"
#include "App_presets.h"

#include "App_dialogs_qt.h"

#include <array>
#include <memory>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class TAppPresetsDialog;

class TAppAddNewDialog : public TAppDialog {
    Q_OBJECT

public:
    explicit TAppAddNewDialog(std::string presetsFileName = PresetsFileName(),
                              QWidget* parent = nullptr);
    ~TAppAddNewDialog() override;

    // Opens with the values of the last OK; true when new values were accepted into DiskFormat.
    bool Execute();
    // The values of the last OK; kept for the dialog's whole life, never saved.
    const TDiskFormat& DiskFormat() const { return FDiskFormat; }
    // Checks the controls in tab order; the first bad one gets the focus and the check raises
    // rtl::EInvalidOperation with its message.
    TDiskFormat ReadDiskFormat();
    // A disk type other than 2D, 2DD and 2HD raises rtl::EInvalidOperation before any control
    // changes.
    void WriteDiskFormat(const TDiskFormat& format);

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int32_t ReadDiskType();
    int32_t ReadValue(size_t index);
    void CheckOnExit(QObject* control);
    [[noreturn]] void RaiseInputError(const std::string& message, QWidget* control);
    void PresetsButtonClick();

    std::string FPresetsFileName;
    TDiskFormat FDiskFormat{DiskType2D, 40, 2, 16, 1};
    std::unique_ptr<TAppPresetsDialog> FPresetsDialog;
    // Set while a check runs or moves the focus, so that the focus it moves starts no check.
    bool FChecking = false;

    QComboBox* ComboBox11;
    // C, H, R and N.
    std::array<QLineEdit*, 4> FValueEdits;
    QPushButton* PresetsButton;
};
