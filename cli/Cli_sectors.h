// The commands of trackwell-cli that look at one image's tracks and sectors as its headers say
// them: the sectors listed, one sector's data read, and bytes found in the sectors' data. The
// command that writes a sector edits the container as the editing commands do (Cli_edits).
#pragma once

#include "Cli_arguments.h"

#include <iosfwd>
#include <string>

namespace cli {

// TRACK, a track table entry from 0 to 163, and INDEX, a sector's place on its track from 1:
// EUsageError for anything else.
int ParseTrackEntry(const std::string& text);
int ParseSectorIndex(const std::string& text);

// One line per sector of the image of ROW (or of its track TRACK), in stored order:
// TRACK, INDEX, C, H, R, N, density, deleted, status, bytes. A damaged image is listed as far as
// it is sound, its damage told as a note, and exits 1.
int RunSectors(const TCommandLine& line, std::istream& in, std::ostream& out);
// The data of one sector to OUT, or to standard output for "-" or none.
int RunReadSector(const TCommandLine& line, std::istream& in, std::ostream& out);
// Where TEXT (or, with --hex, the bytes it spells) occurs in the sectors' data: TRACK, INDEX,
// OFFSET; exit 1 when nowhere.
int RunFind(const TCommandLine& line, std::istream& in, std::ostream& out);

} // namespace cli
