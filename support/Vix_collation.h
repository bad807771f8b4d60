// Texts in the order a Japanese reader expects, alike on every machine: ICU's Japanese collation
// of the text with compatibility forms folded, then the text's own bytes, so that only equal
// texts compare equal. A sort makes each text's key once and compares keys as byte strings
// instead of decoding and collating both texts at every comparison.
#pragma once

#include "Rtl_exceptions.h"

#include <string>
#include <string_view>
#include <vector>

// ICU cannot open or apply its collation.
RTL_DECLARE_EXCEPTION(ECollationError, rtl::Exception);

// The key of a name in code page 932. Bytes that do not decode collate after every character,
// and the bytes then tell such names apart.
std::string NameSortKey(const std::string& name);
// The same order for UTF-8 text, such as the paths of files.
std::string TextSortKey(std::string_view text);
// UTF-8 texts sorted in that order; texts that differ have different keys, so no order is left
// to chance.
void SortTexts(std::vector<std::string>& texts);

// The keys of many names, made once for a sort and held in one block, which a sort reads faster
// than keys scattered over the heap.
class TNameSortKeys {
public:
    // Room for count names of about bytes bytes in all, so that the block seldom grows.
    void Reserve(size_t count, size_t bytes);
    void Add(const std::string& name);
    // The keys of other after these, as if its names had been added here.
    void Append(const TNameSortKeys& other);
    // Orders the names added as index1 and index2 (from 0, in the order added) as their keys
    // order: negative, zero or positive.
    int Compare(int index1, int index2) const;
    // The key of the name added as index, valid while no name is added.
    std::string_view Key(int index) const;
    int Count() const { return static_cast<int>(FEnds.size()); }

private:
    std::string FKeys;
    std::vector<size_t> FEnds;
};
