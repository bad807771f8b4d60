// Reads arbitrary bytes as a disk image file of any form. Whatever is accepted as a plain dump
// or an FDI file must write back as the very sectors it was read from; a DIM file's present
// tracks must come back in order. Anything read, in any form, must survive the plain-sector
// writer's walk of its tracks without a crash. The table holds formats small enough for the
// inputs a fuzzer makes, two of them of one size so that the chooser is exercised too.
#include "App_diskformats.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

const std::vector<TNamedFormat>& Table() {
    static const std::vector<TNamedFormat> table = {
        {"one", {DiskType2D, 1, 1, 1, 0}},
        {"small", {DiskType2D, 2, 2, 4, 0}},
        {"wide", {DiskType2DD, 1, 2, 2, 1}},
        {"long", {DiskType2HD, 1, 1, 8, 0}},
    };
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string path = fuzzsupport::Folder().File("input.img");
    fuzzsupport::WriteFile(path, data, size);
    std::optional<TImageForm> form;
    TDiskImageList images;
    try {
        rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
        form = DetectImageForm(stream, path, Table());
        LoadImagesOfAnyForm(path, images,
                            {Table(), [](const std::string&, const std::vector<TNamedFormat>& c,
                                         size_t likeliest) { return (likeliest + 1) % c.size(); }});
    } catch (const rtl::Exception&) {
        return 0;
    }
    std::vector<uint8_t> sectors;
    for (int row = 0; row < images.Count(); ++row) {
        rtl::TMemoryStream out;
        try {
            SaveImageInForm(*images[row], row + 1, TImageForm::Raw, out);
        } catch (const EDiskImageError&) {
            if (form == TImageForm::Raw || form == TImageForm::Fdi)
                fuzzsupport::Fail("a dump read as plain sectors cannot be written as such", "",
                                  "refused");
            continue;
        }
        sectors.assign(out.Memory(), out.Memory() + out.Size());
    }
    if (form == TImageForm::Raw || form == TImageForm::Fdi) {
        if (sectors.size() > size ||
            std::memcmp(data + (size - sectors.size()), sectors.data(), sectors.size()) != 0)
            fuzzsupport::Fail("plain sectors written back differ from those read", "", "");
    }
    return 0;
}
