#include "Cli_commands.h"

#include "App_diskcheck.h"
#include "App_filehandler.h"
#include "App_softwareindex.h"
#include "App_softwarelists.h"
#include "Cli_audit.h"
#include "Cli_edits.h"
#include "Cli_files.h"
#include "Cli_names.h"
#include "Cli_rows.h"
#include "Rtl_codepage.h"
#include "Rtl_convert.h"
#include "Rtl_paths.h"
#include "Vix_files.h"
#include "Vix_strings.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

namespace cli {

namespace {

[[noreturn]] void RaiseOverwrite(const std::string& path) {
    throw rtl::Exception(
        rtl::Format("The program cannot overwrite the file \"%s\".", path.c_str()));
}

// Refuses early, before any work, what the final naming would refuse anyway.
// Without force the file is named only where nothing is at that moment: a file that appeared
// at OUT while the images were written is not replaced either.
void SaveOutput(const TDiskImageList& images, const std::string& path, bool force) {
    try {
        images.SaveToFile(path, force ? rtl::TNaming::Replace : rtl::TNaming::NoReplace);
    } catch (const rtl::EFileExistsError&) {
        RaiseOverwrite(path);
    }
}

std::unique_ptr<TDiskImageList> LoadImages(const std::string& path, const TFormatSource& source) {
    auto images = std::make_unique<TDiskImageList>();
    LoadImagesOfAnyForm(path, *images, source);
    return images;
}

// Writes count files, save(i, batch) writing the i-th and returning the path it took, and prints
// the paths once every file is on the disk. A failed command leaves nothing behind, and one whose
// list of files is lost has failed: a script cannot clean up files it was never told of. Every
// file of the run was named where nothing was, so removing them restores the folder.
void WriteNumberedFiles(size_t count,
                        const std::function<std::string(size_t, rtl::TFileBatch&)>& save,
                        std::ostream& out) {
    std::vector<std::string> written;
    written.reserve(count);
    try {
        rtl::TFileBatch batch;
        for (size_t i = 0; i < count; ++i)
            written.push_back(save(i, batch));
        FlushSaves(batch);
        std::string text;
        for (const std::string& path : written)
            text += path + '\n';
        WriteOutput(out, text);
    } catch (...) {
        for (const std::string& path : written)
            std::remove(path.c_str());
        throw;
    }
}

TImageForm ParseForm(const std::string& text) {
    if (const std::optional<TImageForm> form = FormOfCliName(text))
        return *form;
    throw EUsageError("unknown form");
}

int32_t ParseByteValue(const std::string& text, const char* field) {
    const std::optional<int32_t> value = rtl::TryStrToInt(text);
    if (!value || *value < 0 || *value > 255)
        throw rtl::Exception(rtl::Format("The program cannot accept the %s value.", field));
    return *value;
}

std::string ListLine(int row, const TScannedImage& image) {
    return std::to_string(row) + '\t' + EscapeName(rtl::Cp932ToUtf8(image.Name)) + '\t' +
           WriteProtectedColumnText(image.WriteProtected) + '\t' +
           DiskTypeColumnText(image.DiskType) + '\t' + std::to_string(image.Size);
}

// The images of a file as the commands that only read see them. A container is scanned header by
// header, as a load would accept it, and its images' data read one at a time; a file of any other
// form is read whole, into the one image it holds.
class TImageInput {
public:
    explicit TImageInput(const std::string& path) : FContainer(OpenContainer(path)) {
        std::exception_ptr refusal;
        try {
            FImages = ScanDiskImages(*FContainer);
            // Only an empty file holds no image: one named as a dump is refused as one below.
            if (!FImages.empty())
                return;
        } catch (const rtl::EFileReadError&) {
            throw;
        } catch (const rtl::Exception&) {
            refusal = std::current_exception();
        }
        const TFormatSource source = FormatSourceFor(std::nullopt);
        TImageFile file(path, source.Table);
        if (file.Form() == TImageForm::D88) {
            // Not another form either: a container's refusal stands.
            if (refusal)
                std::rethrow_exception(refusal);
            return;
        }
        FLoaded = std::make_unique<TDiskImageList>();
        file.LoadInto(*FLoaded, source);
        for (const TDiskImage* image : *FLoaded)
            FImages.push_back(
                {0, image->Name(), image->WriteProtected(), image->DiskType(), image->Size()});
    }

