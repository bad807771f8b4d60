#include "Cli_inputs.h"

#include "App_disklayout.h"
#include "App_presets.h"
#include "App_softwareindex.h"
#include "Cli_run.h"
#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <exception>

namespace cli {

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

TFormatSource FormatSourceFor(const std::optional<std::string>& format) {
    const TPresetList presets = ReadPresets(PresetsFileName());
    TFormatSource source{NamedFormats(presets), FormatChooser(), format, PresetFormats(presets)};
    source.Note = WriteNote;
    return source;
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

TImageInput::TImageInput(const std::string& path) : FContainer(OpenContainer(path)) {
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

std::unique_ptr<TDiskImage> TImageInput::Image(size_t index) {
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

std::span<const uint8_t> TImageInput::Bytes(size_t index, TImageBytes access) {
    FView.reset();
    if (FLoaded)
        return FLoaded->Items(static_cast<int>(index))->Bytes();
    const TScannedImage& image = FImages[index];
    if (access == TImageBytes::InPlace) {
        FView = FContainer->View(image.Offset, image.Size);
        if (FView)
            return FView->Bytes();
    }
    FBuffer.resize(static_cast<size_t>(image.Size));
    try {
        FContainer->SetPosition(image.Offset);
        FContainer->ReadBuffer(FBuffer.data(), image.Size);
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(LoadImagesMessage));
        throw;
    }
    return FBuffer;
}

void TImageInput::ConfirmBytes() const {
    if (!FView)
        return;
    try {
        FView->Verify();
    } catch (rtl::EStreamError& e) {
        e.SetMessage(rtl::Tr(LoadImagesMessage));
        throw;
    }
}

void ForEachImage(const std::string& file, const std::optional<std::vector<TRowSpan>>& spans,
                  const TImageVisit& visit, TImageBytes access) {
    TImageInput input(file);
    const std::vector<TScannedImage>& images = input.Images();
    for (const int row : SelectRows(spans, static_cast<int>(images.size()))) {
        const auto index = static_cast<size_t>(row);
        try {
            visit(row + 1, images[index], input.Bytes(index, access));
        } catch (...) {
            // What a visit made of zeros in place of a cut file's bytes is the file's failure.
            input.ConfirmBytes();
            throw;
        }
        input.ConfirmBytes();
    }
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

} // namespace cli
