#include "Vix_collation.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <unicode/ucol.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

namespace {

const char* const CompareNamesError = rtl::TrNoop("The program cannot compare names.");

struct TCollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using TCollatorPtr = std::unique_ptr<UCollator, TCollatorCloser>;

// ICU's Japanese collation, opened once: symbols, digits, Latin letters, kana in gojuon order
// (hiragana before katakana), then kanji. It runs at ICU's finest strength, where only texts
// that are canonically equivalent collate alike. Lower case comes first among texts that differ
// only in case, as this program has always sorted them; it is set rather than left to the
// Japanese rules' default so that newer collation data cannot turn it round.
const UCollator& NameCollator() {
    static const TCollatorPtr collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        TCollatorPtr opened(ucol_open("ja", &status));
        if (U_FAILURE(status))
            throw ECollationError(rtl::Tr(CompareNamesError));
        ucol_setStrength(opened.get(), UCOL_IDENTICAL);
        ucol_setAttribute(opened.get(), UCOL_CASE_FIRST, UCOL_LOWER_FIRST, &status);
        if (U_FAILURE(status))
            throw ECollationError(rtl::Tr(CompareNamesError));
        return opened;
    }();
    return *collator;
}

int32_t Capacity(const std::u16string& buffer) {
    return static_cast<int32_t>(buffer.size());
}

// UTF-16 never takes more units than UTF-8 takes bytes; a malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    std::u16string text(utf8.size(), u'\0');
    int32_t length = 0;
    u_strFromUTF8WithSub(text.data(), Capacity(text), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        throw ECollationError(rtl::Tr(CompareNamesError));
    text.resize(static_cast<size_t>(length));
    return text;
}

// Compatibility forms collate as what they stand for: ｹﾞｰﾑ as ゲーム, Ａ as A, ① as 1. The
// Japanese rules alone weigh the half-width voiced and prolonged sound marks apart from the kana
// they follow, which would part ｹﾞｰﾑ from ゲーム. What this folds together the bytes order:
// ゲーム before ｹﾞｰﾑ, A before Ａ.
std::u16string FoldCompatibilityForms(std::u16string text) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfkc = unorm2_getNFKCInstance(&status);
    // Most names are normalized already; checking is cheaper than copying.
    if (U_SUCCESS(status) &&
        unorm2_spanQuickCheckYes(nfkc, text.data(), Capacity(text), &status) == Capacity(text))
        return text;
    std::u16string folded(text.size(), u'\0');
    int32_t length = unorm2_normalize(nfkc, text.data(), Capacity(text), folded.data(),
                                      Capacity(folded), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        folded.resize(static_cast<size_t>(length));
        length = unorm2_normalize(nfkc, text.data(), Capacity(text), folded.data(),
                                  Capacity(folded), &status);
    }
    if (U_FAILURE(status))
        throw ECollationError(rtl::Tr(CompareNamesError));
    folded.resize(static_cast<size_t>(length));
    return folded;
}

// Appends the collation key of text, already folded, and then the tie-break bytes to keys. ICU
// ends its key with the only zero byte in it, so no key begins another and the bytes decide only
// between texts that collate alike; comparing whole keys as byte strings is then a total order.
void AppendFoldedSortKey(std::u16string_view text, std::string_view tieBreak, std::string& keys) {
    const UCollator& collator = NameCollator();
    const auto length16 = static_cast<int32_t>(text.size());
    const size_t start = keys.size();
    // A guess that holds every level of most names; ICU reports the length it needs.
    keys.resize(start + text.size() * 8 + 16);
    const auto fill = [&] {
        return ucol_getSortKey(&collator, text.data(), length16,
                               reinterpret_cast<uint8_t*>(keys.data() + start),
                               static_cast<int32_t>(keys.size() - start));
    };
    int32_t length = fill();
    if (length > static_cast<int32_t>(keys.size() - start)) {
        keys.resize(start + static_cast<size_t>(length));
        length = fill();
    }
    if (length <= 0) {
        keys.resize(start);
        throw ECollationError(rtl::Tr(CompareNamesError));
    }
    keys.resize(start + static_cast<size_t>(length));
    keys.append(tieBreak);
}

void AppendSortKey(std::string_view utf8, std::string_view tieBreak, std::string& keys) {
    AppendFoldedSortKey(FoldCompatibilityForms(Utf8ToUtf16(utf8)), tieBreak, keys);
}

void AppendNameSortKey(const std::string& name, std::string& keys) {
    // Code page 932 decodes its single bytes below 0x80 as ASCII, so most names need no
    // conversion: a sort of a million of them spends much of its time there otherwise.
    // ASCII is its own compatibility form too, and a name of the length the containers hold
    // widens on the stack: a million names would otherwise make two million strings.
    if (std::all_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::array<char16_t, 64> local;
        if (name.size() > local.size()) {
            AppendSortKey(name, name, keys);
            return;
        }
        std::copy(name.begin(), name.end(), local.begin());
        AppendFoldedSortKey(std::u16string_view(local.data(), name.size()), name, keys);
        return;
    }
    // Bytes that code page 932 cannot decode become U+FFFD, which ICU puts after every other
    // character; names alike but for such bytes are told apart by the bytes.
    AppendSortKey(rtl::Cp932ToUtf8(name), name, keys);
}

} // namespace

std::string NameSortKey(const std::string& name) {
    std::string key;
    AppendNameSortKey(name, key);
    return key;
}

std::string TextSortKey(std::string_view text) {
    std::string key;
    AppendSortKey(text, text, key);
    return key;
}

void SortTexts(std::vector<std::string>& texts) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(texts.size());
    for (std::string& text : texts) {
        std::string key = TextSortKey(text);
        keyed.emplace_back(std::move(key), std::move(text));
    }
    std::sort(keyed.begin(), keyed.end());
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = std::move(keyed[i].second);
}

void TNameSortKeys::Reserve(size_t count, size_t bytes) {
    // Room for the keys of typical names.
    FKeys.reserve(bytes * 5 + count * 8);
    FEnds.reserve(count);
}

void TNameSortKeys::Add(const std::string& name) {
    AppendNameSortKey(name, FKeys);
    FEnds.push_back(FKeys.size());
}

void TNameSortKeys::Append(const TNameSortKeys& other) {
    const size_t base = FKeys.size();
    FKeys += other.FKeys;
    for (const size_t end : other.FEnds)
        FEnds.push_back(base + end);
}

int TNameSortKeys::Compare(int index1, int index2) const {
    const int order = Key(index1).compare(Key(index2));
    return (order > 0) - (order < 0);
}

std::string_view TNameSortKeys::Key(int index) const {
    const auto i = static_cast<size_t>(index);
    const size_t begin = i == 0 ? 0 : FEnds[i - 1];
    return std::string_view(FKeys).substr(begin, FEnds[i] - begin);
}
