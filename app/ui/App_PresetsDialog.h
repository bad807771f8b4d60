// The Presets dialog: picks one named disk format out of the preset list for the Add New
// dialog.
#pragma once

#include "App_diskimages.h"
#include "App_presets.h"

#include "App_dialogs_qt.h"

#include <memory>
#include <string>
#include <vector>

class QListWidget;

class TAppPresetsDialog : public TAppDialog {
    Q_OBJECT

public:
    // Reads the preset list once, here; a list that cannot be read whole is reported with a
    // warning box and the dialog offers what was read before the fault.
    explicit TAppPresetsDialog(const std::string& presetsFileName, QWidget* parent = nullptr);

    // True when a preset was chosen, now in DiskFormat; otherwise the selection is put back as
    // it was before.
    bool Execute();
    // The preset chosen at the last OK.
    const TDiskFormat& DiskFormat() const { return FDiskFormat; }

protected:
    void done(int result) override;

private:
    // -1 when no entry is selected.
    int SelectedRow() const;

    // The list's entries hold indexes into this, which owns the presets.
    std::vector<std::unique_ptr<TAppPresetsDialogItem>> FItems;
    TDiskFormat FDiskFormat;

    QListWidget* ListBox11;
};
