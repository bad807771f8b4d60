// Blank and hand-laid disks of each file system, shared by their own tests and by the suite all
// of them pass: each laid out here from the public notes on its format, not by the program.
#pragma once

#include "App_diskimages.h"
#include "App_filesystems.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace fstest {

using testsupport::Bytes;
using testsupport::PutLe;

// The root folder's entries, one line each: name, size, type and details.
inline std::vector<std::string> Lines(const TFileSystem& fs) {
    std::vector<std::string> lines;
    for (const TFileEntry& f : fs.List(""))
        lines.push_back(f.Name + "|" + std::to_string(f.Size) + "|" + f.Kind + "|" + f.Details);
    return lines;
}

// N88-BASIC: a system track with the directory, the ID and three copies of an 8-bit table (next
// cluster, 0xC0 + sectors used, 0xFE reserved, 0xFF free).
namespace n88 {

struct Geometry {
    uint8_t DiskType;
    int Cylinders, Sectors, PerCluster, Clusters, SystemC, SystemH;
    bool FmTrack0;
    int ClusterBytes() const { return PerCluster * 256; }
};
inline const Geometry G2D{0x00, 40, 16, 8, 160, 18, 1, false};
inline const Geometry G2DSide0{0x00, 40, 16, 8, 160, 18, 0, false};
inline const Geometry G2DD{0x10, 80, 16, 16, 160, 40, 0, false};
inline const Geometry G2HD{0x20, 77, 26, 26, 154, 35, 0, true};

// Where a sector's data is, found as any D88 reader finds it: track table, then headers.
inline size_t Locate(const Bytes& image, int c, int h, int r) {
    const size_t entry = 32 + 4 * static_cast<size_t>(c * 2 + h);
    size_t at = image[entry] | image[entry + 1] << 8 | image[entry + 2] << 16;
    for (int i = 0; i < (image[at + 4] | image[at + 5] << 8); ++i) {
        if (image[at + 2] == r)
            return at + 16;
        at += 16 + (image[at + 14] | image[at + 15] << 8);
    }
    ADD_FAILURE() << "no sector " << c << " " << h << " " << r;
    return 0;
}

struct Disk {
    Geometry G;
    Bytes Image;

    explicit Disk(const Geometry& g) : G(g) {
        Image.assign(688, 0);
        Image[27] = g.DiskType;
        for (int t = 0; t < g.Cylinders * 2; ++t) {
            PutLe(Image, 32 + 4 * static_cast<size_t>(t), static_cast<uint32_t>(Image.size()), 4);
            const bool fm = g.FmTrack0 && t == 0;
            for (int r = 1; r <= g.Sectors; ++r) {
                Bytes header(16, 0);
                header[0] = uint8_t(t / 2);
                header[1] = uint8_t(t % 2);
                header[2] = uint8_t(r);
                header[3] = fm ? 0 : 1;
                header[4] = uint8_t(g.Sectors);
                header[6] = fm ? 0x40 : 0;
                PutLe(header, 14, fm ? 128 : 256, 2);
                Image.insert(Image.end(), header.begin(), header.end());
                Image.insert(Image.end(), fm ? 128 : 256, 0xFF);
            }
        }
        PutLe(Image, 28, static_cast<uint32_t>(Image.size()), 4);
        const int perTrack = g.Sectors / g.PerCluster;
        for (int k = 0; k < perTrack; ++k)
            SetFat((g.SystemC * 2 + g.SystemH) * perTrack + k, 0xFE);
        if (g.FmTrack0)
            SetFat(0, 0xFE);
    }
    uint8_t* At(int c, int h, int r) { return Image.data() + Locate(Image, c, h, r); }
    uint8_t* Fat(int copy) { return At(G.SystemC, G.SystemH, G.Sectors - 2 + copy); }
    void SetFat(int cluster, uint8_t value) {
        for (int copy = 0; copy < 3; ++copy)
            Fat(copy)[cluster] = value;
    }
    uint8_t* ClusterSector(int cluster, int s) {
        const int perTrack = G.Sectors / G.PerCluster, track = cluster / perTrack;
        return At(track / 2, track % 2, (cluster % perTrack) * G.PerCluster + 1 + s);
    }
    void Entry(int slot, const char* name9, uint8_t attribute, uint8_t first) {
        uint8_t* entry = At(G.SystemC, G.SystemH, slot / 16 + 1) + (slot % 16) * 16;
        std::memcpy(entry, name9, 9);
        entry[9] = attribute;
        entry[10] = first;
        std::memset(entry + 11, 0xFF, 5);
    }
    // Lays data into clusters in that order; returns it as read back, padded to whole sectors.
    Bytes Add(int slot, const char* name9, uint8_t attribute, Bytes data,
              const std::vector<int>& clusters, uint8_t pad = 0x00) {
        data.resize((data.size() + 255) / 256 * 256, pad);
        const size_t sectors = data.size() / 256;
        for (size_t i = 0; i < clusters.size(); ++i) {
            const size_t used = std::min<size_t>(G.PerCluster, sectors - i * G.PerCluster);
            for (size_t s = 0; s < used; ++s)
                std::memcpy(ClusterSector(clusters[i], int(s)), &data[(i * G.PerCluster + s) * 256],
                            256);
            SetFat(clusters[i],
                   i + 1 < clusters.size() ? uint8_t(clusters[i + 1]) : uint8_t(0xC0 + used));
        }
        Entry(slot, name9, attribute, uint8_t(clusters[0]));
        return data;
    }
};

} // namespace n88

