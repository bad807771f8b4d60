#include "Rtl_texts.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rtl {

namespace {

// Tr may be called from any thread: the keys of a long sort are made on several, and a failure
// there raises a translated message. Once a source's translation is made it is found without a
// lock: each translator has a table of slots, filled under the lock and read with atomics, each
// slot published whole with its source and its text. Tables and entries are never freed, as a
// text handed out stays valid for the life of the program.
struct TEntry {
    std::string Source;
    std::string Text;
};

constexpr size_t SlotCount = 4096;

struct TTable {
    TTranslator Translator;
    std::array<std::atomic<const TEntry*>, SlotCount> Slots{};
    // The entries of sources that found no free slot, looked up under the lock.
    std::unordered_map<std::string, const TEntry*> Overflow;
};

struct TTranslations {
    std::mutex Lock;
    // Null while there is no translator: English, without a look-up.
    std::atomic<TTable*> Current{nullptr};
    std::vector<std::unique_ptr<TTable>> Tables;
    std::vector<std::unique_ptr<const TEntry>> Entries;
};

TTranslations& Translations() {
    static TTranslations translations;
    return translations;
}

// Where source is in table, or the index of the free slot where it goes: SlotCount when it is
// in neither.
struct TFound {
    const TEntry* Entry = nullptr;
    size_t FreeSlot = SlotCount;
};

TFound Find(const TTable& table, std::string_view source) {
    const size_t first = std::hash<std::string_view>{}(source) % SlotCount;
    for (size_t i = 0; i < SlotCount; ++i) {
        const size_t slot = (first + i) % SlotCount;
        const TEntry* entry = table.Slots[slot].load(std::memory_order_acquire);
        if (entry == nullptr)
            return {nullptr, slot};
        if (entry->Source == source)
            return {entry, slot};
    }
    return {};
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
    TTable* current = translations.Current.load(std::memory_order_acquire);
    TTranslator replaced = current != nullptr ? current->Translator : TTranslator();
    TTable* next = nullptr;
    if (translator) {
        translations.Tables.push_back(std::make_unique<TTable>());
        next = translations.Tables.back().get();
        next->Translator = std::move(translator);
    }
    translations.Current.store(next, std::memory_order_release);
    return replaced;
}

const char* Tr(const char* source) {
    TTranslations& translations = Translations();
    TTable* table = translations.Current.load(std::memory_order_acquire);
    if (table == nullptr)
        return source;
    if (const TFound found = Find(*table, source); found.Entry != nullptr)
        return found.Entry->Text.c_str();

    const std::lock_guard<std::mutex> guard(translations.Lock);
    table = translations.Current.load(std::memory_order_acquire);
    if (table == nullptr)
        return source;
    const TFound found = Find(*table, source);
    if (found.Entry != nullptr)
        return found.Entry->Text.c_str();
    if (const auto overflow = table->Overflow.find(source); overflow != table->Overflow.end())
        return overflow->second->Text.c_str();
    std::string translation = table->Translator(source);
    if (translation.empty() || !SameConversions(source, translation))
        translation = source;
    translations.Entries.push_back(
        std::make_unique<const TEntry>(TEntry{source, std::move(translation)}));
    const TEntry* entry = translations.Entries.back().get();
    if (found.FreeSlot < SlotCount)
        table->Slots[found.FreeSlot].store(entry, std::memory_order_release);
    else
        table->Overflow.emplace(source, entry);
    return entry->Text.c_str();
}

} // namespace rtl
