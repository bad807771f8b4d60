// What the sector view shows of the focused image and what it does: the tracks and sectors as
// the headers say them, the chosen sector's bytes, Go To and Find over the whole image, and
// each edit of a sector's bytes as one undoable step of the document.
#pragma once

#include "App_dialogs.h"
#include "App_diskcheck.h"
#include "App_filehandler.h"
#include "App_handler.h"
#include "App_sectormap.h"
#include "Vix_listviews.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A place the user typed for Go To: "ENTRY:INDEX" (a track entry and a sector's place on it,
// from 1) or "C/H/R" (the first sector with that ID). Nothing for anything else.
struct TSectorPlaceInput {
    bool ById = false;
    int First = 0;
    int Second = 0;
    int Third = 0;
};
std::optional<TSectorPlaceInput> ParseSectorPlace(const std::string& text);

// EHandlerError "The program cannot accept the text "%s".": what the sector view and Find say
// of a text they cannot take.
[[noreturn]] void RefuseText(const std::string& text);

// What Find looks for: text (UTF-8) as code page 932, or hex digits in pairs, spaces allowed;
// RefuseText for what cannot be either.
std::vector<uint8_t> SearchBytes(const std::string& text, bool hex);

// Gives sector `sector` (from 1) of the track at `entry` of the document's image at index the
// bytes data, of its length, as one undoable step "Edit sector". Refused for a write-protected
// image, as every change is, and for a damaged one.
void WriteSector(TFileHandler& document, int index, int entry, int sector,
                 std::span<const uint8_t> data);

class TSectorHandler : public THandler {
public:
    TSectorHandler(TFileHandler& document, TListViewShell& listViewShell);

    // Maps the focused image again, keeping the chosen track and sector while the image is the
    // same one and still has them.
    void Refresh();
    // The image shown, from 0; -1 for none.
    int Index() const { return FIndex; }
    const TDiskImage* Image() const { return FImage; }
    const TSectorMap& Map() const { return FMap; }
    // What the check finds in the image, each finding with its track where it has one.
    const std::vector<TDiskFinding>& Findings() const { return FFindings; }
    // Changes whenever the image shown or its bytes do.
    uint64_t Generation() const { return FGeneration; }
    // The chosen track's entry and sector (from 1); 0 for no sector.
    int Entry() const { return FEntry; }
    int Sector() const { return FSector; }
    // The chosen sector's data as the image holds it; empty for none.
    std::span<const uint8_t> SectorData() const;
    // Chooses a track and a sector on it (0 for its first, if any).
    void Choose(int entry, int sector);

    // Chooses the place typed; false when the image has no such sector.
    bool GoTo(const TSectorPlaceInput& place);
    // The next match of bytes after `after` (or the previous one before it) over the whole
    // image, wrapping round; chooses its sector. Nothing when bytes occur nowhere.
    std::optional<TSectorMatch> Find(std::span<const uint8_t> bytes, bool backward,
                                     const TSectorMatch& after);

    // Whether the chosen sector can be written, and why not: a damaged image, a write-protected
    // one, or no sector.
    bool CanEdit() const;
    void RaiseEditRefusal();
    // Gives the chosen sector data, of its length, as one undoable step "Edit sector".
    void CommitEdit(std::span<const uint8_t> data);

    void LoadSettings(rtl::TMemIniFile&) override {}
    void SaveSettings(rtl::TMemIniFile&) override {}

private:
    TFileHandler& FDocument;
    TListViewShell& FListViewShell;
    int FIndex = -1;
    const TDiskImage* FImage = nullptr;
    std::vector<uint8_t> FBytes;
    TSectorMap FMap;
    std::vector<TDiskFinding> FFindings;
    int FEntry = -1;
    int FSector = 0;
    uint64_t FGeneration = 0;
};
