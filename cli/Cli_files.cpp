#include "Cli_files.h"

#include "App_diskfiles.h"
#include "Cli_inputs.h"
#include "Cli_outputs.h"
#include "Cli_rows.h"
#include "Rtl_codepage.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

namespace {

// The one image a ROW argument names, handed to visit with its file system; refused with the
// core's message when the disk has none the program knows.
template <typename TVisit> void WithFileSystem(const TCommandLine& line, TVisit&& visit) {
    const std::vector<TRowSpan> row = ParseSingleRow(line.Arguments[1]);
    ForEachImage(line.Arguments[0], row,
                 [&](int, const TScannedImage& scanned, std::span<const uint8_t> bytes) {
                     const std::unique_ptr<TFileSystem> fs = OpenFileSystem(bytes);
                     if (!fs) {
                         TDiskImage named;
                         named.RestoreName(scanned.Name);
                         OpenImageFileSystem(named, static_cast<int>(row.front().First));
                     }
                     visit(*fs);
                 });
}

std::string ArgumentPath(const TCommandLine& line, size_t index) {
    return line.Arguments.size() > index ? EncodeFilePath(line.Arguments[index]) : std::string();
}

} // namespace

int RunFs(const TCommandLine& line, std::istream&, std::ostream& out) {
    std::optional<std::vector<TRowSpan>> spans;
    if (line.Arguments.size() > 1)
        spans = ParseRows(line.Arguments[1]);
    std::string text;
    ForEachImage(line.Arguments[0], spans,
                 [&](int row, const TScannedImage&, std::span<const uint8_t> bytes) {
                     text += std::to_string(row);
                     if (const std::unique_ptr<TFileSystem> fs = OpenFileSystem(bytes))
                         text += '\t' + fs->Name() + '\t' + std::to_string(fs->FileCount()) + '\t' +
                                 std::to_string(fs->FreeBytes()) + '\n';
                     else
                         text += "\t-\t-\t-\n";
                 });
    WriteOutput(out, text);
    return ExitSuccess;
}

int RunFiles(const TCommandLine& line, std::istream&, std::ostream& out) {
    const std::string folder = ArgumentPath(line, 2);
    std::string text;
    WithFileSystem(line, [&](const TFileSystem& fs) {
        for (const TFileEntry& entry : fs.List(folder))
            // A listed name holds no control character: its escapes are the ones get takes.
            text += rtl::Cp932ToUtf8(entry.Name) + '\t' + std::to_string(entry.Size) + '\t' +
                    entry.Kind + '\t' + entry.Details + '\n';
    });
    WriteOutput(out, text);
    return ExitSuccess;
}

int RunGet(const TCommandLine& line, std::istream&, std::ostream& out) {
    const std::string path = ArgumentPath(line, 2);
    const std::vector<std::string> parts = SplitFilePath(path);
    std::string target;
    if (line.Arguments.size() > 3)
        target = line.Arguments[3];
    else if (!parts.empty())
        target = LocalFileName(parts.back());
    std::vector<uint8_t> data;
    std::optional<rtl::TLocalTime> date;
    bool folder = false;
    WithFileSystem(line, [&](const TFileSystem& fs) {
        // A folder goes out with everything in it, as the window extracts it.
        const std::optional<TFileEntry> entry = FindFileEntry(fs, path);
        if (entry && entry->Folder) {
            if (target == "-")
                throw rtl::Exception("The program cannot write a folder to standard output.");
            CheckOverwrite(target, line.Force);
            ExtractEntries(fs, {{path, *entry, target, line.Force}});
            folder = true;
            return;
        }
        data = fs.Read(path);
        date = DiskFileDate(fs, path);
    });
    if (folder)
        return ExitSuccess;
    if (target != "-")
        CheckOverwrite(target, line.Force);
    if (target == "-") {
        WriteOutput(out, std::string(data.begin(), data.end()));
        return ExitSuccess;
    }
    WriteNewFile(target, data, line.Force);
    // The date the disk keeps for the file, where it keeps one.
    if (date)
        rtl::SetFileModifiedTime(target, *date);
    return ExitSuccess;
}

} // namespace cli
