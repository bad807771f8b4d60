// What the disk images are: the software lists the program knows them by, read once in the
// background and kept until the user changes them; Identify and the names it gives; and the
// audit of a whole folder of containers against the same lists.
#pragma once

#include "App_dialogs.h"
#include "App_filehandler.h"
#include "App_handler.h"
#include "App_softwarelists.h"
#include "Vix_listviews.h"

#include <future>
#include <memory>
#include <string>
#include <vector>

class TIdentifyHandler : public THandler {
public:
    TIdentifyHandler(TFileHandler& document, TListViewShell& listViewShell,
                     TUserInterface& userInterface);
    ~TIdentifyHandler() override;

    // Shows which disks of the software lists each image is; choosing a line selects its image.
    // Changes nothing in the document.
    virtual void Identify();
    virtual bool CanIdentify() const { return !FDocument.IsEmpty(); }
    // Names each selected image that a list knows after the disk it is, as one undoable step;
    // the others keep their names.
    virtual void NameFromIdentification();
    virtual bool CanNameFromIdentification() const { return FListViewShell.SelCount() > 0; }
    // MAME's folder and the user's own lists and DAT files beside it, with what was read of them.
    virtual void EditSoftwareLists();
    virtual bool CanEditSoftwareLists() const { return true; }
    // Asks for a folder and shows what its containers hold against the lists: each title
    // complete or not, the duplicates, the unknown images and the files that cannot be read.
    // Opening a line of it opens its container with the image selected.
    virtual void AuditFolder();
    virtual bool CanAuditFolder() const { return true; }
    // Starts reading the lists in the background, so that the first Identify need not wait.
    void PrepareIdentification();

    const std::string& MameFolder() const { return FMameFolder; }
    const std::vector<std::string>& SoftwareLists() const { return FSoftwareLists; }

    void LoadSettings(rtl::TMemIniFile& settings) override;
    void SaveSettings(rtl::TMemIniFile& settings) override;

private:
    const TSoftwareCatalog& Catalog();
    void ForgetCatalog();
    // Opens the container of an audit's line with its image selected.
    void OpenAuditPlace(const TAuditPlace& place);
    // Writes dat where the user chooses.
    void SaveMissingDat(const std::string& dat);

    TFileHandler& FDocument;
    TListViewShell& FListViewShell;
    TUserInterface& FUserInterface;
    std::string FMameFolder = MameHashFolder;
    std::vector<std::string> FSoftwareLists;
    std::unique_ptr<TSoftwareCatalog> FCatalog;
    std::future<std::unique_ptr<TSoftwareCatalog>> FCatalogReading;
    // The folder audited last.
    std::string FAuditFolder;
    std::unique_ptr<TFileDialog> FMissingDatDialog;
};
