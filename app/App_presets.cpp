#include "App_presets.h"

#include "App_settingshandler.h"
#include "Rtl_convert.h"
#include "Rtl_streams.h"
#include "Rtl_texts.h"
#include "Vix_strings.h"

#include <algorithm>
#include <optional>

namespace {

const char* const PresetItemError =
    rtl::TrNoop("The program could not convert the string to a preset item.");

[[noreturn]] void RaisePresetItemError() {
    throw rtl::EConvertError(rtl::Tr(PresetItemError));
}

int32_t DiskTypeOf(const std::string& text) {
    if (text == "2D")
        return DiskType2D;
    if (text == "2DD")
        return DiskType2DD;
    if (text == "2HD")
        return DiskType2HD;
    RaisePresetItemError();
}

int32_t IntegerOf(const std::string& text) {
    const std::optional<int32_t> value = rtl::TryStrToInt(text);
    if (!value)
        RaisePresetItemError();
    return *value;
}

// The file's text up to its first zero byte, which ends it as it would end a C string.
std::string ReadText(const std::string& path) {
    rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
    std::string text(static_cast<size_t>(stream.Size()), '\0');
    stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
}

} // namespace

std::unique_ptr<TAppPresetsDialogItem> ParsePresetItem(const std::string& line) {
    const std::vector<std::string> items = SplitString(line, ',', '"');
    if (items.size() != 6)
        RaisePresetItemError();
    TDiskFormat format;
    format.DiskType = DiskTypeOf(items[1]);
    format.C = IntegerOf(items[2]);
    format.H = IntegerOf(items[3]);
    format.R = IntegerOf(items[4]);
    format.N = IntegerOf(items[5]);
    return std::make_unique<TAppPresetsDialogItem>(items[0], format);
}

TPresetList ReadPresets(const std::string& path) {
    TPresetList list;
    std::string text;
    try {
        text = ReadText(path);
    } catch (const rtl::EStreamError&) {
        list.Complete = false;
        return list;
    }
    for (const std::string& line : SplitLines(text)) {
        try {
            list.Items.push_back(ParsePresetItem(line));
        } catch (const rtl::EConvertError&) {
            // The list stays as far as it could be read: the user still gets those presets.
            list.Complete = false;
            break;
        }
    }
    return list;
}

const std::string& PresetsFileName() {
    static const std::string fileName = ProgramDataFileName("Presets.dat");
    return fileName;
}
