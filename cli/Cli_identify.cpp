#include "Cli_identify.h"

#include "App_diskcheck.h"
#include "App_diskimages.h"
#include "App_softwarelists.h"
#include "Cli_inputs.h"
#include "Cli_names.h"
#include "Cli_outputs.h"
#include "Cli_rows.h"
#include "Rtl_codepage.h"
#include "Rtl_hashes.h"
#include "Rtl_streams.h"
#include "Vix_strings.h"

#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace cli {

namespace {

// FILE [ROWS]: the rows given, or none for every image.
std::optional<std::vector<TRowSpan>> RowsArgument(const TCommandLine& line) {
    if (line.Arguments.size() > 1)
        return ParseRows(line.Arguments[1]);
    return std::nullopt;
}

void ForEachImage(const TCommandLine& line, const TImageVisit& visit, TImageBytes access) {
    cli::ForEachImage(line.Arguments[0], RowsArgument(line), visit, access);
}

} // namespace

// One line per finding: ROW, severity, text. Exit status 1 when an image has a fault.
int RunCheck(const TCommandLine& line, std::istream&, std::ostream& out) {
    std::string text;
    bool fault = false;
    // The walk looks at the track table and the sector headers alone, and only gathers lines: the
    // images are seen in place, and the bytes between the headers are never copied.
    ForEachImage(
        line,
        [&](int row, const TScannedImage&, std::span<const uint8_t> bytes) {
            const std::vector<TDiskFinding> findings = CheckDiskImage(bytes);
            for (const TDiskFinding& finding : findings)
                text += std::to_string(row) + '\t' + SeverityText(finding.Severity) + '\t' +
                        finding.Text + '\n';
            fault = fault || HasFault(findings);
        },
        TImageBytes::InPlace);
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
    // A digest reads every byte, which a copy hands it faster than page faults in place do.
    ForEachImage(
        line,
        [&](int row, const TScannedImage& image, std::span<const uint8_t> bytes) {
            text += std::to_string(row) + '\t' + TrackDataDigest(bytes, *algorithm) + '\t' +
                    EscapeName(rtl::Cp932ToUtf8(image.Name)) + '\n';
        },
        TImageBytes::Copied);
    WriteOutput(out, text);
    return ExitSuccess;
}

int RunSum(const TCommandLine& line, std::istream&, std::ostream& out) {
    const std::optional<std::vector<TRowSpan>> spans = RowsArgument(line);
    const TImageInput input(line.Arguments[0]);
    const std::vector<TScannedImage>& images = input.Images();
    int64_t total = 0;
    for (const int index : SelectRows(spans, static_cast<int>(images.size())))
        total += images[static_cast<size_t>(index)].Size;
    WriteOutput(out, SizeToText(total) + '\n');
    return ExitSuccess;
}

// One line per disk an image is, or a line of dashes for none; exit status 1 when an image is
// none. Without --list, MAME's lists of floppy disks.
int RunIdentify(const TCommandLine& line, std::istream&, std::ostream& out) {
    const std::optional<std::vector<TRowSpan>> spans = RowsArgument(line);
    const std::unique_ptr<TSoftwareCatalog> lists = CatalogOf(line);
    const TSoftwareCatalog& catalog = *lists;
    TImageInput input(line.Arguments[0]);
    const std::vector<int> rows = SelectRows(spans, static_cast<int>(input.Images().size()));
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

} // namespace cli
