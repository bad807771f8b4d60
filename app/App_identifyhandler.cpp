#include "App_identifyhandler.h"

#include "App_filenames.h"
#include "App_presets.h"
#include "App_softwareindex.h"
#include "Rtl_filewriter.h"
#include "Rtl_inifiles.h"
#include "Rtl_texts.h"

#include <filesystem>
#include <utility>

namespace {

const char* const SectionName = "SoftwareLists";

// MAME's floppy lists where they are installed, then the user's own, in the order added.
std::unique_ptr<TSoftwareCatalog> ReadCatalog(const std::string& mameFolder,
                                              const std::vector<std::string>& lists) {
    std::vector<std::string> paths;
    std::error_code error;
    if (!mameFolder.empty() && std::filesystem::is_directory(mameFolder, error))
        paths.push_back(mameFolder);
    paths.insert(paths.end(), lists.begin(), lists.end());
    return LoadSoftwareCatalog(paths, SoftwareIndexFolder());
}

// Whether the catalog's path is entry, or a list in the folder entry.
bool IsOf(const std::string& path, const std::string& entry) {
    return path == entry || path.starts_with(rtl::IncludeTrailingPathDelimiter(entry));
}

} // namespace

TIdentifyHandler::TIdentifyHandler(TFileHandler& document, TListViewShell& listViewShell,
                                   TUserInterface& userInterface)
    : FDocument(document), FListViewShell(listViewShell), FUserInterface(userInterface) {}

TIdentifyHandler::~TIdentifyHandler() {
    // A read under way finishes first: it must not outlive what it reports to.
    if (FCatalogReading.valid())
        FCatalogReading.wait();
}

void TIdentifyHandler::LoadSettings(rtl::TMemIniFile& settings) {
    THandlerChange change(*this);
    // MAME's lists may be installed elsewhere, or be left out ("").
    std::string mame = settings.ReadString(SectionName, "MameFolder", FMameFolder);
    std::vector<std::string> lists;
    const int count = settings.ReadInteger(SectionName, "Count", 0);
    for (int i = 1; i <= count; ++i)
        if (std::string path = settings.ReadString(SectionName, "List" + std::to_string(i), "");
            !path.empty())
            lists.push_back(std::move(path));
    if (lists != FSoftwareLists || mame != FMameFolder) {
        FSoftwareLists = std::move(lists);
        FMameFolder = std::move(mame);
        ForgetCatalog();
    }
    FAuditFolder = settings.ReadString(SectionName, "AuditFolder", FAuditFolder);
}

void TIdentifyHandler::SaveSettings(rtl::TMemIniFile& settings) {
    settings.WriteString(SectionName, "MameFolder", FMameFolder);
    settings.WriteInteger(SectionName, "Count", static_cast<int>(FSoftwareLists.size()));
    for (size_t i = 0; i < FSoftwareLists.size(); ++i)
        settings.WriteString(SectionName, "List" + std::to_string(i + 1), FSoftwareLists[i]);
    settings.WriteString(SectionName, "AuditFolder", FAuditFolder);
}

void TIdentifyHandler::PrepareIdentification() {
    if (!FCatalog && !FCatalogReading.valid())
        FCatalogReading = std::async(std::launch::async, ReadCatalog, FMameFolder, FSoftwareLists);
}

const TSoftwareCatalog& TIdentifyHandler::Catalog() {
    if (!FCatalog) {
        // A background read's failure (no memory, say) is told now, and the next use reads again.
        if (FCatalogReading.valid())
            FCatalog = FCatalogReading.get();
        else
            FCatalog = ReadCatalog(FMameFolder, FSoftwareLists);
        // A list that cannot be read is left out and the others used; the user learns which,
        // once for each reading.
        if (!FCatalog->Notes().empty()) {
            std::string text = rtl::Tr("The program left out software lists it cannot read:");
            for (const std::string& note : FCatalog->Notes())
                text.append("\n").append(note);
            FUserInterface.MessageBox(text, rtl::Tr("Software Lists"), TMessageButtons::OK,
                                      TMessageIcon::Warning);
        }
    }
    return *FCatalog;
}

void TIdentifyHandler::ForgetCatalog() {
    // Read afresh on next use; a read under way finishes first, for nothing.
    if (FCatalogReading.valid())
        FCatalogReading.wait();
    FCatalogReading = {};
    FCatalog.reset();
}

void TIdentifyHandler::Identify() {
    if (!CanIdentify())
        RaiseUnavailable();
    const TSoftwareCatalog& catalog = Catalog();
    std::vector<TIdentifiedItem> items;
    for (int row = 0; row < FDocument.DiskImageCount(); ++row) {
        const std::vector<uint32_t> disks = IdentifyImage(catalog, FDocument.DiskImages(row));
        if (disks.empty())
            items.push_back({row, rtl::Tr("(not identified)"), "", "", "", ""});
        for (const uint32_t index : disks) {
            const TListedDisk& disk = catalog.Disks()[index];
            const TListedSoftware& software = catalog.Softwares()[disk.Software];
            items.push_back({row, software.Description, disk.Part, software.Year,
                             software.Publisher, catalog.Lists()[software.List]});
        }
    }
    FUserInterface.ShowIdentification(rtl::Tr("Identify"), items, [this](int row) {
        if (row >= 0 && row < FDocument.DiskImageCount())
            FDocument.SelectRows({row});
    });
}

