#include "App_filespanel.h"

#include "App_diskimages.h"
#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

namespace {

// The file systems' words, each to be translated where it stands alone.
constexpr const char* Words[] = {
    rtl::TrNoop("file"),   rtl::TrNoop("folder"),          rtl::TrNoop("binary"),
    rtl::TrNoop("data"),   rtl::TrNoop("machine code"),    rtl::TrNoop("read-only"),
    rtl::TrNoop("hidden"), rtl::TrNoop("system"),          rtl::TrNoop("archive"),
    rtl::TrNoop("random"), rtl::TrNoop("write-protected"), rtl::TrNoop("encrypted"),
    rtl::TrNoop("verify"), rtl::TrNoop("damaged"),
};

std::string ShownWord(std::string_view word) {
    for (const char* known : Words)
        if (word == known)
            return rtl::Tr(known);
    return std::string(word);
}

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty()) {
        const size_t space = text.find(' ');
        if (space != 0)
            words.push_back(text.substr(0, space));
        if (space == std::string_view::npos)
            break;
        text.remove_prefix(space + 1);
    }
    return words;
}

// A decimal number, or a hexadecimal one written 0x….
bool IsNumber(std::string_view word) {
    const bool hex = word.starts_with("0x");
    if (hex)
        word.remove_prefix(2);
    return !word.empty() && std::all_of(word.begin(), word.end(), [hex](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return hex ? std::isxdigit(byte) != 0 : std::isdigit(byte) != 0;
    });
}

// Lower-case ASCII, for an order that does not put "Z" before "a".
std::string Folded(const std::string& text) {
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string RowKey(const TPanelRow& row) {
    return row.Entry == TPanelRow::ParentRow ? std::string(1, '\0') : row.RawName;
}

} // namespace

std::string ShownKind(std::string_view kind) {
    if (kind.starts_with("type ") && IsNumber(kind.substr(5)))
        return rtl::Format(rtl::Tr("type %s"), std::string(kind.substr(5)).c_str());
    return ShownWord(kind);
}

std::string ShownDetails(std::string_view details) {
    const std::vector<std::string_view> words = SplitWords(details);
    std::string shown;
    for (size_t i = 0; i < words.size(); ++i) {
        std::string word;
        if (words[i] == "load" && i + 3 < words.size() && words[i + 2] == "exec" &&
            IsNumber(words[i + 1]) && IsNumber(words[i + 3])) {
            word = rtl::Format(rtl::Tr("load %s exec %s"), std::string(words[i + 1]).c_str(),
                               std::string(words[i + 3]).c_str());
            i += 3;
        } else if ((words[i] == "user" || words[i] == "mode") && i + 1 < words.size() &&
                   IsNumber(words[i + 1])) {
            word = rtl::Format(words[i] == "user" ? rtl::Tr("user %s") : rtl::Tr("mode %s"),
                               std::string(words[i + 1]).c_str());
            ++i;
        } else {
            word = ShownWord(words[i]);
        }
        if (!shown.empty())
            shown += ' ';
        shown += word;
    }
    return shown;
}

TPanelSort TPanelSort::Clicked(TPanelColumn column) const {
    TPanelSort next;
    next.Active = true;
    next.Column = column;
    next.Descending = Active && Column == column && !Descending;
    return next;
}

std::vector<TPanelRow> PanelRows(const std::vector<TFileEntry>& entries, bool inFolder,
                                 const TPanelSort& sort) {
    std::vector<TPanelRow> rows;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TFileEntry& entry = entries[i];
        rows.push_back({static_cast<int>(i), entry.Name, rtl::Cp932ToUtf8(entry.Name),
                        entry.Folder ? std::string() : GroupedNumber(entry.Size),
                        ShownKind(entry.Kind), ShownDetails(entry.Details),
                        entry.Folder ? 0 : entry.Size, entry.Folder});
    }
    if (sort.Active) {
        const auto key = [&sort](const TPanelRow& row) -> std::string {
            switch (sort.Column) {
            case TPanelColumn::Kind:
                return Folded(row.Kind);
            case TPanelColumn::Details:
                return Folded(row.Details);
            default:
                return Folded(row.Name);
            }
        };
        std::stable_sort(rows.begin(), rows.end(), [&](const TPanelRow& a, const TPanelRow& b) {
            if (a.Folder != b.Folder)
                return a.Folder;
            if (sort.Column == TPanelColumn::Size)
                return sort.Descending ? b.Bytes < a.Bytes : a.Bytes < b.Bytes;
            return sort.Descending ? key(b) < key(a) : key(a) < key(b);
        });
    }
    if (inFolder)
        rows.insert(rows.begin(), {TPanelRow::ParentRow, "..", "..", {}, {}, {}, 0, true});
    return rows;
}

TPanelPlace PlaceAfterChange(const std::vector<TPanelRow>& old, const std::vector<int>& oldSelected,
                             int oldCursor, const std::vector<TPanelRow>& rows, bool sameFolder,
                             bool sameImage, const std::string& left, const std::string& folder) {
    const auto count = static_cast<int>(rows.size());
    const auto keyOf = [](const std::vector<TPanelRow>& list, int row) {
        return row >= 0 && row < static_cast<int>(list.size())
                   ? RowKey(list[static_cast<size_t>(row)])
                   : std::string();
    };
    TPanelPlace place;
    std::string wanted;
    if (sameFolder) {
        std::set<std::string> selected;
        for (const int row : oldSelected)
            selected.insert(keyOf(old, row));
        for (int row = 0; row < count; ++row)
            if (selected.contains(keyOf(rows, row)))
                place.Selected.push_back(row);
        // None of them by name, as many rows as before: renamed in their places.
        if (place.Selected.empty() && count == static_cast<int>(old.size()))
            for (const int row : oldSelected)
                if (row >= 0 && row < count)
                    place.Selected.push_back(row);
        wanted = keyOf(old, oldCursor);
        if (oldCursor >= 0)
            place.Cursor = std::min(oldCursor, count - 1);
    } else if (sameImage && left.size() > folder.size() &&
               (folder.empty() || left.starts_with(folder + '/'))) {
        // Back in a parent: the cursor on the folder just left.
        const std::string rest = left.substr(folder.empty() ? 0 : folder.size() + 1);
        wanted = rest.substr(0, rest.find('/'));
    }
    for (int row = 0; row < count && !wanted.empty(); ++row)
        if (keyOf(rows, row) == wanted)
            place.Cursor = row;
    if (place.Cursor < 0 && count > 0)
        place.Cursor = 0;
    std::sort(place.Selected.begin(), place.Selected.end());
    return place;
}
