// Reads arbitrary bytes as a file of each PC-98 form, whatever its signature says. Nothing may
// crash or take memory the file does not account for; a file the detection calls DCP/DCU or DIP
// by its header and size must read; and every image read that an NFD file can hold must write as
// one that reads back as the very same image, byte for byte.
#include "App_pc98forms.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> file(data, size);
    const std::optional<TPc98Form> detected =
        DetectPc98Form(file.first(std::min(size, Pc98HeadSize)), static_cast<int64_t>(size));
    for (const TPc98Form form : {TPc98Form::Nfd, TPc98Form::Fdd, TPc98Form::Dcp, TPc98Form::Dip}) {
        TPc98Read read;
        try {
            read = ReadPc98Form(form, file, "input");
        } catch (const rtl::Exception& e) {
            if (detected == form &&
                (form == TPc98Form::Dcp || (form == TPc98Form::Dip && size == 256 + 1261568)))
                fuzzsupport::Fail("a file whose header and size agree is refused", "an image",
                                  e.Message());
            continue;
        }
        std::vector<uint8_t> nfd;
        try {
            nfd = NfdBytes(*read.Image, 1);
        } catch (const EDiskImageError&) {
            continue;
        }
        TPc98Read again;
        try {
            again = ReadPc98Form(TPc98Form::Nfd, nfd, "again");
        } catch (const rtl::Exception& e) {
            fuzzsupport::Fail("an NFD file written is refused", "an image", e.Message());
        }
        const std::span<const uint8_t> before = read.Image->Bytes();
        const std::span<const uint8_t> after = again.Image->Bytes();
        if (!std::equal(before.begin(), before.end(), after.begin(), after.end()))
            fuzzsupport::Fail("an image written as an NFD file reads back otherwise",
                              std::to_string(before.size()) + " bytes",
                              std::to_string(after.size()) + " bytes, or others");
    }
    return 0;
}