void TIdentifyHandler::NameFromIdentification() {
    if (!CanNameFromIdentification())
        RaiseUnavailable();
    const TSoftwareCatalog& catalog = Catalog();
    THandlerChange change(*this);
    std::vector<int> rows;
    std::vector<std::string> names;
    for (const int row : FListViewShell.GetSelectedIndices()) {
        const std::vector<uint32_t> disks = IdentifyImage(catalog, FDocument.DiskImages(row));
        if (disks.empty())
            continue;
        rows.push_back(row);
        names.push_back(IdentificationName(catalog, disks.front()));
    }
    if (rows.empty()) {
        FUserInterface.MessageBox(rtl::Tr("No selected disk image is in the software lists."),
                                  rtl::Tr("Name from Identification"), TMessageButtons::OK,
                                  TMessageIcon::None);
        return;
    }
    FDocument.SetNames(rtl::Tr("Name from Identification"), rows, names);
}

void TIdentifyHandler::EditSoftwareLists() {
    if (!CanEditSoftwareLists())
        RaiseUnavailable();
    const TSoftwareCatalog& catalog = Catalog();
    TSoftwareListsSetup setup{FMameFolder, FSoftwareLists};
    TSoftwareListsStatus status{
        catalog.Lists().size(), catalog.Softwares().size(), catalog.Disks().size(), {}};
    std::error_code error;
    if (!FMameFolder.empty() && !std::filesystem::is_directory(FMameFolder, error))
        status.Notes.emplace_back(
            FMameFolder, rtl::Format(rtl::Tr("The program cannot find MAME's folder of lists "
                                             "\"%s\"."),
                                     FMameFolder.c_str()));
    // Each note under the entry the user gave: a list's own, or the folder it is in.
    std::vector<std::string> entries = FSoftwareLists;
    entries.insert(entries.begin(), FMameFolder);
    for (size_t i = 0; i < catalog.Notes().size(); ++i)
        for (const std::string& entry : entries)
            if (!entry.empty() && IsOf(catalog.LeftOut()[i], entry)) {
                status.Notes.emplace_back(entry, catalog.Notes()[i]);
                break;
            }
    if (!FUserInterface.EditSoftwareLists(setup, status) ||
        setup == TSoftwareListsSetup{FMameFolder, FSoftwareLists})
        return;
    THandlerChange change(*this);
    FMameFolder = std::move(setup.MameFolder);
    FSoftwareLists = std::move(setup.Lists);
    ForgetCatalog();
}

void TIdentifyHandler::AuditFolder() {
    if (!CanAuditFolder())
        RaiseUnavailable();
    std::string folder;
    if (!FUserInterface.BrowseForFolder(rtl::Tr("Audit Folder"), FAuditFolder, folder))
        return;
    FAuditFolder = folder;
    const TSoftwareCatalog& catalog = Catalog();
    const std::vector<std::string> files = AuditFiles({folder});
    // Nobody is asked while the files are read side by side: a dump that fits several formats
    // is read in the likeliest, and its file is looked up as it is too.
    const TFormatSource source(NamedFormats(ReadPresets(PresetsFileName())),
                               [](const std::string&, const std::vector<TNamedFormat>&,
                                  size_t likeliest) { return likeliest; });
    TAuditReport report;
    {
        const std::unique_ptr<TProgressView> progress = FUserInterface.ShowProgress(
            rtl::Tr("Audit Folder"),
            rtl::Format(rtl::Tr("Reading the disk images under \"%s\"..."), folder.c_str()));
        report = Audit(catalog, files, source, false, [&progress](size_t done, size_t total) {
            return progress->Step(done, total);
        });
    }
    bool missing = false;
    for (const TAuditTitle& title : report.Titles)
        missing = missing || !title.Complete();
    std::function<void()> saveMissing;
    if (missing)
        saveMissing = [this, dat = MissingDat(catalog, report)] { SaveMissingDat(dat); };
    FUserInterface.ShowAudit(
        rtl::Format(rtl::Tr("Audit of \"%s\""), folder.c_str()), AuditSummary(report),
        AuditLines(catalog, report, folder),
        [this](const TAuditLine& line) { OpenAuditPlace(line.Place); }, saveMissing);
}

void TIdentifyHandler::OpenAuditPlace(const TAuditPlace& place) {
    if (place.File.empty())
        return;
    // The container already open is not read again: its edits stay.
    if (FDocument.FileName() != NormalizePath(place.File))
        FDocument.OpenFile(place.File);
    if (place.Row >= 1 && place.Row <= FDocument.DiskImageCount())
        FDocument.SelectRows({place.Row - 1});
}

void TIdentifyHandler::SaveMissingDat(const std::string& dat) {
    if (!FMissingDatDialog) {
        FMissingDatDialog = FUserInterface.NewFileDialog(TFileDialogKind::Save);
        FMissingDatDialog->Title = rtl::Tr("Save Missing Disks");
        FMissingDatDialog->Filter =
            std::string(rtl::Tr("DAT files (*.dat)")) + "|*.dat|" + rtl::Tr("All files") + "|*";
        FMissingDatDialog->DefaultExt = "dat";
        FMissingDatDialog->Options = ofHideReadOnly | ofPathMustExist | ofOverwritePrompt;
    }
    FMissingDatDialog->FileName = "missing.dat";
    if (!FMissingDatDialog->Execute())
        return;
    const std::string path = FMissingDatDialog->FileName;
    rtl::TNewFileStream file(path, rtl::TNaming::Replace);
    file.WriteBuffer(dat.data(), static_cast<int64_t>(dat.size()));
    file.Commit(path);
}
