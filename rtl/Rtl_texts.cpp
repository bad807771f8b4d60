#include "Rtl_texts.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rtl {

namespace {

// Tr may be called from any thread: the keys of a long sort are made on several, and a failure
// there raises a translated message.
struct TTranslations {
    std::mutex Lock;
    TTranslator Translator;
    // Each source's translation, made once; the strings never move, so their texts stay valid,
    // those of a translator since replaced among them.
    std::unordered_map<std::string, std::unique_ptr<const std::string>> Made;
    std::vector<std::unique_ptr<const std::string>> Retired;
};

TTranslations& Translations() {
    static TTranslations translations;
    return translations;
}

// The conversions of a printf format by argument position (from 1): the length modifiers and
// the conversion letter of each, flags and widths left out. Empty when the format is malformed
// or mixes numbered and unnumbered conversions.
std::optional<std::map<int, std::string>> Conversions(const std::string& format) {
    std::map<int, std::string> conversions;
    bool numbered = false;
    int next = 1;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (++i >= format.size())
            return std::nullopt;
        if (format[i] == '%')
            continue;
        size_t digits = i;
        while (digits < format.size() && format[digits] >= '0' && format[digits] <= '9')
            ++digits;
        int position = 0;
        // A position of more than three digits is a malformed format, not a number to read.
        if (digits > i && digits - i <= 3 && digits < format.size() && format[digits] == '$') {
            position = std::stoi(format.substr(i, digits - i));
            if (position <= 0 || (conversions.size() > 0 && !numbered))
                return std::nullopt;
            numbered = true;
            i = digits + 1;
        } else {
            if (numbered)
                return std::nullopt;
            position = next++;
        }
        while (i < format.size() && std::string("-+ #0").find(format[i]) != std::string::npos)
            ++i;
        while (i < format.size() && ((format[i] >= '0' && format[i] <= '9') || format[i] == '.'))
            ++i;
        std::string conversion;
        while (i < format.size() && std::string("hlLqjzt").find(format[i]) != std::string::npos)
            conversion += format[i++];
        if (i >= format.size() ||
            std::string("diouxXeEfFgGaAcsp").find(format[i]) == std::string::npos)
            return std::nullopt;
        conversion += format[i];
        if (!conversions.emplace(position, conversion).second)
            return std::nullopt;
    }
    // Positions must run 1..n without a gap, as printf reads them.
    int expected = 1;
    for (const auto& [position, conversion] : conversions)
        if (position != expected++)
            return std::nullopt;
    return conversions;
}

} // namespace

bool SameConversions(const std::string& source, const std::string& translation) {
    const auto sourceConversions = Conversions(source);
    // A text that is no format at all, such as "100 %", is never given to Format.
    if (!sourceConversions)
        return true;
    const auto translatedConversions = Conversions(translation);
    return translatedConversions && *sourceConversions == *translatedConversions;
}

TTranslator SetTranslator(TTranslator translator) {
    TTranslations& translations = Translations();
    const std::lock_guard<std::mutex> guard(translations.Lock);
    for (auto& [source, made] : translations.Made)
        translations.Retired.push_back(std::move(made));
    translations.Made.clear();
    return std::exchange(translations.Translator, std::move(translator));
}

const char* Tr(const char* source) {
    TTranslations& translations = Translations();
    const std::lock_guard<std::mutex> guard(translations.Lock);
    if (!translations.Translator)
        return source;
    auto found = translations.Made.find(source);
    if (found == translations.Made.end()) {
        std::string translation = translations.Translator(source);
        if (translation.empty() || !SameConversions(source, translation))
            translation = source;
        found = translations.Made
                    .emplace(source, std::make_unique<const std::string>(std::move(translation)))
                    .first;
    }
    return found->second->c_str();
}

} // namespace rtl
