// What the tests of the other forms share: an image written in a form, an image's bytes, and a
// file read in whatever form it is.
#pragma once

#include "App_diskformats.h"
#include "TestSupport.h"

#include <memory>
#include <span>
#include <string>

namespace testsupport {

inline Bytes SavedIn(const TDiskImage& image, TImageForm form) {
    rtl::TMemoryStream stream;
    SaveImageInForm(image, 1, form, stream);
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

inline Bytes ImageBytes(const TDiskImage& image) {
    const std::span<const uint8_t> bytes = image.Bytes();
    return Bytes(bytes.begin(), bytes.end());
}

inline std::unique_ptr<TDiskImageList> Load(const std::string& path,
                                            const TFormatSource& source = {}) {
    auto images = std::make_unique<TDiskImageList>();
    LoadImagesOfAnyForm(path, *images, source);
    return images;
}

} // namespace testsupport
