// Files of the PC-98 emulators and copy programs (NFD r0 and r1, FDD, DCP/DCU, DIP) laid out
// byte by byte from their public descriptions, independently of the program's readers and
// writers, from tracks of sectors with their marks.
#pragma once

#include "TestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pc98files {

using testsupport::Bytes;
using testsupport::PutLe;

struct Sector {
    uint8_t C = 0, H = 0, R = 0, N = 0;
    bool Fm = false;
    bool Deleted = false;
    // The BIOS's result, with the codes of a D88 sector's status.
    uint8_t Status = 0;
    // 128 << N bytes; empty for a sector kept as its fill byte alone.
    Bytes Data;
    uint8_t Fill = 0;
    // The readings an NFD r1 file holds of it beyond the first, each unlike the first.
    uint8_t Retries = 0;
};
// Each entry of a track table (cylinder * 2 + head) with its sectors, in the disk's order.
using Tracks = std::vector<std::vector<Sector>>;

// A special reading of a track in an NFD r1 file: Length bytes, Retries + 1 times.
struct Reading {
    uint8_t Retries = 0;
    uint32_t Length = 0;
};

inline Bytes DataOf(const Sector& sector) {
    return sector.Data.empty() ? Bytes(size_t{128} << sector.N, sector.Fill) : sector.Data;
}

// A sector of track t nobody could mistake for another: its first bytes name the track and
// the sector, the rest depends on where each byte is.
inline Sector PatternSector(int t, int r, int n, bool fm = false) {
    Sector sector;
    sector.C = static_cast<uint8_t>(t / 2);
    sector.H = static_cast<uint8_t>(t % 2);
    sector.R = static_cast<uint8_t>(r);
    sector.N = static_cast<uint8_t>(n);
    sector.Fm = fm;
    sector.Data.resize(size_t{128} << n);
    for (size_t i = 0; i < sector.Data.size(); ++i)
        sector.Data[i] = static_cast<uint8_t>(i * 7 + t * 29 + r * 53 + i / 256);
    sector.Data[0] = static_cast<uint8_t>(t);
    sector.Data[1] = static_cast<uint8_t>(r);
    return sector;
}

// c cylinders of two sides of sectors 1 to r of 128 << n bytes, in double density.
inline Tracks PatternDisk(int c, int r, int n) {
    Tracks tracks(static_cast<size_t>(c) * 2);
    for (size_t t = 0; t < tracks.size(); ++t)
        for (int k = 1; k <= r; ++k)
            tracks[t].push_back(PatternSector(static_cast<int>(t), k, n));
    return tracks;
}

// The sectors' data one after another, as a plain dump of sectors in order holds them.
inline Bytes PlainSectors(const Tracks& tracks) {
    Bytes out;
    for (const auto& track : tracks)
        for (const Sector& sector : track) {
            const Bytes data = DataOf(sector);
            out.insert(out.end(), data.begin(), data.end());
        }
    return out;
}

// The device type NFD entries give a 2HD disk.
constexpr uint8_t Pda2hd = 0x90;

// The ID, a header size at 0x110, protection at 0x114 and heads at 0x115.
inline Bytes NfdStart(const char* id, size_t size) {
    Bytes file(size);
    std::memcpy(file.data(), id, 15);
    file[0x115] = 2;
    return file;
}

// r0: a table at 0x120 of 163 tracks of 26 entries of 16 bytes (C 0xFF: none), 16 reserved
// bytes, then each entry's data in table order.
inline Bytes NfdR0(const Tracks& tracks) {
    const size_t header = 0x120 + 163 * 26 * 16 + 16;
    Bytes file = NfdStart("T98FDDIMAGE.R0", header);
    PutLe(file, 0x110, static_cast<uint32_t>(header), 4);
    for (size_t t = 0; t < 163; ++t)
        for (size_t s = 0; s < 26; ++s) {
            uint8_t* entry = &file[0x120 + (t * 26 + s) * 16];
            if (t >= tracks.size() || s >= tracks[t].size()) {
                entry[0] = 0xFF;
                continue;
            }
            const Sector& x = tracks[t][s];
            const uint8_t fields[] = {x.C,      x.H, x.R, x.N, !x.Fm, x.Deleted,
                                      x.Status, 0,   0,   0,   Pda2hd};
            std::memcpy(entry, fields, sizeof fields);
            const Bytes data = DataOf(x);
            file.insert(file.end(), data.begin(), data.end());
        }
    return file;
}

