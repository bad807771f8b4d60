#include "Cli_containers.h"

#include "App_diskformats.h"
#include "App_filehandler.h"
#include "App_filenames.h"
#include "Cli_inputs.h"
#include "Cli_names.h"
#include "Cli_outputs.h"
#include "Cli_rows.h"
#include "Rtl_codepage.h"
#include "Rtl_convert.h"
#include "Rtl_filewriter.h"
#include "Rtl_paths.h"
#include "Rtl_texts.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

namespace {

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

} // namespace

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

// One row goes to OUT itself; several go into the folder OUT under split's numbered names. Every
// image is checked against the form before anything is written, and a failed run removes what it
// wrote, as split does.
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

} // namespace cli
