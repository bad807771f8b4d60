// What every file system does the same way: allocation chains walked and their faults worded,
// clusters given to one owner each, folders and names looked up and refused alike, and the
// names of a disk's entries made fit for paths and messages. A file system keeps only what is
// its own: its layout, its entry format, its name rules and how its table links clusters.
#pragma once

#include "App_filesystems.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Allocation chains.

// What ends a chain before its end mark. A chain that runs into a free or reserved cluster stops
// before it: that cluster is not the file's.
enum class TChainFault {
    None,
    // The entry's first cluster is not one of the disk's.
    Outside,
    // A link names a cluster the disk does not have.
    Leaves,
    Loops,
    Free,
    Reserved,
    // The end mark counts more of the last cluster than a cluster holds.
    Count,
};

struct TChain {
    std::vector<int> Clusters;
    // How much of the last cluster the file uses, in the file system's own unit; what the end
    // mark said.
    int LastUse = 0;
    TChainFault Fault = TChainFault::None;
    // The free or reserved cluster the chain ran into.
    int FaultCluster = -1;

    bool Sound() const { return Fault == TChainFault::None; }
};

// What a file system's table says follows a cluster of a chain.
struct TLink {
    enum class TKind { Next, End, Fault };
    TKind Kind = TKind::End;
    // The next cluster, or the last cluster's use.
    int Value = 0;
    TChainFault Fault = TChainFault::None;

    static TLink Next(int cluster) { return {TKind::Next, cluster, TChainFault::None}; }
    static TLink End(int use) { return {TKind::End, use, TChainFault::None}; }
    static TLink Broken(TChainFault fault) { return {TKind::Fault, 0, fault}; }
};

// The clusters a table numbers, 0 up to Usable's size, and whether each is one a file can have:
// on the disk, and not below the first cluster files start at. Bytes, not bits, so that a read
// one past the end is one the sanitizers see.
struct TClusterSpace {
    std::vector<uint8_t> Usable;

    int Count() const { return static_cast<int>(Usable.size()); }
    bool Holds(int cluster) const {
        return cluster >= 0 && cluster < Count() && Usable[static_cast<size_t>(cluster)];
    }
};

// Follows a chain from first with link, which reads the table's value for a cluster. Every
// cluster is passed at most once, so the walk takes at most as many steps as the space has
// clusters, whatever the table holds.
template <typename TLinkOf>
TChain WalkChain(const TClusterSpace& space, int first, TLinkOf&& link) {
    TChain chain;
    if (!space.Holds(first)) {
        chain.Fault = TChainFault::Outside;
        return chain;
    }
    std::vector<bool> seen(space.Usable.size());
    int cluster = first;
    for (int steps = 0; steps < space.Count(); ++steps) {
        if (seen[static_cast<size_t>(cluster)]) {
            chain.Fault = TChainFault::Loops;
            return chain;
        }
        const TLink next = link(cluster);
        if (next.Kind == TLink::TKind::Fault &&
            (next.Fault == TChainFault::Free || next.Fault == TChainFault::Reserved)) {
            chain.Fault = next.Fault;
            chain.FaultCluster = cluster;
            return chain;
        }
        seen[static_cast<size_t>(cluster)] = true;
        chain.Clusters.push_back(cluster);
        if (next.Kind == TLink::TKind::End) {
            chain.LastUse = next.Value;
            return chain;
        }
        if (next.Kind == TLink::TKind::Fault) {
            chain.Fault = next.Fault;
            return chain;
        }
        if (!space.Holds(next.Value)) {
            chain.Fault = TChainFault::Leaves;
            return chain;
        }
        cluster = next.Value;
    }
    chain.Fault = TChainFault::Loops;
    return chain;
}

// What is wrong with the chain of the entry named name (code page 932), as a clause for Damage();
// empty for a sound chain.
std::string ChainDamage(const TChain& chain, std::string_view name);

// ---------------------------------------------------------------------------------------------
// Damage.

// The first thing found wrong with a disk: the clause Damage() gives. Later findings are
// dropped, so that a disk damaged everywhere costs no more to describe than one fault.
class TDamage {
public:
    void Note(std::string clause) {
        if (FText.empty())
            FText = std::move(clause);
    }
    bool Found() const { return !FText.empty(); }
    const std::string& Text() const { return FText; }

private:
    std::string FText;
};

// Which file holds each cluster: the first file to claim a cluster keeps it, and a later claim
// on it is damage.
class TClusterOwners {
public:
    // With blocks, clauses call the clusters blocks, as CP/M does.
    explicit TClusterOwners(int clusters, bool blocks = false);

