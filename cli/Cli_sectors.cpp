#include "Cli_sectors.h"

#include "App_sectorhandler.h"
#include "App_sectormap.h"
#include "Cli_inputs.h"
#include "Cli_outputs.h"
#include "Cli_run.h"
#include "Rtl_texts.h"

#include <charconv>
#include <ostream>

namespace cli {

namespace {

int ParseNumber(const std::string& text, int first, int last, const char* refusal) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < first || value > last)
        throw EUsageError(refusal);
    return value;
}

// The bytes of the one image ROW names, handed to visit.
template <typename TVisit> void WithImage(const TCommandLine& line, TVisit&& visit) {
    ForEachImage(line.Arguments[0], ParseSingleRow(line.Arguments[1]),
                 [&](int, const TScannedImage&, std::span<const uint8_t> bytes) { visit(bytes); });
}

} // namespace

int ParseTrackEntry(const std::string& text) {
    return ParseNumber(text, 0, TrackTableEntries - 1, "TRACK must be a number from 0 to 163");
}

int ParseSectorIndex(const std::string& text) {
    return ParseNumber(text, 1, 65535, "INDEX must be a number from 1 to 65535");
}

int RunSectors(const TCommandLine& line, std::istream&, std::ostream& out) {
    const int only = line.Arguments.size() > 2 ? ParseTrackEntry(line.Arguments[2]) : -1;
    std::string text;
    std::string damage;
    WithImage(line, [&](std::span<const uint8_t> bytes) {
        const TSectorMap map = MapSectors(bytes);
        damage = map.Damage;
        for (const TMappedTrack& track : map.Tracks) {
            if (only >= 0 && track.Entry != only)
                continue;
            int index = 0;
            for (const TMappedSector& sector : track.Sectors) {
                const TSectorHeader& h = sector.Header;
                text += rtl::Format("%d\t%d\t%u\t%u\t%u\t%u\t%s\t%s\t%02X\t%u\n", track.Entry,
                                    ++index, h.C, h.H, h.R, h.N, DensityName(h),
                                    h.Deleted != 0 ? "yes" : "no", h.Status, h.DataSize);
            }
        }
    });
    WriteOutput(out, text);
    if (damage.empty())
        return ExitSuccess;
    WriteNote("note: " + damage);
    return ExitFailure;
}

int RunReadSector(const TCommandLine& line, std::istream&, std::ostream& out) {
    const int entry = ParseTrackEntry(line.Arguments[2]);
    const int index = ParseSectorIndex(line.Arguments[3]);
    const std::string target = line.Arguments.size() > 4 ? line.Arguments[4] : "-";
    if (target != "-")
        CheckOverwrite(target, line.Force);
    std::vector<uint8_t> data;
    WithImage(line, [&](std::span<const uint8_t> bytes) {
        const TSectorMap map = MapSectors(bytes);
        const TMappedSector& sector = ExistingSector(map, entry, index);
        // A sector the image's end cuts is read as far as the image holds it.
        data.assign(bytes.begin() + sector.DataOffset,
                    bytes.begin() + sector.DataOffset + sector.Bytes);
    });
    if (target == "-")
        WriteOutput(out, std::string(data.begin(), data.end()));
    else
        WriteNewFile(target, data, line.Force);
    return ExitSuccess;
}

int RunFind(const TCommandLine& line, std::istream&, std::ostream& out) {
    const std::vector<uint8_t> wanted = SearchBytes(line.Arguments[2], line.Hex);
    std::string text;
    bool found = false;
    WithImage(line, [&](std::span<const uint8_t> bytes) {
        for (const TSectorMatch& match : FindInSectors(bytes, wanted)) {
            text += rtl::Format("%d\t%d\t%d\n", match.Entry, match.Index, match.Offset);
            found = true;
        }
    });
    WriteOutput(out, text);
    return found ? ExitSuccess : ExitFailure;
}

} // namespace cli
