// What the Files panel decides, apart from its widgets: the texts of its columns in the user's
// language, the order of its rows when a header sorts them, and which rows stay selected and
// where the cursor goes when what it shows changes.
#pragma once

#include "App_filesystems.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An entry's type and details as the panel shows them: the file systems' own terms ("file",
// "read-only", "load 0x1800 exec 0x1800") in the user's language; names of formats such as
// BASIC and ASCII, dates and numbers as they are.
std::string ShownKind(std::string_view kind);
std::string ShownDetails(std::string_view details);

// One row of the panel. Entry is the index into the handler's entries, ParentRow for "..".
struct TPanelRow {
    static constexpr int ParentRow = -1;
    int Entry = 0;
    // The name as the disk holds it (code page 932), which says which file a row is.
    std::string RawName;
    // The texts shown (UTF-8).
    std::string Name;
    std::string Size;
    std::string Kind;
    std::string Details;
    int64_t Bytes = 0;
    bool Folder = false;
    bool operator==(const TPanelRow&) const = default;
};

enum class TPanelColumn { Name, Size, Kind, Details };

// The order a header chose; none keeps the disk's own order.
struct TPanelSort {
    bool Active = false;
    TPanelColumn Column = TPanelColumn::Name;
    bool Descending = false;
    // A click on column: sorted by it, the other way round when it already was.
    TPanelSort Clicked(TPanelColumn column) const;
};

// The rows of entries in folder (a ".." row first inside a folder), in sort's order: folders
// before files either way, equal ones in the disk's order.
std::vector<TPanelRow> PanelRows(const std::vector<TFileEntry>& entries, bool inFolder,
                                 const TPanelSort& sort);

// Which rows are selected and which has the cursor once the panel shows rows instead of old.
struct TPanelPlace {
    std::vector<int> Selected;
    // -1 when there is no row.
    int Cursor = -1;
};
// sameFolder: the same image and folder as before (a change in it, or a refresh), where the
// selection and the cursor stay with their files, by name; renamed files (none found by name,
// as many rows as before) keep their places. Back in a parent of the folder left (left, now
// folder), the cursor goes to the folder just left. Otherwise the cursor starts at the top.
TPanelPlace PlaceAfterChange(const std::vector<TPanelRow>& old, const std::vector<int>& oldSelected,
                             int oldCursor, const std::vector<TPanelRow>& rows, bool sameFolder,
                             bool sameImage, const std::string& left, const std::string& folder);