    // Gives clusters to the entry named name (code page 932); the clause naming the first of them
    // another entry holds, or empty.
    std::string Claim(std::span<const int> clusters, std::string_view name);

private:
    std::vector<int> FOwners;
    std::vector<std::string> FNames;
    bool FBlocks;
};

// ---------------------------------------------------------------------------------------------
// Names and paths.

// The name of an entry as listings show it and paths name it, from its bytes on the disk (code
// page 932, padding removed): every byte a path or a message cannot carry as it is written
// \xNN, two upper-case hex digits. That is a control byte or DEL, '/', a byte that starts no
// character of the code page, a backslash before an 'x' (so that the escapes stay unambiguous)
// and a blank name, which shows as \x20. The same text, typed back, reaches the entry.
std::string ListedName(std::string_view stored);

// Code page 932 text (a name or a path) as a message quotes it, in UTF-8.
std::string NameInMessage(std::string_view cp932);

// Whether a file system's names match whatever the case of their ASCII letters (DOS stores them in
// upper case and finds them in either), or byte for byte (the BASICs and CP/M keep what was
// typed).
enum class TNameCase { Exact, Folded };

bool SameName(std::string_view a, std::string_view b, TNameCase rule);

// What a file system's names may be, for the nearest name that fits one that does not.
struct TNameRule {
    // Bytes before the dot and after it; no extension at all takes the dot as a character.
    size_t NameBytes;
    size_t ExtensionBytes;
    // Whether a one-byte character may stand in a name (never a control character).
    bool (*Allowed)(uint8_t byte);
    // Whether two-byte characters of code page 932 may.
    bool DoubleByte;
    // ASCII letters kept in upper case, as DOS keeps them.
    bool Upper;
};

// The name nearest to name that the rule allows: every character it does not allow, and every
// dot but the extension's, replaced by '_'; each part cut to its bytes at a character boundary;
// an empty name part made "_".
std::string FitName(std::string_view name, const TNameRule& rule);

// Whether data is text as the BASICs that end a text with 0x1A keep it: not empty, printable
// bytes (Shift-JIS's among them), tabs and line ends, and nothing that would end it early.
bool IsPlainText(std::span<const uint8_t> data);

// Adds word to a listing's details: every file system parts its details by one space.
void AppendDetail(std::string& details, std::string_view word);

// A path split into its folders and its last name.
struct TPathParts {
    std::vector<std::string> Folders;
    std::string Name;
    // The folders joined again by '/'.
    std::string Folder() const;
};
// EFileSystemError NoFileMessage for a path that names nothing ("" or only slashes).
TPathParts SplitPath(std::string_view path);
std::string JoinPath(std::string_view folder, std::string_view name);

[[noreturn]] void RefuseMissingFolder(std::span<const std::string> parts);
[[noreturn]] void RefuseMissingFile(std::string_view path);

// The folder the parts name, going from root into each in turn with into, which gives the folder
// an entry of that name leads to, or nothing when there is no such folder; EFileSystemError
// NoFolderMessage naming all the parts otherwise. Every operation of every file system refuses a
// missing folder with it.
template <typename TFolder, typename TInto>
TFolder FindFolder(std::span<const std::string> parts, TFolder root, TInto&& into) {
    TFolder folder = std::move(root);
    for (const std::string& part : parts) {
        std::optional<TFolder> inner = into(folder, part);
        if (!inner)
            RefuseMissingFolder(parts);
        folder = std::move(*inner);
    }
    return folder;
}
// The same for a file system of one folder: refuses any folder.
void CheckRootOnly(std::span<const std::string> parts);

// The first of entries whose listed name (nameOf) is name, or null.
template <typename TEntry, typename TNameOf>
const TEntry* FindEntry(std::span<const TEntry> entries, std::string_view name, TNameCase rule,
                        TNameOf&& nameOf) {
    for (const TEntry& entry : entries)
        if (SameName(nameOf(entry), name, rule))
            return &entry;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Refusals every file system words alike.

// "The disk already has a file "…"." (or a folder) for path.
[[noreturn]] void RefuseExisting(std::string_view path, bool folder = false);
// The directory has no free entry for the file at path.
[[noreturn]] void RefuseNoRoom(std::string_view path);
// The data does not fit the free bytes.
[[noreturn]] void RefuseDiskFull(std::string_view path, int64_t size, int64_t free);
// A file whose allocation chain is not sound.
[[noreturn]] void RefuseBrokenChain(std::string_view path);