    const std::vector<TScannedImage>& Images() const { return FImages; }
    // Whether the file is a container; else it holds its one image in another form.
    bool IsContainer() const { return !FLoaded; }

    // The image at index itself, read afresh.
    std::unique_ptr<TDiskImage> Image(size_t index) {
        auto image = std::make_unique<TDiskImage>();
        if (FLoaded) {
            image->Assign(*FLoaded->Items(static_cast<int>(index)));
        } else {
            const std::span<const uint8_t> bytes = Bytes(index);
            rtl::TMemoryStream stream;
            stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            stream.SetPosition(0);
            image->LoadFromStream(stream);
        }
        return image;
    }

    // The bytes of the image at index, valid until the next call.
    std::span<const uint8_t> Bytes(size_t index) {
        if (FLoaded)
            return FLoaded->Items(static_cast<int>(index))->Bytes();
        const TScannedImage& image = FImages[index];
        FBuffer.resize(static_cast<size_t>(image.Size));
        try {
            FContainer->SetPosition(image.Offset);
            FContainer->ReadBuffer(FBuffer.data(), image.Size);
        } catch (rtl::EStreamError& e) {
            e.SetMessage("The program could not load the disk images.");
            throw;
        }
        return FBuffer;
    }

private:
    std::unique_ptr<rtl::TFileStream> FContainer;
    std::unique_ptr<TDiskImageList> FLoaded;
    std::vector<TScannedImage> FImages;
    std::vector<uint8_t> FBuffer;
};

// list and sum read each image's header and seek past its data; the lines are printed only once
// the whole container has been accepted, as a load would accept it.
int RunList(const TCommandLine& line, std::istream&, std::ostream& out) {
    std::string text;
    int row = 0;
    const auto add = [&](const TScannedImage& image) {
        text += ListLine(++row, image);
        text += '\n';
    };
    // A container's lines are made as its headers are scanned, nothing else kept of it: a
    // million images take no more than their lines.
    bool listed = false;
    try {
        const std::unique_ptr<rtl::TFileStream> container = OpenContainer(line.Arguments[0]);
        ScanDiskImages(*container, add);
        listed = row > 0;
    } catch (const rtl::EFileReadError&) {
        throw;
    } catch (const rtl::Exception&) {
    }
    // Anything else is settled as every reading command settles it.
    if (!listed) {
        text.clear();
        row = 0;
        const TImageInput input(line.Arguments[0]);
        for (const TScannedImage& image : input.Images())
            add(image);
    }
    WriteOutput(out, text);
    return ExitSuccess;
}

int RunBlank(const TCommandLine& line, std::istream&, std::ostream&) {
    const std::string& path = line.Arguments[0];
    const TDiskFormat format =
        ParseDiskFormat(line.Arguments[1], line.Arguments[2], line.Arguments[3], line.Arguments[4],
                        line.Arguments[5]);
    const std::string name = line.Name ? EncodeName(*line.Name) : std::string();
    CheckOverwrite(path, line.Force);
    auto image = std::make_unique<TDiskImage>(format);
    image->SetName(name);
    if (line.WriteProtected)
        image->SetWriteProtected(WriteProtectedOn);
    TDiskImageList images;
    images.Add(std::move(image));
    SaveOutput(images, path, line.Force);
    return ExitSuccess;
}

int RunMerge(const TCommandLine& line, std::istream&, std::ostream&) {
    const std::string& path = line.Arguments[0];
    CheckOverwrite(path, line.Force);
    // Everything is read before anything is written, so OUT may also be one of the inputs.
    std::vector<std::unique_ptr<TDiskImageList>> inputs;
    TDiskImageList merged(false);
    const TFormatSource source = FormatSourceFor(line.Format);
    for (size_t i = 1; i < line.Arguments.size(); ++i) {
        inputs.push_back(LoadImages(line.Arguments[i], source));
        for (TDiskImage* image : *inputs.back())
            merged.Add(image);
    }
    SaveOutput(merged, path, line.Force);
    return ExitSuccess;
}

int RunExtract(const TCommandLine& line, std::istream&, std::ostream&) {
    const std::vector<TRowSpan> spans = ParseRows(line.Arguments[1]);
    const std::string& path = line.Arguments[2];
    CheckOverwrite(path, line.Force);
    const auto images = LoadImages(line.Arguments[0], FormatSourceFor(std::nullopt));
    TDiskImageList selected(false);
    for (const int index : SelectRows(spans, images->Count()))
        selected.Add(images->Items(index));
    SaveOutput(selected, path, line.Force);
    return ExitSuccess;
}

int RunSplit(const TCommandLine& line, std::istream&, std::ostream& out) {
    const std::string& in = line.Arguments[0];
    const std::string dir = line.Arguments.size() > 1 ? line.Arguments[1] : std::string(".");
    const bool splitExtension = !rtl::ExtractFileExt(in).empty();
    // Checked whole before anything is written, as a load would be, but only header by header:
    // each image then goes from file to file without passing through memory.
    const std::unique_ptr<rtl::TFileStream> container = OpenContainer(in);
    const std::vector<TScannedImage> images = ScanDiskImages(*container);
    WriteNumberedFiles(
        images.size(),
        [&](size_t i, rtl::TFileBatch& batch) {
            const TScannedImage& image = images[i];
            const int row = static_cast<int>(i) + 1;
            return SaveToUniquePath(
                *container, image,
                MultipleFilesPath(dir, rtl::ExtractFileName(in), row, image.Name), splitExtension,
                batch);
        },
        out);
    return ExitSuccess;
}

// One row goes to OUT itself; several go into the folder OUT under split's numbered names. Every
// image is checked against the form before anything is written, and a failed run removes what it
// wrote, as split does.
int RunForms(const TCommandLine&, std::istream&, std::ostream& out) {
    std::string text;
    for (const TImageFormTraits& form : ImageForms()) {
        std::string extensions;
        for (const char* extension : form.Extensions)
            extensions.append(extensions.empty() ? "" : " ").append(extension);
        text.append(rtl::Tr(form.Name)).append("\t").append(form.Writes() ? form.CliName : "-");
        text.append("\t").append(extensions).append("\t").append(rtl::Tr(form.Holds)) += '\n';
    }
    WriteOutput(out, text);
    return ExitSuccess;
}

int RunExport(const TCommandLine& line, std::istream&, std::ostream& out) {
    const TImageForm form = ParseForm(*line.As);
    const std::vector<TRowSpan> spans = ParseRows(line.Arguments[1]);
    const std::string& in = line.Arguments[0];
    const std::string& target = line.Arguments[2];
    const auto images = LoadImages(in, FormatSourceFor(std::nullopt));
    const std::vector<int> rows = SelectRows(spans, images->Count());
    if (form != TImageForm::D88)
        for (const int row : rows)
            CheckImageInForm(*images->Items(row), row + 1, form);
    if (rows.size() == 1) {
        CheckOverwrite(target, line.Force);
        try {
            SaveImageInFormToNewFile(*images->Items(rows[0]), rows[0] + 1, form, target,
                                     line.Force ? rtl::TNaming::Replace : rtl::TNaming::NoReplace,
                                     [](rtl::TNewFileStream& file) {
                                         file.Flush();
                                         file.Commit();
                                     });
        } catch (const rtl::EFileExistsError&) {
            RaiseOverwrite(target);
        }
        return ExitSuccess;
    }
    const std::string documentName = NameInForm(rtl::ExtractFileName(in), form);
    const bool splitExtension = !rtl::ExtractFileExt(documentName).empty();
    WriteNumberedFiles(
        rows.size(),
        [&](size_t i, rtl::TFileBatch& batch) {
            const int row = rows[i];
            const TDiskImage& image = *images->Items(row);
            return SaveToUniquePath(image, row + 1, form,
                                    MultipleFilesPath(target, documentName, row + 1, image.Name()),
                                    splitExtension, batch);
        },
        out);
    return ExitSuccess;
}

} // namespace

void ForEachImage(const std::string& file, const std::optional<std::vector<TRowSpan>>& spans,
                  const TImageVisit& visit) {
    TImageInput input(file);
    const std::vector<TScannedImage>& images = input.Images();
    std::vector<int> rows;
    if (spans) {
        rows = SelectRows(*spans, static_cast<int>(images.size()));
    } else {
        for (size_t i = 0; i < images.size(); ++i)
            rows.push_back(static_cast<int>(i));
    }
    for (const int row : rows)
        visit(row + 1, images[static_cast<size_t>(row)], input.Bytes(static_cast<size_t>(row)));
}

void CheckOverwrite(const std::string& path, bool force) {
    if (!force && rtl::FileOrFolderExists(path))
        RaiseOverwrite(path);
}

void WriteNewFile(const std::string& path, std::span<const uint8_t> data, bool force) {
    rtl::TNewFileStream file(path, force ? rtl::TNaming::Replace : rtl::TNaming::NoReplace);
    file.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    try {
        file.Commit(path);
    } catch (const rtl::EFileExistsError&) {
        RaiseOverwrite(path);
    }
}

namespace {

void ForEachImage(const TCommandLine& line, const TImageVisit& visit) {
    std::optional<std::vector<TRowSpan>> spans;
    if (line.Arguments.size() > 1)
        spans = ParseRows(line.Arguments[1]);
    cli::ForEachImage(line.Arguments[0], spans, visit);
}

// One line per finding: ROW, severity, text. Exit status 1 when an image has a fault.
int RunCheck(const TCommandLine& line, std::istream&, std::ostream& out) {
    std::string text;
    bool fault = false;
    ForEachImage(line, [&](int row, const TScannedImage&, std::span<const uint8_t> bytes) {
        const std::vector<TDiskFinding> findings = CheckDiskImage(bytes);
        for (const TDiskFinding& finding : findings)
            text += std::to_string(row) + '\t' + SeverityText(finding.Severity) + '\t' +
                    finding.Text + '\n';
        fault = fault || HasFault(findings);
    });
    WriteOutput(out, text);
    return fault ? ExitFailure : ExitSuccess;
}

int RunHash(const TCommandLine& line, std::istream&, std::ostream& out) {
    std::optional<rtl::THashAlgorithm> algorithm = rtl::THashAlgorithm::Sha1;
    if (line.Algorithm) {
        algorithm = rtl::ParseHashAlgorithm(*line.Algorithm);
        if (!algorithm)
            throw EUsageError("unknown algorithm");
    }
    std::string text;
    ForEachImage(line, [&](int row, const TScannedImage& image, std::span<const uint8_t> bytes) {
        text += std::to_string(row) + '\t' + TrackDataDigest(bytes, *algorithm) + '\t' +
                EscapeName(rtl::Cp932ToUtf8(image.Name)) + '\n';
    });
    WriteOutput(out, text);
    return ExitSuccess;
}

int RunSum(const TCommandLine& line, std::istream&, std::ostream& out) {
    std::optional<std::vector<TRowSpan>> spans;
    if (line.Arguments.size() > 1)
        spans = ParseRows(line.Arguments[1]);
    std::vector<int32_t> sizes;
    const TImageInput input(line.Arguments[0]);
    for (const TScannedImage& image : input.Images())
        sizes.push_back(image.Size);
    int64_t total = 0;
    if (spans) {
        for (const int index : SelectRows(*spans, static_cast<int>(sizes.size())))
            total += sizes[static_cast<size_t>(index)];
    } else {
        for (const int32_t size : sizes)
            total += size;
    }
    WriteOutput(out, SizeToText(total) + '\n');
    return ExitSuccess;
}

// One line per disk an image is, or a line of dashes for none; exit status 1 when an image is
// none. Without --list, MAME's lists of floppy disks.
int RunIdentify(const TCommandLine& line, std::istream&, std::ostream& out) {
    std::optional<std::vector<TRowSpan>> spans;
    if (line.Arguments.size() > 1)
        spans = ParseRows(line.Arguments[1]);
    const std::unique_ptr<TSoftwareCatalog> lists = CatalogOf(line);
    const TSoftwareCatalog& catalog = *lists;
    TImageInput input(line.Arguments[0]);
    const auto count = static_cast<int>(input.Images().size());
    std::vector<int> rows;
    if (spans) {
        rows = SelectRows(*spans, count);
    } else {
        for (int i = 0; i < count; ++i)
            rows.push_back(i);
    }
    // A file of another form is also looked up as the file it is.
    std::vector<uint8_t> file;
    if (!input.IsContainer()) {
        const std::unique_ptr<rtl::TFileStream> stream = OpenContainer(line.Arguments[0]);
        try {
            file.resize(static_cast<size_t>(stream->Size()));
            stream->ReadBuffer(file.data(), static_cast<int64_t>(file.size()));
        } catch (rtl::EStreamError& e) {
            e.SetMessage("The program could not load the disk images.");
            throw;
        }
    }
    std::string text;
    bool unknown = false;
    for (const int row : rows) {
        const std::vector<uint32_t> disks =
            IdentifyImage(catalog, *input.Image(static_cast<size_t>(row)), file);
        const std::string number = std::to_string(row + 1);
        if (disks.empty()) {
            text += number + "\t-\t-\t-\t-\n";
            unknown = true;
        }
        for (const uint32_t index : disks) {
            const TListedDisk& disk = catalog.Disks()[index];
            const TListedSoftware& software = catalog.Softwares()[disk.Software];
            text += number + '\t' + OneLine(catalog.Lists()[software.List]) + '\t' +
                    OneLine(software.Name) + '\t' + OneLine(disk.Part) + '\t' +
                    OneLine(DescribeSoftware(software)) + '\n';
        }
    }
    WriteOutput(out, text);
    return unknown ? ExitFailure : ExitSuccess;
}

// The usage text shows the commands in this order, the editing ones apart.
constexpr TCommand CommandTable[] = {
    {.Name = "list",
     .Arguments = "FILE",
     .Help = "One line per image: row, name, write-protected, disk type, size (tab-separated).",
     .Handler = RunList},
    {.Name = "blank",
     .Arguments = "OUT TYPE C H R N",
     .Options = OptionName | OptionWriteProtected | OptionForce,
     .Help = "Make OUT a container of one blank formatted image.\n"
             "TYPE is 2D, 2DD or 2HD; C, H, R and N are 0 to 255, decimal or $/0x hex.",
     .Handler = RunBlank},
    {.Name = "merge",
     .Arguments = "OUT IN...",
     .Options = OptionFormat | OptionForce,
     .Help = "Write every image of every IN, in order, to OUT.",
     .Handler = RunMerge},
    {.Name = "extract",
     .Arguments = "IN ROWS OUT",
     .Options = OptionForce,
     .Help = "Write the given images of IN, in ascending row order, to OUT.",
     .Handler = RunExtract},
    {.Name = "split",
     .Arguments = "IN [DIR]",
     .Help = "Write each image of IN to a file of its own in DIR (default: .).",
     .Handler = RunSplit},
    {.Name = "sum",
     .Arguments = "FILE [ROWS]",
     .Help = "Print the total size of all (or the given) images.",
     .Handler = RunSum},
    {.Name = "export",
     .Arguments = "IN ROWS OUT",
     .Options = OptionAs | OptionForce,
     .Help = "Write the given images in the form --as names (the forms `forms` lists as\n"
             "written): one row to the file OUT, several to numbered files in the folder OUT\n"
             "(printed).",
     .Handler = RunExport},
    {.Name = "forms",
     .Arguments = "",
     .Help = "One line per form of disk file read: name, the --as name of a form also written\n"
             "(- for one only read), extensions, what one file holds (tab-separated).",
     .Handler = RunForms},
    // A failure exits with 2, since 1 says that an image has a fault: a script tells them apart.
    {.Name = "check",
     .Arguments = "FILE [ROWS]",
     .Help = "Walk the track table and sectors of all (or the given) images; one line per\n"
             "finding: row, error|warning|note, text (tab-separated). Exit status 0 when no\n"
             "image has an error or warning, 1 when one has, 2 when the check fails.",
     .FailureExitCode = ExitUsage,
     .Handler = RunCheck},
    {.Name = "hash",
     .Arguments = "FILE [ROWS]",
     .Options = OptionAlgorithm,
     .Help = "One line per image: row, digest of its track data (all but the name, write\n"
             "protection, type and size; default sha1), name.",
     .Handler = RunHash},
    {.Name = "identify",
     .Arguments = "FILE [ROWS]",
     .Options = OptionList,
     .Help = "One line per disk each image is in MAME's software lists of floppy disks, or in\n"
             "the lists and DAT files given (files or folders): row, list, software, part,\n"
             "title (tab-separated); dashes for an image in none. A list that cannot be read is\n"
             "left out with a note on standard error. Exit status 0 when every image was found,\n"
             "1 when one was not, 2 when identifying fails.",
     .FailureExitCode = ExitUsage,
     .Handler = RunIdentify},
    {.Name = "audit",
     .Arguments = "PATH...",
     .Options = OptionList | OptionReportFormat | OptionMissingDat | OptionAll,
     .Help = "Identify every image of the files PATH and of the disk files under the folders\n"
             "PATH, and report by title: complete, or incomplete with its missing disks\n"
             "(every title of the lists with --all); disks found in several places; unknown\n"
             "images; unreadable files. --missing-dat writes a DAT of the missing disks. Exit\n"
             "status 0 when every title found is complete and every file was read, 1 when\n"
             "not, 2 when the audit fails.",
     .FailureExitCode = ExitUsage,
     .Handler = RunAudit},
    {.Name = "fs",
     .Arguments = "FILE [ROWS]",
     .Help = "One line per image: row, file system (FAT12, N88-BASIC, Hu-BASIC, CP/M, or - for\n"
             "none known), files, free bytes (tab-separated).",
     .Handler = RunFs},
    {.Name = "files",
     .Arguments = "FILE ROW [FOLDER]",
     .Help = "One line per entry of the root folder (or FOLDER, parted by /) of the disk of ROW:\n"
             "name, size, kind (folder or the file system's type), details (tab-separated).",
     .Handler = RunFiles},
    {.Name = "get",
     .Arguments = "FILE ROW PATH [OUT]",
     .Options = OptionForce,
     .Help = "Write the file PATH of the disk of ROW to OUT (default: its name in the current\n"
             "folder; - for standard output). A folder is written with everything in it; with\n"
             "--force into an OUT that exists, replacing its files of the same names.",
     .Handler = RunGet},
    {.Name = "rename",
     .Arguments = "FILE ROW NAME",
     .Options = OptionBackup,
     .Help = "Set the name of one image (UTF-8; at most 16 bytes in code page 932).",
     .Editing = true,
     .Handler = RunRename},
    {.Name = "names",
     .Arguments = "FILE [ROWS]",
     .Help = "Print the names of all (or the given) images, one per line (UTF-8).",
     .Editing = true,
     .Handler = RunNames},
    {.Name = "paste-names",
     .Arguments = "FILE ROWS",
     .Options = OptionBackup,
     .Help = "Set the names of the given images from the lines of standard input, one per row.",
     .Editing = true,
     .Handler = RunPasteNames,
     .Input = "< TEXT"},
    {.Name = "protect",
     .Arguments = "FILE ROWS yes|no|toggle",
     .Options = OptionBackup,
     .Help = "Set, clear or toggle the write protection of the given images.",
     .Editing = true,
     .Handler = RunProtect},
    {.Name = "delete",
     .Arguments = "FILE ROWS",
     .Options = OptionBackup,
     .Help = "Remove the given images.",
     .Editing = true,
     .Handler = RunDelete},
    {.Name = "duplicate",
     .Arguments = "FILE ROWS",
     .Options = OptionBackup,
     .Help = "Append a copy of each given image.",
     .Editing = true,
     .Handler = RunDuplicate},
    {.Name = "add",
     .Arguments = "FILE IN...",
     .Options = OptionFormat | OptionBackup,
     .Help = "Append every image of every IN, the files taken in path order.",
     .Editing = true,
     .Handler = RunAdd},
    {.Name = "add-blank",
     .Arguments = "FILE TYPE C H R N",
     .Options = OptionBackup,
     .Help = "Append one blank formatted image; TYPE, C, H, R and N as for blank.",
     .Editing = true,
     .Handler = RunAddBlank},
    {.Name = "sort",
     .Arguments = "FILE name|write-protected|disk-type|size",
     .Options = OptionBackup,
     .Help = "Sort the images; equal ones keep their order.",
     .Editing = true,
     .Handler = RunSort},
    {.Name = "reverse",
     .Arguments = "FILE",
     .Options = OptionBackup,
     .Help = "Reverse the order of the images.",
     .Editing = true,
     .Handler = RunReverse},
    {.Name = "move",
     .Arguments = "FILE ROWS up|down",
     .Options = OptionBackup,
     .Help = "Move the given images one place up or down.",
     .Editing = true,
     .Handler = RunMove},
    {.Name = "put",
     .Arguments = "FILE ROW IN [PATH]",
     .Options = OptionForce | OptionBackup,
     .Help = "Write the file IN onto the disk of ROW as PATH (default: IN's name in the root\n"
             "folder); a file of that name is replaced only with --force. A folder IN is\n"
             "written with everything in it; with --force into a folder the disk has.",
     .Editing = true,
     .Handler = RunPut},
    {.Name = "delete-file",
     .Arguments = "FILE ROW PATH...",
     .Options = OptionRecursive | OptionBackup,
     .Help = "Delete the files PATH from the disk of ROW, all or none; a folder that holds\n"
             "anything only with --recursive, with everything in it.",
     .Editing = true,
     .Handler = RunDeleteFile},
    {.Name = "mkdir",
     .Arguments = "FILE ROW PATH",
     .Options = OptionBackup,
     .Help = "Make the empty folder PATH on the disk of ROW (FAT12 disks have folders).",
     .Editing = true,
     .Handler = RunMakeFolder},
    {.Name = "rename-file",
     .Arguments = "FILE ROW PATH NEWNAME",
     .Options = OptionBackup,
     .Help = "Give the file PATH on the disk of ROW the name NEWNAME in its folder.",
     .Editing = true,
     .Handler = RunRenameFile},
};

} // namespace

std::span<const TCommand> Commands() {
    return CommandTable;
}

TFormatSource FormatSourceFor(const std::optional<std::string>& format) {
    const TPresetList presets = ReadPresets(PresetsFileName());
    TFormatSource source{NamedFormats(presets), FormatChooser(), format, PresetFormats(presets)};
    source.Note = WriteNote;
    return source;
}

std::unique_ptr<TSoftwareCatalog> CatalogOf(const TCommandLine& line) {
    std::unique_ptr<TSoftwareCatalog> catalog = LoadSoftwareCatalog(
        line.Lists.empty() ? std::vector<std::string>{MameHashFolder} : line.Lists,
        SoftwareIndexFolder());
    // A list left out does not stop the others, but the user learns which it was before an image
    // it names shows dashes.
    for (const std::string& note : catalog->Notes())
        WriteNote("note: " + note);
    return catalog;
}

TFormatChooser FormatChooser() {
    // Asked only when no --format named the dumps' preset.
    return [](const std::string& path, const std::vector<TNamedFormat>& candidates,
              size_t) -> size_t {
        std::string names;
        for (size_t i = 0; i < candidates.size(); ++i)
            names += (i > 0 ? ", \"" : "\"") + candidates[i].Name + '"';
        throw rtl::Exception(rtl::Format("The disk image \"%s\" fits more than one disk format; "
                                         "name one with --format: %s.",
                                         path.c_str(), names.c_str()));
    };
}

std::unique_ptr<TDiskImageList> LoadOtherForm(const std::string& path) {
    const TFormatSource source = FormatSourceFor(std::nullopt);
    TImageFile file(path, source.Table);
    if (file.Form() == TImageForm::D88)
        return nullptr;
    auto images = std::make_unique<TDiskImageList>();
    file.LoadInto(*images, source);
    return images;
}

// Results are gathered first and written at once, so that a failure to write them is found
// and reported with the exit code instead of passing unnoticed.
void WriteOutput(std::ostream& out, const std::string& text) {
    out << text;
    out.flush();
    if (!out)
        throw rtl::Exception("The program could not write to standard output.");
}

TDiskFormat ParseDiskFormat(const std::string& type, const std::string& c, const std::string& h,
                            const std::string& r, const std::string& n) {
    TDiskFormat format;
    if (type == "2D")
        format.DiskType = DiskType2D;
    else if (type == "2DD")
        format.DiskType = DiskType2DD;
    else if (type == "2HD")
        format.DiskType = DiskType2HD;
    else
        throw rtl::Exception("The program does not support the disk type.");
    format.C = ParseByteValue(c, "C");
    format.H = ParseByteValue(h, "H");
    format.R = ParseByteValue(r, "R");
    format.N = ParseByteValue(n, "N");
    return format;
}

} // namespace cli
