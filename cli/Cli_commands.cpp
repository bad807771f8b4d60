#include "Cli_commands.h"

#include "App_diskcheck.h"
#include "App_filehandler.h"
#include "Cli_edits.h"
#include "Rtl_codepage.h"
#include "Rtl_convert.h"
#include "Rtl_paths.h"
#include "Rtl_sysio.h"
#include "Vix_files.h"

#include <cerrno>
#include <cstdio>
#include <functional>
#include <istream>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <span>
#include <streambuf>
#include <unistd.h>

namespace cli {

namespace {

constexpr const char* ProgramName = "trackwell-cli";

// Which options a subcommand takes; anything else is a usage error for it.
enum TOption : unsigned {
    OptionForce = 1,
    OptionName = 2,
    OptionWriteProtected = 4,
    OptionBackup = 8,
    OptionFormat = 16,
    OptionAs = 32,
    OptionAlgorithm = 64,
};

struct TCommand {
    const char* Name;
    size_t MinArguments;
    size_t MaxArguments;
    unsigned Options;
};

constexpr size_t Unlimited = static_cast<size_t>(-1);

constexpr TCommand Commands[] = {
    {"list", 1, 1, 0},
    {"blank", 6, 6, OptionForce | OptionName | OptionWriteProtected},
    {"merge", 2, Unlimited, OptionForce | OptionFormat},
    {"extract", 3, 3, OptionForce},
    {"split", 1, 2, 0},
    {"sum", 1, 2, 0},
    {"export", 3, 3, OptionForce | OptionAs},
    {"check", 1, 2, 0},
    {"hash", 1, 2, OptionAlgorithm},
    {"rename", 3, 3, OptionBackup},
    {"names", 1, 2, 0},
    {"paste-names", 2, 2, OptionBackup},
    {"protect", 3, 3, OptionBackup},
    {"delete", 2, 2, OptionBackup},
    {"duplicate", 2, 2, OptionBackup},
    {"add", 2, Unlimited, OptionBackup | OptionFormat},
    {"add-blank", 6, 6, OptionBackup},
    {"sort", 2, 2, OptionBackup},
    {"reverse", 1, 1, OptionBackup},
    {"move", 3, 3, OptionBackup},
};

struct TCommandLine {
    const TCommand* Command = nullptr;
    std::vector<std::string> Arguments;
    bool Help = false;
    bool Force = false;
    bool WriteProtected = false;
    bool Backup = false;
    std::optional<std::string> Name;
    std::optional<std::string> Format;
    std::optional<std::string> As;
    std::optional<std::string> Algorithm;
};

// A leading '-' followed by a digit or '$' is a negative number, not an option: without this
// rule `blank OUT 2D -1 ...` would be a usage error instead of the C value's own refusal.
bool IsOption(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-')
        return false;
    const char next = arg[1];
    return !((next >= '0' && next <= '9') || next == '$');
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

// Where an option that takes a value keeps it, for a command that takes it; nullptr otherwise.
std::optional<std::string>* ValueOption(TCommandLine& line, const std::string& arg,
                                        unsigned allowed) {
    const struct {
        const char* Name;
        unsigned Option;
        std::optional<std::string> TCommandLine::*Value;
    } options[] = {{"--name", OptionName, &TCommandLine::Name},
                   {"--format", OptionFormat, &TCommandLine::Format},
                   {"--as", OptionAs, &TCommandLine::As},
                   {"--algorithm", OptionAlgorithm, &TCommandLine::Algorithm}};
    for (const auto& option : options)
        if (arg == option.Name && (allowed & option.Option) != 0)
            return &(line.*option.Value);
    return nullptr;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine line;
    if (args.empty())
        throw EUsageError("no command");
    if (IsHelp(args[0])) {
        line.Help = true;
        return line;
    }
    for (const TCommand& command : Commands)
        if (args[0] == command.Name)
            line.Command = &command;
    if (line.Command == nullptr)
        throw EUsageError("unknown command");

    const unsigned allowed = line.Command->Options;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            line.Arguments.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (IsHelp(arg)) {
            line.Help = true;
            return line;
        } else if (arg == "--force" && (allowed & OptionForce) != 0) {
            line.Force = true;
        } else if (arg == "--write-protected" && (allowed & OptionWriteProtected) != 0) {
            line.WriteProtected = true;
        } else if (arg == "--backup" && (allowed & OptionBackup) != 0) {
            line.Backup = true;
        } else if (std::optional<std::string>* value = ValueOption(line, arg, allowed)) {
            if (i + 1 >= args.size())
                throw EUsageError("missing option value");
            *value = args[++i];
        } else {
            throw EUsageError("unknown option");
        }
    }
    const size_t count = line.Arguments.size();
    if (count < line.Command->MinArguments || count > line.Command->MaxArguments)
        throw EUsageError("wrong argument count");
    if ((allowed & OptionAs) != 0 && !line.As)
        throw EUsageError("missing --as");
    return line;
}

// Compares two runs of decimal digits by value, whatever their length.
int CompareDecimal(std::string_view a, std::string_view b) {
    const auto strip = [](std::string_view s) {
        const size_t first = s.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : s.substr(first);
    };
    a = strip(a);
    b = strip(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int64_t ParseRowNumber(std::string_view text) {
    if (text.empty())
        throw EUsageError("missing row number");
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            throw EUsageError("row number is not a decimal number");
        const int digit = c - '0';
        value = value > (INT64_MAX - digit) / 10 ? INT64_MAX : value * 10 + digit;
    }
    return value;
}

[[noreturn]] void RaiseOverwrite(const std::string& path) {
    throw rtl::Exception(
        rtl::Format("The program cannot overwrite the file \"%s\".", path.c_str()));
}

// Refuses early, before any work, what the final naming would refuse anyway.
void CheckOverwrite(const std::string& path, bool force) {
    if (!force && rtl::FileOrFolderExists(path))
        RaiseOverwrite(path);
}

// Without force the file is named only where nothing is at that moment: a file that appeared
// at OUT while the images were written is not replaced either.
void SaveOutput(const TDiskImageList& images, const std::string& path, bool force) {
    try {
        images.SaveToFile(path, force ? rtl::TNaming::Replace : rtl::TNaming::NoReplace);
    } catch (const rtl::EFileExistsError&) {
        RaiseOverwrite(path);
    }
}

// The presets, read once for all the inputs of a command, and the --format that settles them.
TFormatSource FormatSourceFor(const std::optional<std::string>& format) {
    const TPresetList presets = ReadPresets(PresetsFileName());
    return {NamedFormats(presets), FormatChooser(), format, PresetFormats(presets)};
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
    if (text == "raw")
        return TImageForm::Raw;
    if (text == "fdi")
        return TImageForm::Fdi;
    if (text == "d88")
        return TImageForm::D88;
    throw EUsageError("unknown form");
}

int32_t ParseByteValue(const std::string& text, const char* field) {
    const std::optional<int32_t> value = rtl::TryStrToInt(text);
    if (!value || *value < 0 || *value > 255)
        throw rtl::Exception(rtl::Format("The program cannot accept the %s value.", field));
    return *value;
}

// list and sum read each image's header and seek past its data; the lines are printed only once
// the whole container has been accepted, as a load would accept it.
void RunList(const TCommandLine& line, std::ostream& out) {
    const std::unique_ptr<rtl::TFileStream> container = OpenContainer(line.Arguments[0]);
    std::string text;
    int row = 0;
    ScanDiskImages(*container, [&](const TScannedImage& image) {
        text += ListLine(++row, image);
        text += '\n';
    });
    WriteOutput(out, text);
}

void RunBlank(const TCommandLine& line) {
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
}

void RunMerge(const TCommandLine& line) {
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
}

void RunExtract(const TCommandLine& line) {
    const std::vector<TRowSpan> spans = ParseRows(line.Arguments[1]);
    const std::string& path = line.Arguments[2];
    CheckOverwrite(path, line.Force);
    const auto images = LoadImages(line.Arguments[0], FormatSourceFor(std::nullopt));
    TDiskImageList selected(false);
    for (const int index : SelectRows(spans, images->Count()))
        selected.Add(images->Items(index));
    SaveOutput(selected, path, line.Force);
}

void RunSplit(const TCommandLine& line, std::ostream& out) {
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
}

// One row goes to OUT itself; several go into the folder OUT under split's numbered names. Every
// image is checked against the form before anything is written, and a failed run removes what it
// wrote, as split does.
void RunExport(const TCommandLine& line, std::ostream& out) {
    const TImageForm form = ParseForm(*line.As);
    const std::vector<TRowSpan> spans = ParseRows(line.Arguments[1]);
    const std::string& in = line.Arguments[0];
    const std::string& target = line.Arguments[2];
    const auto images = LoadImages(in, FormatSourceFor(std::nullopt));
    const std::vector<int> rows = SelectRows(spans, images->Count());
    if (form != TImageForm::D88)
        for (const int row : rows)
            PlainGeometry(*images->Items(row), row + 1);
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
        return;
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
}

// Hands each image of FILE (or of ROWS of it) to visit with its row and bytes. The container is
// accepted whole, header by header, first; then the images are read in order into one buffer,
// so that no more than the largest image is ever held.
void ForEachImage(const TCommandLine& line,
                  const std::function<void(int row, const TScannedImage& image,
                                           std::span<const uint8_t> bytes)>& visit) {
    std::optional<std::vector<TRowSpan>> spans;
    if (line.Arguments.size() > 1)
        spans = ParseRows(line.Arguments[1]);
    const std::unique_ptr<rtl::TFileStream> container = OpenContainer(line.Arguments[0]);
    const std::vector<TScannedImage> images = ScanDiskImages(*container);
    std::vector<int> rows;
    if (spans) {
        rows = SelectRows(*spans, static_cast<int>(images.size()));
    } else {
        for (size_t i = 0; i < images.size(); ++i)
            rows.push_back(static_cast<int>(i));
    }
    std::vector<uint8_t> buffer;
    for (const int row : rows) {
        const TScannedImage& image = images[static_cast<size_t>(row)];
        buffer.resize(static_cast<size_t>(image.Size));
        try {
            container->SetPosition(image.Offset);
            container->ReadBuffer(buffer.data(), image.Size);
        } catch (rtl::EStreamError& e) {
            e.SetMessage("The program could not load the disk images.");
            throw;
        }
        visit(row + 1, image, buffer);
    }
}

// One line per finding: ROW, severity, text. Exit status 1 when an image has a fault.
int RunCheck(const TCommandLine& line, std::ostream& out) {
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

void RunHash(const TCommandLine& line, std::ostream& out) {
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
}

void RunSum(const TCommandLine& line, std::ostream& out) {
    std::optional<std::vector<TRowSpan>> spans;
    if (line.Arguments.size() > 1)
        spans = ParseRows(line.Arguments[1]);
    const std::unique_ptr<rtl::TFileStream> container = OpenContainer(line.Arguments[0]);
    std::vector<int32_t> sizes;
    ScanDiskImages(*container, [&](const TScannedImage& image) { sizes.push_back(image.Size); });
    int64_t total = 0;
    if (spans) {
        for (const int index : SelectRows(*spans, static_cast<int>(sizes.size())))
            total += sizes[static_cast<size_t>(index)];
    } else {
        for (const int32_t size : sizes)
            total += size;
    }
    WriteOutput(out, SizeToText(total) + '\n');
}

int Dispatch(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
    const TCommandLine line = ParseCommandLine(args);
    if (line.Help) {
        WriteOutput(out, UsageText());
        return ExitSuccess;
    }
    const std::string command = line.Command->Name;
    if (command == "list")
        RunList(line, out);
    else if (command == "blank")
        RunBlank(line);
    else if (command == "merge")
        RunMerge(line);
    else if (command == "extract")
        RunExtract(line);
    else if (command == "split")
        RunSplit(line, out);
    else if (command == "sum")
        RunSum(line, out);
    else if (command == "export")
        RunExport(line, out);
    else if (command == "check")
        return RunCheck(line, out);
    else if (command == "hash")
        RunHash(line, out);
    else
        RunEdit(command, line.Arguments, line.Backup, line.Format, in, out);
    return ExitSuccess;
}

void WriteError(std::ostream& err, const std::string& message) {
    err << ProgramName << ": " << message << '\n';
    err.flush();
}

// The process's standard input, read only as far as asked. std::cin takes a failed read for the
// end of the input; here it raises, which the stream turns into its bad state, so that a command
// can tell input it could not read from input that has ended.
class TStandardInputBuffer : public std::streambuf {
protected:
    int_type underflow() override {
        const ssize_t count = rtl::ReadSome(STDIN_FILENO, FBuffer, sizeof FBuffer);
        if (count < 0)
            throw rtl::Exception("The program could not read standard input.");
        if (count == 0)
            return traits_type::eof();
        setg(FBuffer, FBuffer, FBuffer + count);
        return traits_type::to_int_type(FBuffer[0]);
    }

private:
    char FBuffer[4096];
};

} // namespace

const std::string& UsageText() {
    static const std::string text =
        "Usage: trackwell-cli COMMAND [ARGUMENTS] [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  list FILE\n"
        "      One line per image: row, name, write-protected, disk type, size (tab-separated).\n"
        "  blank OUT TYPE C H R N [--name NAME] [--write-protected] [--force]\n"
        "      Make OUT a container of one blank formatted image.\n"
        "      TYPE is 2D, 2DD or 2HD; C, H, R and N are 0 to 255, decimal or $/0x hex.\n"
        "  merge OUT IN... [--format NAME] [--force]\n"
        "      Write every image of every IN, in order, to OUT.\n"
        "  extract IN ROWS OUT [--force]\n"
        "      Write the given images of IN, in ascending row order, to OUT.\n"
        "  split IN [DIR]\n"
        "      Write each image of IN to a file of its own in DIR (default: .).\n"
        "  sum FILE [ROWS]\n"
        "      Print the total size of all (or the given) images.\n"
        "  export IN ROWS OUT --as raw|fdi|d88 [--force]\n"
        "      Write the given images as plain sector dumps, FDI files or containers: one row\n"
        "      to the file OUT, several to numbered files in the folder OUT (printed).\n"
        "  check FILE [ROWS]\n"
        "      Walk the track table and sectors of all (or the given) images; one line per\n"
        "      finding: row, error|warning|note, text (tab-separated). Exit status 0 when no\n"
        "      image has an error or warning, 1 when one has, 2 when the check fails.\n"
        "  hash FILE [ROWS] [--algorithm crc32|md5|sha1]\n"
        "      One line per image: row, digest of its track data (all but the name, write\n"
        "      protection, type and size; default sha1), name.\n"
        "\n"
        "Editing commands (FILE is changed in place):\n"
        "  rename FILE ROW NAME [--backup]\n"
        "      Set the name of one image (UTF-8; at most 16 bytes in code page 932).\n"
        "  names FILE [ROWS]\n"
        "      Print the names of all (or the given) images, one per line (UTF-8).\n"
        "  paste-names FILE ROWS [--backup] < TEXT\n"
        "      Set the names of the given images from the lines of standard input, one per row.\n"
        "  protect FILE ROWS yes|no|toggle [--backup]\n"
        "      Set, clear or toggle the write protection of the given images.\n"
        "  delete FILE ROWS [--backup]\n"
        "      Remove the given images.\n"
        "  duplicate FILE ROWS [--backup]\n"
        "      Append a copy of each given image.\n"
        "  add FILE IN... [--format NAME] [--backup]\n"
        "      Append every image of every IN, the files taken in path order.\n"
        "  add-blank FILE TYPE C H R N [--backup]\n"
        "      Append one blank formatted image; TYPE, C, H, R and N as for blank.\n"
        "  sort FILE name|write-protected|disk-type|size [--backup]\n"
        "      Sort the images; equal ones keep their order.\n"
        "  reverse FILE [--backup]\n"
        "      Reverse the order of the images.\n"
        "  move FILE ROWS up|down [--backup]\n"
        "      Move the given images one place up or down.\n"
        "\n"
        "ROWS are rows from 1, comma-separated, with ranges: 1,3-5.\n"
        "list and names print a control character (0x00-0x1F, 0x7F) in a name as \\xNN, NN two\n"
        "upper-case hex digits, and a backslash as \\\\; paste-names reads both back (hex digits\n"
        "in either case, \\x00 to \\x7F) and refuses any other backslash.\n"
        "IN of merge and add may be a container, an FDI or DIM file, or a plain sector dump\n"
        "whose size gives its geometry from Presets.dat; where several presets have that\n"
        "size, --format NAME names the preset.\n"
        "Without --force an existing OUT is never replaced.\n"
        "An editing command that fails leaves FILE as it was. --backup first copies FILE to\n"
        "\"[Backup] NAME\" beside it, numbered so that no earlier backup is replaced.\n"
        "Options may stand anywhere after the command; -- ends the options.\n"
        "  trackwell-cli --help   Print this text.\n";
    return text;
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

// Results are gathered first and written at once, so that a failure to write them is found
// and reported with the exit code instead of passing unnoticed.
void WriteOutput(std::ostream& out, const std::string& text) {
    out << text;
    out.flush();
    if (!out)
        throw rtl::Exception("The program could not write to standard output.");
}

std::vector<TRowSpan> ParseRows(std::string_view text) {
    std::vector<TRowSpan> spans;
    size_t position = 0;
    for (;;) {
        const size_t comma = text.find(',', position);
        const std::string_view item = text.substr(
            position, comma == std::string_view::npos ? std::string_view::npos : comma - position);
        const size_t dash = item.find('-');
        const std::string_view first = item.substr(0, dash);
        const std::string_view last = dash == std::string_view::npos ? item : item.substr(dash + 1);
        TRowSpan span;
        span.First = ParseRowNumber(first);
        span.Last = ParseRowNumber(last);
        if (CompareDecimal(first, last) > 0)
            throw EUsageError("descending range");
        span.FirstText = std::string(first);
        span.LastText = std::string(last);
        spans.push_back(std::move(span));
        if (comma == std::string_view::npos)
            break;
        position = comma + 1;
    }
    return spans;
}

std::vector<int> SelectRows(const std::vector<TRowSpan>& spans, int count) {
    const auto check = [count](int64_t row, const std::string& text) {
        if (row < 1 || row > count)
            throw rtl::Exception(
                rtl::Format("The program cannot accept the row number %s.", text.c_str()));
    };
    for (const TRowSpan& span : spans) {
        check(span.First, span.FirstText);
        check(span.Last, span.LastText);
    }
    // Every span lies within 1..count now, so marking them costs no more than count.
    std::vector<bool> chosen(static_cast<size_t>(count), false);
    for (const TRowSpan& span : spans)
        for (int64_t row = span.First; row <= span.Last; ++row)
            chosen[static_cast<size_t>(row - 1)] = true;
    std::vector<int> indexes;
    for (int i = 0; i < count; ++i)
        if (chosen[static_cast<size_t>(i)])
            indexes.push_back(i);
    return indexes;
}

std::string ListLine(int row, const TScannedImage& image) {
    return std::to_string(row) + '\t' + EscapeName(rtl::Cp932ToUtf8(image.Name)) + '\t' +
           WriteProtectedColumnText(image.WriteProtected) + '\t' +
           DiskTypeColumnText(image.DiskType) + '\t' + std::to_string(image.Size);
}

// Bytes below 0x80 are whole characters in UTF-8, so testing byte by byte never splits one; a
// code page 932 character whose trail byte is 0x5C is one multi-byte character by now.
std::string EscapeName(std::string_view utf8Name) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(utf8Name.size());
    for (const char c : utf8Name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            text += Digits[byte >> 4];
            text += Digits[byte & 0x0F];
        } else if (c == '\\') {
            text += "\\\\";
        } else {
            text += c;
        }
    }
    return text;
}

std::optional<std::string> UnescapeName(std::string_view text) {
    const auto hexDigit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string name;
    name.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\\') {
            name += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hexDigit(text[i + 2]) >= 0 &&
                   hexDigit(text[i + 3]) >= 0) {
            const int value = hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]);
            // Above 0x7F the byte would be a piece of some UTF-8 character, not a character.
            if (value > 0x7F)
                return std::nullopt;
            name += static_cast<char>(value);
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return name;
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

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
    try {
        return Dispatch(args, in, out);
    } catch (const EUsageError&) {
        err << UsageText();
        err.flush();
        return ExitUsage;
    } catch (const rtl::Exception& e) {
        WriteError(err, e.Message());
        // Beneath the program's sentence, the system's word on what went wrong and where.
        if (!e.Reason().empty())
            WriteError(err, e.Reason());
    } catch (const std::bad_alloc&) {
        WriteError(err, "Out of memory.");
    } catch (const std::exception& e) {
        WriteError(err, e.what());
    }
    // check keeps 1 for images with faults, so that a script can tell them from a failure.
    return !args.empty() && args[0] == "check" ? ExitUsage : ExitFailure;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TStandardInputBuffer buffer;
    std::istream in(&buffer);
    return Run(args, in, out, err);
}

} // namespace cli
