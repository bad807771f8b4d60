#!/usr/bin/env python3
"""Writes the seeds of the fuzz_filesystems target: one formatted disk a file system, laid out
here from the public notes on each format, with a file or two on it, as the target's input (a
geometry byte whose high bit keeps only the tracks patched, a cylinders byte, then patches of the
blank's sectors).

    scripts/fs-fuzz-seeds.py [--check FUZZ_BINARY]

With --check, the fuzz target runs each seed once and must open it as the file system it was
made for, sound and with its files: a seed that opens as nothing only costs the fuzzer time.
"""
import argparse
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "tests", "fuzz", "corpus", "fuzz_filesystems")

# The target's geometries, in its order: cylinders, heads, sectors a track, bytes a sector.
GEOMETRIES = [(40, 2, 16, 256), (77, 2, 8, 1024), (80, 2, 9, 512), (80, 2, 16, 256),
              (77, 2, 26, 256)]
G2D, G2HD_PC98, G2DD_MSX, G2DD, G2HD = range(5)


class Disk:
    """The sectors of one geometry as the target's plain dump orders them, and the cylinders the
    disk keeps: only those must hold what the file system needs. A sparse disk holds only the
    tracks written or touched, as images that leave out unformatted tracks do."""

    def __init__(self, geometry, cylinders, sparse=False):
        self.geometry = geometry
        self.c, self.h, self.r, self.size = GEOMETRIES[geometry]
        assert 1 <= cylinders <= self.c
        self.cylinders = cylinders
        self.sparse = sparse
        self.dump = bytearray(self.c * self.h * self.r * self.size)
        self.tracks = set()

    def logical(self, n):
        """Where logical sector n is: sectors by number, both sides of a cylinder in turn."""
        assert n < self.cylinders * self.h * self.r, "sector %d is past the kept cylinders" % n
        return n * self.size

    def at(self, c, h, r):
        return self.logical((c * self.h + h) * self.r + r - 1)

    def track_of(self, offset):
        return offset // (self.r * self.size)

    def put(self, offset, data):
        self.dump[offset:offset + len(data)] = bytes(data)
        self.tracks.update(range(self.track_of(offset), self.track_of(offset + len(data) - 1) + 1))

    def touch(self, c, h):
        """Keeps the track on a sparse disk, blank: room for the files the fuzzer writes."""
        self.tracks.add(self.track_of(self.at(c, h, 1)))

    def seed(self):
        """The input: runs of bytes that differ from the blank's zeros, gaps shorter than a
        patch's 4-byte header joined, each run at most 255 bytes; on a sparse disk, an empty
        patch for each track kept without any."""
        out = bytearray([self.geometry | (0x80 if self.sparse else 0), self.cylinders - 1])
        runs = []
        for i in (i for i, b in enumerate(self.dump) if b):
            if runs and i - runs[-1][1] <= 4 and i - runs[-1][0] < 255:
                runs[-1][1] = i + 1
            else:
                runs.append([i, i + 1])
        covered = {self.track_of(i) for begin, end in runs for i in (begin, end - 1)}
        if self.sparse:
            runs += [[t * self.r * self.size] * 2 for t in sorted(self.tracks - covered)]
        for begin, end in runs:
            out += bytes([begin & 0xFF, begin >> 8 & 0xFF, begin >> 16, end - begin])
            out += self.dump[begin:end]
        return bytes(out)


def le(value, size):
    return value.to_bytes(size, "little")


