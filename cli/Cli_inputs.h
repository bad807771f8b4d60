// What the commands of trackwell-cli read besides their arguments: the images of a file as the
// commands that only read see them, the presets that settle a plain dump, and the software lists
// an image is looked up in.
#pragma once

#include "App_diskformats.h"
#include "App_diskimages.h"
#include "App_softwarelists.h"
#include "Cli_arguments.h"
#include "Cli_rows.h"
#include "Rtl_streams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cli {

// Refuses an ambiguous plain dump that no --format settled: rtl::Exception naming the file and
// every candidate.
TFormatChooser FormatChooser();
// The presets, read once for all the inputs of a command, and the --format that settles them.
TFormatSource FormatSourceFor(const std::optional<std::string>& format);

// The image of path when it is a file of another form, read as merge reads it; null for a
// container, or a file in no form, which the editing commands open as a document.
std::unique_ptr<TDiskImageList> LoadOtherForm(const std::string& path);

// How an image's bytes are handed over. InPlace spares copying a container's images where the
// system maps the file: a page never looked at is never read. The file may then be cut while the
// bytes are in use, which shows as zeros; whatever was made of them is to be trusted only once
// ConfirmBytes has vouched for them, and nothing done with them may be seen before.
enum class TImageBytes { Copied, InPlace };

// The images of a file as the commands that only read see them. A container is scanned header by
// header, as a load would accept it, and its images' data read one at a time; a file of any other
// form is read whole, into the one image it holds.
class TImageInput {
public:
    // Scans the file, with the load's refusal of one that holds no image it can read.
    explicit TImageInput(const std::string& path);

    const std::vector<TScannedImage>& Images() const { return FImages; }
    // Whether the file is a container; else it holds its one image in another form.
    bool IsContainer() const { return !FLoaded; }

    // The image at index itself, read afresh.
    std::unique_ptr<TDiskImage> Image(size_t index);
    // The bytes of the image at index, valid until the next call.
    std::span<const uint8_t> Bytes(size_t index, TImageBytes access = TImageBytes::Copied);
    // Fails, as a read of a file that shrank does, when the bytes Bytes last handed over in place
    // were not all the file's to the end of their use.
    void ConfirmBytes() const;

private:
    std::unique_ptr<rtl::TFileStream> FContainer;
    std::unique_ptr<TDiskImageList> FLoaded;
    std::vector<TScannedImage> FImages;
    std::vector<uint8_t> FBuffer;
    std::unique_ptr<rtl::TFileView> FView;
};

using TImageVisit =
    std::function<void(int row, const TScannedImage& image, std::span<const uint8_t> bytes)>;
// Hands each image of file (or of the rows of spans) to visit with its row and bytes. A container
// is accepted whole, header by header, first; then the images are read in order into one buffer,
// or seen in place, so that no more than the largest image is ever held. A file of another form
// holds one image. Bytes in place are confirmed as each visit returns, so such a visit only
// gathers what the command reports once every image has been visited.
void ForEachImage(const std::string& file, const std::optional<std::vector<TRowSpan>>& spans,
                  const TImageVisit& visit, TImageBytes access = TImageBytes::Copied);

// The lists --list names, else MAME's, through the index kept of them; each list left out is
// told as a note.
std::unique_ptr<TSoftwareCatalog> CatalogOf(const TCommandLine& line);

} // namespace cli
