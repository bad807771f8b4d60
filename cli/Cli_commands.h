// The commands of trackwell-cli, each declared once in one table that dispatch and the usage text
// are made from, so that neither can name a command the other lacks; the tests hold the manual
// page and the bash completion to that text. Scripts depend on the exact output, messages and
// exit codes the commands give.
#pragma once

#include "App_diskformats.h"
#include "App_softwarelists.h"
#include "Cli_arguments.h"
#include "Cli_rows.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cli {

// Every command, in the order the usage text lists them.
std::span<const TCommand> Commands();

// The blank disk the arguments describe, checked in the order TYPE, C, H, R, N; rtl::Exception
// with the message of the first that is refused.
TDiskFormat ParseDiskFormat(const std::string& type, const std::string& c, const std::string& h,
                            const std::string& r, const std::string& n);

// Refuses an ambiguous plain dump that no --format settled: rtl::Exception naming the file and
// every candidate.
TFormatChooser FormatChooser();
// The presets, read once for all the inputs of a command, and the --format that settles them.
TFormatSource FormatSourceFor(const std::optional<std::string>& format);

// The image of path when it is a file of another form, read as merge reads it; null for a
// container, or a file in no form, which the editing commands open as a document.
std::unique_ptr<TDiskImageList> LoadOtherForm(const std::string& path);

using TImageVisit =
    std::function<void(int row, const TScannedImage& image, std::span<const uint8_t> bytes)>;
// Hands each image of file (or of the rows of spans) to visit with its row and bytes. A container
// is accepted whole, header by header, first; then the images are read in order into one buffer,
// so that no more than the largest image is ever held. A file of another form holds one image.
void ForEachImage(const std::string& file, const std::optional<std::vector<TRowSpan>>& spans,
                  const TImageVisit& visit);

// Refuses to write over path unless force: "The program cannot overwrite the file "…"."
void CheckOverwrite(const std::string& path, bool force);
// Writes data as the file path, which replaces a file there only with force; the refusal is
// CheckOverwrite's, also for a file that appeared while it was written.
void WriteNewFile(const std::string& path, std::span<const uint8_t> data, bool force);

// Tells the user, on standard error beside the errors, what a command did that the output does
// not show: what an input held that its images cannot.
void WriteNote(const std::string& note);
// The lists --list names, else MAME's, through the index kept of them; each list left out is
// told as a note.
std::unique_ptr<TSoftwareCatalog> CatalogOf(const TCommandLine& line);

// Writes text and flushes; rtl::Exception "The program could not write to standard output."
// when that fails, so that lost output ends in a failure exit code.
void WriteOutput(std::ostream& out, const std::string& text);

} // namespace cli