// Hu-BASIC: the table at logical sector 14 (2D) or 28 (2HD), 128 clusters a sector with the high
// bits in its second half, end marks 0x80 | last sector; 32-byte entries from sector 16 or 32.
namespace hubasic {

// Logical sector s of an image whose tracks of 256-byte sectors follow the header in order, each
// one's sectors by number: as FormattedImage lays them out and the real disk has them.
inline uint8_t* Sec(const Bytes& d, int s) {
    return const_cast<uint8_t*>(d.data()) + 688 + s * 272 + 16;
}

// A formatted disk: the clusters of the boot sector, table and directory chained and taken.
inline Bytes Blank(bool hd = false) {
    Bytes d = testsupport::FormattedImage(hd ? 0x20 : 0x00, hd ? 77 : 40, 2, hd ? 26 : 16, 1, 0);
    const uint8_t taken[] = {0x01, static_cast<uint8_t>(hd ? 0x02 : 0x8F), 0x8F};
    std::memcpy(Sec(d, hd ? 28 : 14), taken, hd ? 3 : 2);
    for (int s = 0; s < 16; ++s)
        std::memset(Sec(d, (hd ? 32 : 16) + s), 0xFF, 256);
    return d;
}

// A table value: its low seven bits in the sector's first half, the bits above in its second.
inline void Raw(Bytes& d, int c, int low, int high, bool hd = false) {
    Sec(d, (hd ? 28 : 14) + c / 128)[c % 128] = static_cast<uint8_t>(low);
    Sec(d, (hd ? 28 : 14) + c / 128)[128 + c % 128] = static_cast<uint8_t>(high);
}

inline void Link(Bytes& d, int from, int next, bool hd = false) {
    Raw(d, from, next & 0x7F, next >> 7, hd);
}

// Writes data over clusters, 0x80 | its last sector ending the chain, and the entry in slot.
inline void AddFile(Bytes& d, int slot, uint8_t mode, const char* name, const Bytes& data,
                    std::vector<int> clusters, uint16_t size, uint16_t load = 0, bool hd = false) {
    for (size_t i = 0; i < data.size(); ++i)
        Sec(d, clusters[i / 4096] * 16 + static_cast<int>(i % 4096 / 256))[i % 256] = data[i];
    for (size_t i = 0; i + 1 < clusters.size(); ++i)
        Link(d, clusters[i], clusters[i + 1], hd);
    Raw(d, clusters.back(), 0x80 | static_cast<int>((data.size() + 4095) % 4096 / 256), 0, hd);
    uint8_t* e = Sec(d, (hd ? 32 : 16) + slot / 8) + slot % 8 * 32;
    std::memset(e, ' ', 18);
    e[0] = mode;
    std::memcpy(e + 1, name, std::strcspn(name, "."));
    if (const char* dot = std::strchr(name, '.'))
        std::memcpy(e + 14, dot + 1, std::strlen(dot + 1));
    const uint8_t date[] = {0x86, 0x72, 0x15, 0x10, 0x30, 0x00};
    std::memcpy(e + 24, date, 6);
    for (const auto& [at, value] : {std::pair{18, size}, {20, load}, {22, load}})
        testsupport::PutLe(d, static_cast<size_t>(e - d.data() + at), value, 2);
    testsupport::PutLe(d, static_cast<size_t>(e - d.data() + 30),
                       static_cast<uint32_t>(clusters[0]), 2);
}

} // namespace hubasic

// CP/M 2.2 in the X1turbo's layout: 32-byte entries (user, 8+3 name with attributes in the high
// bits, extent, records, 16 one-byte block numbers) after four tracks, 2 KiB blocks.
namespace cpm {

// Logical sector s of a FormattedImage of 256-byte sectors: both sides of each cylinder in turn.
inline uint8_t* Sec(Bytes& d, int s) {
    return d.data() + 688 + s * 272 + 16;
}

inline Bytes Blank() {
    return testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0xE5);
}