// r1: 164 track offsets at 0x120, the fixed part ending at 0x3C0, then each track's block: its
// counts, its sector entries and its special readings' entries. The data follows the header
// track by track: each sector's readings, then each special reading's.
inline Bytes NfdR1(const Tracks& tracks, const std::vector<std::vector<Reading>>& readings = {}) {
    Bytes file = NfdStart("T98FDDIMAGE.R1", 0x3C0);
    Bytes data;
    for (size_t t = 0; t < std::max(tracks.size(), readings.size()); ++t) {
        const auto sectors = t < tracks.size() ? tracks[t] : std::vector<Sector>{};
        const auto special = t < readings.size() ? readings[t] : std::vector<Reading>{};
        if (sectors.empty() && special.empty())
            continue;
        PutLe(file, 0x120 + 4 * t, static_cast<uint32_t>(file.size()), 4);
        Bytes block(16 * (1 + sectors.size() + special.size()));
        PutLe(block, 0, static_cast<uint32_t>(sectors.size()), 2);
        PutLe(block, 2, static_cast<uint32_t>(special.size()), 2);
        uint8_t* entry = block.data() + 16;
        for (const Sector& x : sectors) {
            const uint8_t fields[] = {x.C,      x.H, x.R, x.N, !x.Fm,     x.Deleted,
                                      x.Status, 0,   0,   0,   x.Retries, Pda2hd};
            std::memcpy(entry, fields, sizeof fields);
            entry += 16;
            Bytes copy = DataOf(x);
            for (int k = 0; k <= x.Retries; ++k) {
                data.insert(data.end(), copy.begin(), copy.end());
                for (uint8_t& byte : copy)
                    byte = static_cast<uint8_t>(~byte);
            }
        }
        for (const Reading& reading : special) {
            // Of the command, the ID and the results, the retries alone matter to the layout.
            entry[0] = 0x02;
            entry[9] = reading.Retries;
            PutLe(block, static_cast<size_t>(entry - block.data()) + 10, reading.Length, 4);
            entry[14] = Pda2hd;
            entry += 16;
            data.insert(data.end(), size_t{reading.Length} * (reading.Retries + 1u), 0x4E);
        }
        file.insert(file.end(), block.begin(), block.end());
    }
    PutLe(file, 0x110, static_cast<uint32_t>(file.size()), 4);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// The header at 0xC3FC bytes: "VFD1.00", protection at 0x88, a map at 0xDC of 160 tracks of
// 26 entries of 12 bytes (C 0xFF: none) with a 2HD flag and each sector's data offset,
// 0xFFFFFFFF for a sector of its fill byte. The data follows in the map's order, or the reverse.
inline Bytes Fdd(const Tracks& tracks, bool reversed = false) {
    Bytes file(0xC3FC);
    std::memcpy(file.data(), "VFD1.00", 7);
    std::memset(&file[0xDC], 0xFF, 160 * 26 * 12);
    std::vector<std::pair<size_t, const Sector*>> stored;
    for (size_t t = 0; t < std::min<size_t>(tracks.size(), 160); ++t)
        for (size_t s = 0; s < tracks[t].size(); ++s) {
            const Sector& x = tracks[t][s];
            const size_t entry = 0xDC + (t * 26 + s) * 12;
            const uint8_t fields[] = {x.C, x.H, x.R, x.N, x.Fill, x.Deleted, !x.Fm, 1};
            std::memcpy(&file[entry], fields, sizeof fields);
            if (!x.Data.empty())
                stored.emplace_back(entry, &x);
        }
    if (reversed)
        std::reverse(stored.begin(), stored.end());
    for (const auto& [entry, x] : stored) {
        PutLe(file, entry + 8, static_cast<uint32_t>(file.size()), 4);
        file.insert(file.end(), x->Data.begin(), x->Data.end());
    }
    return file;
}

// A media byte, a map of 160 tracks (1: stored), a byte for "every track stored", then the
// stored tracks' sectors from 0xA2.
inline Bytes Dcp(uint8_t media, size_t storedTracks, const Bytes& data) {
    Bytes header(0xA2);
    header[0] = media;
    std::fill_n(header.begin() + 1, storedTracks, 1);
    return testsupport::Concat({header, data});
}

// A 256-byte header, then a 2HD disk of 77 cylinders, two sides and 8 sectors of 1024 bytes.
inline Bytes Dip(const Bytes& data) {
    Bytes header = {0x01, 0x08, 0x00, 0x13, 0x41, 0x00, 0x01, 0x00};
    header.resize(256);
    return testsupport::Concat({header, data});
}

} // namespace pc98files