def pattern(size, seed):
    return bytes((i * 7 + seed + i // 251) & 0xFF for i in range(size))


# N88-BASIC: a system track with the directory (16-byte entries: 6 + 3 name, attribute, first
# cluster) from sector 1, the ID sector, then three copies of an 8-bit table (next cluster,
# 0xC0 + sectors used in the last one, 0xFE reserved, 0xFF free). Clusters run through the
# tracks in order.
def n88(geometry, per_cluster, clusters, system, files, free, reserved=()):
    disk = Disk(geometry, GEOMETRIES[geometry][0], sparse=True)
    for track in free:
        disk.touch(track // 2, track % 2)
    spt = disk.r
    per_track = spt // per_cluster
    system_track = system[0] * 2 + system[1]
    table = bytearray([0xFF] * clusters)
    for k in range(per_track):
        table[system_track * per_track + k] = 0xFE
    for k in reserved:
        table[k] = 0xFE

    def sector(cluster, s):
        track = cluster // per_track
        return disk.at(track // 2, track % 2, cluster % per_track * per_cluster + 1 + s)

    for slot, (name, attribute, chain, data, fill) in enumerate(files):
        sectors = max(1, (len(data) + 255) // 256)
        padded = data + bytes([fill]) * (sectors * 256 - len(data))
        for i, cluster in enumerate(chain):
            used = min(per_cluster, sectors - i * per_cluster)
            for s in range(used):
                at = (i * per_cluster + s) * 256
                disk.put(sector(cluster, s), padded[at:at + 256])
            table[cluster] = chain[i + 1] if i + 1 < len(chain) else 0xC0 + used
        entry = name.encode("ascii") + bytes([attribute, chain[0]]) + b"\xFF" * 5
        assert len(entry) == 16
        disk.put(disk.at(system[0], system[1], 1) + slot * 16, entry)
    for copy in range(3):
        disk.put(disk.at(system[0], system[1], spt - 2 + copy), table)
    return disk


# A text in one sector, and machine code that runs a sector into its second cluster.
def n88_files(per_cluster, text_cluster, chain):
    code = b"\xC3\x00\x90" + pattern(300, 3)
    code += bytes((len(chain) - 1) * per_cluster * 256 - len(code) + 1)
    return [("README   ", 0x00, [text_cluster], b'10 PRINT "HELLO"\r\n', 0x1A),
            ("GAME  BIN", 0x01, chain, code, 0x00)]


# Hu-BASIC: the table at logical sector 14 (2D) or 28 and 29 (2HD), 128 clusters a sector, each
# value's low seven bits in the first half and the bits above in the second; 0x80 | the last
# sector used ends a chain, 0 is free. 32-byte entries from logical sector 16 or 32. A cluster
# is 16 sectors; the clusters of the boot sector, table and directory chain from cluster 0.
def hubasic(geometry, cylinders, hd):
    disk = Disk(geometry, cylinders)
    table_sector, directory = (28, 32) if hd else (14, 16)
    # Each cluster's (low, high) pair.
    table = {0: (1, 0), 1: (2, 0), 2: (0x8F, 0)} if hd else {0: (1, 0), 1: (0x8F, 0)}
    first = len(table)
    date = bytes([0x86, 0x72, 0x15, 0x10, 0x30, 0x00])
    files = [(0x04, "HELLO", "TXT", b'10 PRINT "HELLO"\r\n\x1A', 0, 0),
             (0x01, "CODE", "BIN", b"\xC3\x00\x80" + pattern(597, 5), 600, 0x8000)]
    for slot, (mode, name, ext, data, size, load) in enumerate(files):
        cluster = first + slot
        for s in range(0, len(data), 256):
            disk.put(disk.logical(cluster * 16 + s // 256), data[s:s + 256])
        table[cluster] = (0x80 | (len(data) - 1) // 256, 0)
        entry = (bytes([mode]) + name.ljust(13).encode() + ext.ljust(3).encode() + b"\x20" +
                 le(size, 2) + le(load, 2) + le(load, 2) + date + le(cluster, 2))
        assert len(entry) == 32
        disk.put(disk.logical(directory + slot // 8) + slot % 8 * 32, entry)
    for cluster, (low, high) in table.items():
        at = disk.logical(table_sector + cluster // 128) + cluster % 128
        disk.put(at, [low])
        disk.put(at + 128, [high])
    return disk


# CP/M 2.2 as the X1turbo lays it out: four tracks for the system, then the directory's 64
# entries (user, 8 + 3 name, extent, records, 16 one-byte block numbers) in 2 KiB block 0;
# erased entries are 0xE5.
def cpm():
    disk = Disk(G2D, 3)
    first = 4 * 16
    directory = bytearray([0xE5] * 2048)
    files = [("HOGE    TXT", 1, [1], b"0123456789\r\n\x1A"),
             ("WM      COM", 24, [2, 3], b"\xC3\x00\x01" + pattern(253, 9) + bytes(2816))]
    for slot, (name, records, blocks, data) in enumerate(files):
        entry = bytes([0]) + name.encode() + bytes([0, 0, 0, records]) + bytes(blocks)
        directory[slot * 32:slot * 32 + 32] = entry.ljust(32, b"\0")
        for i, block in enumerate(blocks):
            chunk = data[i * 2048:(i + 1) * 2048]
            for s in range(0, len(chunk), 256):
                disk.put(disk.logical(first + block * 8 + s // 256), chunk[s:s + 256])
    disk.put(disk.logical(first), directory)
    return disk


# FAT12 as DOS formats it: a boot sector with its parameters, two FATs beginning with the media
# byte and 0xFF 0xFF, the root folder, then the clusters from 2.
def fat(geometry, spc, root_entries, spf, media, free_track):
    c, h, r, bps = GEOMETRIES[geometry]
    disk = Disk(geometry, c, sparse=True)
    # The last cylinder makes the disk as large as its boot sector says.
    disk.touch(free_track // h, free_track % h)
    disk.touch(c - 1, h - 1)
    total = c * h * r
    boot = (b"\xEB\x3C\x90TRACKWEL" + le(bps, 2) + bytes([spc]) + le(1, 2) + bytes([2]) +
            le(root_entries, 2) + le(total, 2) + bytes([media]) + le(spf, 2) + le(r, 2) + le(h, 2))
    disk.put(0, boot)
    root = 1 + 2 * spf
    data_first = root + (root_entries * 32 + bps - 1) // bps
    entries = {}

    def sector_of(cluster):
        return data_first + (cluster - 2) * spc

    def entry(name, attribute, cluster, size):
        # 12:00 on 1 April 1990.
        return (name.encode() + bytes([attribute]) + bytes(10) + le(12 << 11, 2) +
                le(10 << 9 | 4 << 5 | 1, 2) + le(cluster, 2) + le(size, 4))

    def write(cluster_chain, data):
        for i, cluster in enumerate(cluster_chain):
            entries[cluster] = cluster_chain[i + 1] if i + 1 < len(cluster_chain) else 0xFFF
            chunk = data[i * spc * bps:(i + 1) * spc * bps]
            disk.put(disk.logical(sector_of(cluster)), chunk)

    hello = b"HELLO, DISK\r\n"
    big = b"DATA" + pattern(spc * bps + 100, 11)
    inner = b"INSIDE\r\n"
    write([2], hello)
    write([3, 4], big)
    folder = (entry(".          ", 0x10, 5, 0) + entry("..         ", 0x10, 0, 0) +
              entry("INNER   TXT", 0x20, 6, len(inner)))
    write([5], folder)
    write([6], inner)
    disk.put(disk.logical(root),
             entry("HELLO   TXT", 0x20, 2, len(hello)) + entry("DATA    BIN", 0x20, 3, len(big)) +
             entry("SUB        ", 0x10, 5, 0))
    table = bytearray(spf * bps)
    table[0:3] = bytes([media, 0xFF, 0xFF])
    for cluster, value in entries.items():
        at = cluster + cluster // 2
        if cluster % 2 == 0:
            table[at] = value & 0xFF
            table[at + 1] = table[at + 1] & 0xF0 | value >> 8
        else:
            table[at] = table[at] & 0x0F | (value << 4 & 0xF0)
            table[at + 1] = value >> 4
    for copy in range(2):
        disk.put(disk.logical(1 + copy * spf), table)
    return disk


# F-BASIC of the FM-7: on cylinder 1 side 0, the table in sector 1 (0x00 and four 0xFF, then a
# byte for each of 152 clusters: the next cluster, 0xC0 + the sectors used less one in the last,
# 0xFF free) and 32-byte entries from sector 4 (8-byte name, type, ASCII flag, random flag, first
# cluster; 0xFF first for a slot never used). A cluster is half a logical track from track 4.
# The blank's zeros would read as chains to cluster 0 and as killed entries: a formatted disk's
# free clusters and unused slots are 0xFF.
def fbasic():
    # Cylinder 2 holds clusters 0 to 3: the files and one cluster free for the fuzzer's.
    disk = Disk(G2D, 3)

    def sector(cluster, s):
        track = 4 + cluster // 2
        return disk.at(track // 2, track % 2, cluster % 2 * 8 + 1 + s)

    table = bytearray([0xFF] * 152)
    directory = bytearray([0xFF] * (13 * 256))
    # Machine code that runs into its second cluster; its pattern holds 0x1A bytes, which do not
    # end it as they end text.
    code = pattern(300, 7) + bytes(1900)
    files = [("HELLO", 0, 0xFF, [0], b'10 PRINT "HELLO"\r\n\x1A'),
             ("GAME", 2, 0x00, [1, 2],
              b"\x00" + len(code).to_bytes(2, "big") + b"\x60\x00" + code +
              b"\xFF\x00\x00\x60\x00\x1A")]
    for slot, (name, kind, ascii, chain, data) in enumerate(files):
        sectors = (len(data) + 255) // 256
        for i, cluster in enumerate(chain):
            used = min(8, sectors - i * 8)
            for s in range(used):
                at = (i * 8 + s) * 256
                disk.put(sector(cluster, s), data[at:at + 256])
            table[cluster] = chain[i + 1] if i + 1 < len(chain) else 0xC0 + used - 1
        entry = (name.ljust(8).encode("ascii") + bytes(3) + bytes([kind, ascii, 0, chain[0], 0]) +
                 b"\xFF" * 16)
        assert len(entry) == 32
        directory[slot * 32:slot * 32 + 32] = entry
    disk.put(disk.at(1, 0, 1), b"\x00\xFF\xFF\xFF\xFF" + table)
    disk.put(disk.at(1, 0, 4), directory)
    return disk


# MZ disk BASIC: every byte stored inverted, and record n on logical track n/16, sector n%16 + 1,
# in the sector whose ID names side 1 - the logical side: on the blank, whose IDs follow the
# table, the other side of the cylinder. Record 0 the IPL, 15 the bitmap (used and total blocks,
# then a bit a block from record 48, the records a block less one at 0xFF), 16 to 23 the
# directory's 32-byte entries behind the volume entry; files are runs of records from 48.
# The blank's zeros read as 0xFF, a mode no entry has and a bitmap all used: each system record
# is written whole.
def mz():
    # The last cylinder keeps all 35, which the bitmap's blocks fill.
    cylinders = 35
    disk = Disk(G2D, cylinders, sparse=True)
    disk.touch(cylinders - 1, 0)

    def put_record(n, data):
        assert len(data) <= 256
        logical = bytes(data) + bytes(256 - len(data))
        disk.put(disk.at(n // 32, 1 - n // 16 % 2, n % 16 + 1), bytes(b ^ 0xFF for b in logical))

    blocks = cylinders * 32 - 48
    directory = bytearray(8 * 256)
    directory[0] = 0x80
    used = []
    code = b"\xC3\x00\x80" + pattern(397, 13)
    files = [(0x01, "GAME", code, 48, 0x8000, 0x8000),
             (0x02, "HELLO", b'10 PRINT "HELLO"\r', 50, 0, 0)]
    for slot, (mode, name, data, first, load, execute) in enumerate(files, 1):
        entry = (bytes([mode]) + (name.encode("ascii") + b"\x0D").ljust(0x13, b" ") +
                 le(len(data), 2) + le(load, 2) + le(execute, 2) + bytes(4) + le(first, 2))
        assert len(entry) == 32
        directory[slot * 32:slot * 32 + 32] = entry
        for i in range(0, len(data), 256):
            put_record(first + i // 256, data[i:i + 256])
            used.append(first + i // 256 - 48)
    bitmap = bytearray(256)
    bitmap[2:6] = le(len(used), 2) + le(blocks, 2)
    for block in used:
        bitmap[6 + block // 8] |= 1 << block % 8
    put_record(0, b"\x01IPLPRO")
    put_record(15, bitmap)
    for i in range(8):
        put_record(16 + i, directory[i * 256:(i + 1) * 256])
    return disk


# Each seed with the file system it must open as and the files on it. Each input of them must be
# cheap: the BASICs' system tracks and the FAT disks' last cylinders are reached on sparse disks
# of a few tracks, which keep a track or two free for the files the fuzzer writes; the other disks
# keep the few cylinders their files need.
SEEDS = {
    "n88-2d.seed": (n88(G2D, 8, 160, (18, 1), n88_files(8, 72, [70, 71]), [34, 38]),
                    "N88-BASIC", 2),
    "n88-2dd.seed": (n88(G2DD, 16, 160, (40, 0), n88_files(16, 81, [82, 83]), [79, 84]),
                     "N88-BASIC", 2),
    "n88-2hd.seed": (n88(G2HD, 26, 154, (35, 0), n88_files(26, 69, [71, 68]), [67, 72],
                         reserved=[0]), "N88-BASIC", 2),
    "hubasic-2d.seed": (hubasic(G2D, 3, False), "Hu-BASIC", 2),
    "hubasic-2hd.seed": (hubasic(G2HD, 3, True), "Hu-BASIC", 2),
    "fbasic-2d.seed": (fbasic(), "F-BASIC", 2),
    "cpm-x1turbo-2d.seed": (cpm(), "CP/M", 2),
    "mz-2d.seed": (mz(), "MZ-BASIC", 2),
    "fat-pc98-2hd.seed": (fat(G2HD_PC98, 1, 192, 2, 0xFE, 2), "FAT12", 3),
    "fat-msx-2dd.seed": (fat(G2DD_MSX, 2, 112, 3, 0xF9, 3), "FAT12", 3),
}

# What only reads its disks.
READ_ONLY = {"CP/M", "MZ-BASIC"}


def check(binary, path, name, files, writable):
    env = dict(os.environ, TRACKWELL_FUZZ_SHOW="1")
    run = subprocess.run([binary, path], env=env, capture_output=True, text=True)
    shown = re.findall(r"^fuzz: file system (.*)$", run.stderr, re.M)
    changed = re.findall(r"^fuzz: (written, .* and deleted)$", run.stderr, re.M)
    expected = "%s, %d files, " % (name, files)
    # libFuzzer may run an input more than once.
    if run.returncode != 0 or not shown or len(set(shown)) != 1 or \
            not shown[0].startswith(expected) or not shown[0].endswith("damage []") or \
            set(changed) != ({"written, renamed and deleted"} if writable else set()):
        sys.exit("%s: expected %s... damage [] and %s, got %s %s (exit %d)\n%s" %
                 (path, expected, "the changes" if writable else "no change", shown, changed,
                  run.returncode, run.stderr[-2000:]))
    print("%-22s %s; %s" % (os.path.basename(path), shown[0], changed[0] if changed else "read only"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", metavar="FUZZ_BINARY")
    args = parser.parse_args()
    os.makedirs(CORPUS, exist_ok=True)
    for file, (disk, name, files) in SEEDS.items():
        writable = name not in READ_ONLY
        path = os.path.join(CORPUS, file)
        data = disk.seed()
        assert len(data) <= 32768, file
        with open(path, "wb") as out:
            out.write(data)
        if args.check:
            check(args.check, path, name, files, writable)


if __name__ == "__main__":
    main()