// The X1turbo's layout: the directory's 64 entries in block 0 after four tracks, 2 KiB blocks.
inline void Entry(Bytes& d, int slot, uint8_t user, const char* name, int extent, uint8_t records,
                  std::vector<int> blocks, int reserved = 4) {
    uint8_t* e = Sec(d, reserved * 16 + slot / 8) + slot % 8 * 32;
    std::memset(e, 0, 32);
    e[0] = user;
    std::memcpy(e + 1, name, 11);
    e[12] = static_cast<uint8_t>(extent & 31);
    e[14] = static_cast<uint8_t>(extent >> 5);
    e[15] = records;
    for (size_t i = 0; i < blocks.size(); ++i)
        e[16 + i] = static_cast<uint8_t>(blocks[i]);
}

inline void Fill(Bytes& d, int block, const Bytes& data, size_t from, int reserved = 4) {
    for (size_t i = 0; i < 2048 && from + i < data.size(); ++i)
        Sec(d, reserved * 16 + block * 8 + static_cast<int>(i / 256))[i % 256] = data[from + i];
}

} // namespace cpm

// F-BASIC on a 2D disk of the FM-7: the table on cylinder 1 side 0 sector 1 (0x00, four 0xFF,
// then a byte a cluster: next cluster, 0xC0 + sectors used less one, 0xFF free), 32-byte entries
// from sector 4 (name, type at 11, ASCII flag at 12, first cluster at 14); cluster n is half of
// logical track 4 + n / 2.
namespace fbasic {

inline uint8_t* Sector(Bytes& d, int c, int h, int r) {
    return d.data() + 688 + ((c * 2 + h) * 16 + r - 1) * 272 + 16;
}
inline uint8_t* Table(Bytes& d) {
    return Sector(d, 1, 0, 1) + 5;
}
inline uint8_t* ClusterSector(Bytes& d, int cluster, int s) {
    const int track = 4 + cluster / 2;
    return Sector(d, track / 2, track % 2, cluster % 2 * 8 + 1 + s);
}
inline uint8_t* Entry(Bytes& d, int slot) {
    return Sector(d, 1, 0, 4 + slot / 8) + slot % 8 * 32;
}

inline Bytes Blank() {
    Bytes d = testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0xFF);
    Sector(d, 1, 0, 1)[0] = 0x00;
    return d;
}

// Lays data over clusters in that order, and its entry in slot.
inline void AddFile(Bytes& d, int slot, const char* name, uint8_t type, uint8_t ascii,
                    const Bytes& data, const std::vector<int>& clusters) {
    const size_t sectors = std::max<size_t>(1, (data.size() + 255) / 256);
    for (size_t s = 0; s < sectors; ++s) {
        uint8_t* sector = ClusterSector(d, clusters[s / 8], static_cast<int>(s % 8));
        std::memset(sector, 0, 256);
        std::memcpy(sector, data.data() + s * 256,
                    std::min<size_t>(256, data.size() - std::min(data.size(), s * 256)));
    }
    for (size_t i = 0; i < clusters.size(); ++i)
        Table(d)[clusters[i]] = i + 1 < clusters.size()
                                    ? static_cast<uint8_t>(clusters[i + 1])
                                    : static_cast<uint8_t>(0xC0 + (sectors - 1) % 8);
    uint8_t* e = Entry(d, slot);
    std::memset(e, 0xFF, 32);
    std::memset(e, ' ', 8);
    std::memcpy(e, name, std::strlen(name));
    std::memset(e + 8, 0, 3);
    e[11] = type;
    e[12] = ascii;
    e[13] = 0;
    e[14] = static_cast<uint8_t>(clusters[0]);
    e[15] = 0;
}

} // namespace fbasic

// MZ disk BASIC: every byte stored inverted, and record n on logical track n / 16, whose side the
// sector IDs (and the image's tracks here) number 1 - (n / 16) % 2. Record 0 the IPL, 15 the
// bitmap (used and total blocks, a bit a block from record 48, the block size less one at 0xFF),
// 16 to 23 the directory, the volume entry first; files are runs of records.
namespace mz {

inline uint8_t* Record(Bytes& d, int n) {
    const int c = n / 32, h = 1 - n / 16 % 2, r = n % 16 + 1;
    return d.data() + 688 + ((c * 2 + h) * 16 + r - 1) * 272 + 16;
}
// Changes record n as the disk's own software sees it.
template <typename F> void Edit(Bytes& d, int n, F&& change) {
    uint8_t* stored = Record(d, n);
    Bytes logical(256);
    for (int i = 0; i < 256; ++i)
        logical[static_cast<size_t>(i)] = static_cast<uint8_t>(~stored[i]);
    change(logical);
    for (int i = 0; i < 256; ++i)
        stored[i] = static_cast<uint8_t>(~logical[static_cast<size_t>(i)]);
}

inline Bytes Blank(int cylinders = 35, int recordsPerBlock = 1) {
    Bytes d = testsupport::FormattedImage(cylinders > 42 ? 0x10 : 0x00, cylinders, 2, 16, 1, 0xFF);
    Edit(d, 0, [](Bytes& ipl) { std::memcpy(ipl.data(), "\x01IPLPRO", 7); });
    Edit(d, 15, [&](Bytes& bitmap) {
        PutLe(bitmap, 4, static_cast<uint32_t>((cylinders * 32 - 48) / recordsPerBlock), 2);
        bitmap[0xFF] = static_cast<uint8_t>(recordsPerBlock - 1);
    });
    Edit(d, 16, [](Bytes& directory) { directory[0] = 0x80; });
    return d;
}

// The file's entry in slot, its records from first and their blocks marked used.
inline void AddFile(Bytes& d, int slot, uint8_t mode, const std::string& name, const Bytes& data,
                    int first, uint16_t load = 0, uint16_t exec = 0, int recordsPerBlock = 1) {
    Edit(d, 16 + slot / 8, [&](Bytes& record) {
        uint8_t* e = record.data() + slot % 8 * 32;
        e[0] = mode;
        std::memset(e + 1, ' ', 17);
        std::memcpy(e + 1, name.data(), name.size());
        e[1 + name.size()] = 0x0D;
        const size_t at = static_cast<size_t>(e - record.data());
        PutLe(record, at + 0x14, static_cast<uint32_t>(data.size()), 2);
        PutLe(record, at + 0x16, load, 2);
        PutLe(record, at + 0x18, exec, 2);
        PutLe(record, at + 0x1E, static_cast<uint32_t>(first), 2);
    });
    const int records = static_cast<int>((data.size() + 255) / 256);
    for (int i = 0; i < records; ++i)
        Edit(d, first + i, [&](Bytes& record) {
            std::fill(record.begin(), record.end(), 0);
            std::memcpy(record.data(), data.data() + 256 * static_cast<size_t>(i),
                        std::min<size_t>(256, data.size() - 256 * static_cast<size_t>(i)));
        });
    Edit(d, 15, [&](Bytes& bitmap) {
        for (int r = first; first >= 48 && r < first + records; ++r) {
            const int block = (r - 48) / recordsPerBlock;
            if ((bitmap[static_cast<size_t>(6 + block / 8)] >> (block % 8) & 1) == 0) {
                bitmap[static_cast<size_t>(6 + block / 8)] |= static_cast<uint8_t>(1 << block % 8);
                PutLe(bitmap, 2, static_cast<uint32_t>(bitmap[2] | bitmap[3] << 8) + 1, 2);
            }
        }
    });
}

} // namespace mz

// FAT12 as DOS formats it: a boot sector with its parameters, two FATs beginning with the media
// byte and 0xFF 0xFF, an empty root folder.
namespace fat {

struct Medium {
    TDiskFormat Format;
    int Spc, RootEntries, Spf;
    uint8_t Media;
    int Bps() const { return 128 << Format.N; }
    int Total() const { return Format.C * Format.H * Format.R; }
};
inline const Medium Pc98{{DiskType2HD, 77, 2, 8, 3}, 1, 192, 2, 0xFE};
inline const Medium Msx{{DiskType2DD, 80, 2, 9, 2}, 2, 112, 3, 0xF9};

inline Bytes BlankDump(const Medium& m) {
    Bytes dump(static_cast<size_t>(m.Total()) * m.Bps(), 0);
    const Bytes jump{0xEB, 0x3C, 0x90, 'T', 'R', 'A', 'C', 'K', 'W', 'E', 'L'};
    std::copy(jump.begin(), jump.end(), dump.begin());
    PutLe(dump, 0x0B, static_cast<uint32_t>(m.Bps()), 2);
    dump[0x0D] = static_cast<uint8_t>(m.Spc);
    PutLe(dump, 0x0E, 1, 2);
    dump[0x10] = 2;
    PutLe(dump, 0x11, static_cast<uint32_t>(m.RootEntries), 2);
    PutLe(dump, 0x13, static_cast<uint32_t>(m.Total()), 2);
    dump[0x15] = m.Media;
    PutLe(dump, 0x16, static_cast<uint32_t>(m.Spf), 2);
    PutLe(dump, 0x18, static_cast<uint32_t>(m.Format.R), 2);
    PutLe(dump, 0x1A, static_cast<uint32_t>(m.Format.H), 2);
    for (int copy = 0; copy < 2; ++copy) {
        const size_t fat = static_cast<size_t>(m.Bps()) * (1 + copy * m.Spf);
        dump[fat] = m.Media;
        dump[fat + 1] = dump[fat + 2] = 0xFF;
    }
    return dump;
}

inline Bytes Blank(const Medium& m) {
    const TDiskImage image(m.Format, BlankDump(m));
    return Bytes(image.Bytes().begin(), image.Bytes().end());
}

} // namespace fat

} // namespace fstest
