#include "App_softwarelists.h"

#include "App_diskformats.h"
#include "Rtl_codepage.h"
#include "Rtl_hashes.h"
#include "Rtl_paths.h"
#include "Rtl_streams.h"
#include "Rtl_texts.h"

// Debian's expat is built with DTD support, whose entity-expansion bounds are declared only
// for callers that say so.
#define XML_DTD
#include <expat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>

const char* const MameHashFolder = "/usr/share/games/mame/hash";

namespace {

// No list comes near this: MAME's largest is a few dozen megabytes.
constexpr int64_t MaxListSize = int64_t{512} << 20;
// A title or a name longer than this is cut: nothing shows more, and a hostile list cannot
// make the catalog hold its whole text.
constexpr size_t MaxText = 1024;

// A list's text, read into memory that is not cleared first: the read fills all of it.
struct TListText {
    std::unique_ptr<char[]> Bytes;
    size_t Length = 0;
    std::string_view View() const { return {Bytes.get(), Length}; }
};

// The root element comes first, after a declaration and perhaps a DTD: a file is told for a list
// by this much of it, and a file that is none is read no further, whatever its size.
constexpr int64_t HeadSize = 16384;

// The list's whole text, or with head only its first HeadSize bytes.
TListText ReadListFile(const std::string& path, bool head = false) {
    try {
        rtl::TFileStream file(path, rtl::TFileMode::OpenRead);
        int64_t size = file.Size();
        if (head)
            size = std::min(size, HeadSize);
        else if (size > MaxListSize)
            throw ESoftwareListError(
                rtl::Format(rtl::Tr("The program cannot read the list \"%s\": it is too large."),
                            path.c_str()));
        TListText text{std::make_unique_for_overwrite<char[]>(static_cast<size_t>(size)),
                       static_cast<size_t>(size)};
        file.ReadBuffer(text.Bytes.get(), size);
        return text;
    } catch (rtl::EStreamError& e) {
        e.SetMessage(
            rtl::Format(rtl::Tr("The program cannot read the list \"%s\"."), path.c_str()));
        throw;
    }
}

// What a MAME list says of its parts' interfaces when it describes floppy disks.
bool NamesFloppies(std::string_view text) {
    return text.find("interface=\"floppy") != std::string_view::npos ||
           text.find("_flop\"") != std::string_view::npos;
}

std::string_view Attribute(const XML_Char** attributes, std::string_view name) {
    for (const XML_Char** a = attributes; a[0] != nullptr; a += 2)
        if (name == a[0])
            return a[1];
    return {};
}

// value is left as it was unless the whole text is a number: a CRC-32 that is none stays 0.
template <typename T> bool ParseNumber(std::string_view text, T& value, int base) {
    if (base == 10 && text.starts_with("0x")) {
        text.remove_prefix(2);
        base = 16;
    }
    T parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return false;
    value = parsed;
    return true;
}

// hex is 2 * out's length hex digits, checked.
void HexBytes(std::string_view hex, uint8_t* out) {
    const auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out[i / 2] = static_cast<uint8_t>(digit(hex[i]) << 4 | digit(hex[i + 1]));
}

// Builds one list's entries from expat's events. MAME lists: softwarelist > software >
// description, year, publisher, part > feature, dataarea > rom. DAT files: datafile > header >
// name, and game or machine > description, year, manufacturer, rom.
class TListReader {
public:
    TListReader(std::string path, std::vector<std::string>& lists,
                std::vector<TListedSoftware>& softwares, std::vector<TListedDisk>& disks)
        : FPath(std::move(path)), FLists(lists), FSoftwares(softwares), FDisks(disks) {}

    void Parse(std::string_view text) {
        const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
            XML_ParserCreate("UTF-8"), XML_ParserFree);
        if (!parser)
            throw std::bad_alloc();
        // Nothing outside the file is read: no external entity handler is set, and parameter
        // entities are never parsed; a flood of internal entities ends at expat's bound.
        XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
        XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser.get(), 100.0f);
        XML_SetBillionLaughsAttackProtectionActivationThreshold(parser.get(), 1 << 20);
        XML_SetUserData(parser.get(), this);
        XML_SetElementHandler(parser.get(), &TListReader::Start, &TListReader::End);
        XML_SetCharacterDataHandler(parser.get(), &TListReader::Characters);
        FParser = parser.get();
        FList = static_cast<uint32_t>(FLists.size());
        FLists.push_back(rtl::RemoveFileExt(rtl::ExtractFileName(FPath)));
        if (XML_Parse(parser.get(), text.data(), static_cast<int>(text.size()), XML_TRUE) !=
            XML_STATUS_OK) {
            if (!FRefusal.empty())
                Refuse(FRefusal);
            Refuse(rtl::Format(rtl::Tr("%s at line %lu"),
                               XML_ErrorString(XML_GetErrorCode(parser.get())),
                               static_cast<unsigned long>(XML_GetCurrentLineNumber(parser.get()))));
        }
        if (FRoot == TRoot::None)
            Refuse(rtl::Tr("it is neither a MAME software list nor a DAT file"));
    }

private:
    enum class TRoot { None, SoftwareList, DatFile };

    [[noreturn]] void Refuse(const std::string& why) const {
        throw ESoftwareListError(rtl::Format(
            rtl::Tr("The program cannot read the list \"%s\": %s."), FPath.c_str(), why.c_str()));
    }

    static void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attributes) {
        static_cast<TListReader*>(data)->OnStart(name, attributes);
    }
    static void XMLCALL End(void* data, const XML_Char*) {
        static_cast<TListReader*>(data)->OnEnd();
    }
    static void XMLCALL Characters(void* data, const XML_Char* text, int length) {
        auto* reader = static_cast<TListReader*>(data);
        if (reader->FText != nullptr && reader->FText->size() < MaxText)
            reader->FText->append(text, std::min<size_t>(static_cast<size_t>(length),
                                                         MaxText - reader->FText->size()));
    }

    void Stop(const std::string& why) {
        FRefusal = why;
        XML_StopParser(FParser, XML_FALSE);
    }

    void OnStart(std::string_view name, const XML_Char** attributes) {
        ++FDepth;
        FText = nullptr;
        if (FDepth == 1) {
            if (name == "softwarelist") {
                FRoot = TRoot::SoftwareList;
                if (const std::string_view list = Attribute(attributes, "name"); !list.empty())
                    FLists[FList] = std::string(list.substr(0, MaxText));
            } else if (name == "datafile") {
                FRoot = TRoot::DatFile;
            } else {
                Stop(rtl::Tr("it is neither a MAME software list nor a DAT file"));
            }
            return;
        }
        if (FDepth == 2) {
            FInHeader = FRoot == TRoot::DatFile && name == "header";
            const bool software = FRoot == TRoot::SoftwareList
                                      ? name == "software"
                                      : name == "game" || name == "machine";
            if (software) {
                FSoftware = static_cast<uint32_t>(FSoftwares.size());
                TListedSoftware& software = FSoftwares.emplace_back();
                software.List = FList;
                software.Name = Attribute(attributes, "name").substr(0, MaxText);
                FInSoftware = true;
            }
            return;
        }
        if (FDepth == 3 && FInHeader && name == "name") {
            FHeaderName.clear();
            FText = &FHeaderName;
            return;
        }
        if (!FInSoftware)
            return;
        TListedSoftware& software = FSoftwares[FSoftware];
        if (FDepth == 3 && name == "description")
            FText = &software.Description;
        else if (FDepth == 3 && name == "year")
            FText = &software.Year;
        else if (FDepth == 3 && (name == "publisher" || name == "manufacturer"))
            FText = &software.Publisher;
        else if (FDepth == 3 && FRoot == TRoot::SoftwareList && name == "part") {
            FPart = std::string(Attribute(attributes, "name").substr(0, MaxText));
            FPartFloppy = Attribute(attributes, "interface").find("flop") != std::string_view::npos;
            FPartNumber = 0;
            FPartId.clear();
        } else if (FDepth == 4 && name == "feature" && Attribute(attributes, "name") == "part_id") {
            FPartId = Attribute(attributes, "value").substr(0, MaxText);
            FPart += " (" + FPartId + ")";
        } else if (name == "rom")
            OnRom(attributes);
    }

    void OnRom(const XML_Char** attributes) {
        const bool mame = FRoot == TRoot::SoftwareList;
        if (mame && !FPartFloppy)
            return;
        TListedDisk disk;
        disk.HasCrc = ParseNumber(Attribute(attributes, "crc"), disk.Crc, 16);
        const std::string_view sha1 = Attribute(attributes, "sha1");
        // A rom without a checksum is one nobody has: nothing can match it.
        if (!disk.HasCrc && sha1.empty())
            return;
        if (!ParseNumber(Attribute(attributes, "size"), disk.Size, 10) || disk.Size < 0)
            return Stop(rtl::Tr("a disk's size is not a number"));
        if (!sha1.empty()) {
            if (sha1.size() != 40 ||
                sha1.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
                return Stop(rtl::Tr("a disk's SHA-1 is not 40 hex digits"));
            HexBytes(sha1, disk.Sha1.data());
            disk.HasSha1 = true;
        }
        TListedSoftware& software = FSoftwares[FSoftware];
        disk.Software = FSoftware;
        // The roms of one part are one disk.
        if (!mame || FPartNumber == 0)
            FPartNumber = ++software.Disks;
        disk.Number = FPartNumber;
        disk.Part = mame ? FPart : std::string(Attribute(attributes, "name").substr(0, MaxText));
        disk.PartId = mame ? FPartId : std::string();
        FDisks.push_back(std::move(disk));
    }

    void OnEnd() {
        FText = nullptr;
        if (FDepth == 2) {
            // A software without a disk takes no room.
            if (FInSoftware && FSoftwares[FSoftware].Disks == 0)
                FSoftwares.pop_back();
            if (FInHeader && !FHeaderName.empty())
                FLists[FList] = FHeaderName;
            FInSoftware = false;
            FInHeader = false;
        }
        --FDepth;
    }

    const std::string FPath;
    std::vector<std::string>& FLists;
    std::vector<TListedSoftware>& FSoftwares;
    std::vector<TListedDisk>& FDisks;
    XML_Parser FParser = nullptr;
    TRoot FRoot = TRoot::None;
    int FDepth = 0;
    uint32_t FList = 0;
    uint32_t FSoftware = 0;
    bool FInSoftware = false;
    bool FInHeader = false;
    std::string FHeaderName;
    std::string FPart;
    std::string FPartId;
    bool FPartFloppy = false;
    uint32_t FPartNumber = 0;
    std::string* FText = nullptr;
    std::string FRefusal;
};

std::string Digest(rtl::THashAlgorithm algorithm, std::span<const uint8_t> bytes) {
    const std::unique_ptr<rtl::THash> hash = rtl::NewHash(algorithm);
    hash->Update(bytes.data(), bytes.size());
    return hash->HexDigest();
}

} // namespace

TSoftwareCatalog TSoftwareCatalog::ReadList(const std::string& path, bool fromFolder) {
    TSoftwareCatalog part;
    try {
        if (fromFolder) {
            const TListText head = ReadListFile(path, true);
            const bool list = head.View().find("<softwarelist") != std::string_view::npos;
            if (!list && head.View().find("<datafile") == std::string_view::npos)
                return part;
            const TListText text = ReadListFile(path);
            // Whether a MAME list has floppy disks, only its whole text tells.
            if (!list || NamesFloppies(text.View()))
                TListReader(path, part.FLists, part.FSoftwares, part.FDisks).Parse(text.View());
        } else {
            TListReader(path, part.FLists, part.FSoftwares, part.FDisks)
                .Parse(ReadListFile(path).View());
        }
    } catch (const rtl::Exception& e) {
        // What the program raises while it reads one list is that list's fault: its text, or the
        // stream's error under its name. What the reader took before the fault goes with it.
        part = TSoftwareCatalog();
        part.FNotes.push_back(e.Message());
        part.FLeftOut.push_back(path);
    }
    return part;
}

void TSoftwareCatalog::AddFile(const std::string& path) {
    Merge(ReadList(path, false));
    Index();
}

void TSoftwareCatalog::AddFolder(const std::string& path) {
    std::vector<std::string> files;
    std::error_code error;
    std::filesystem::directory_iterator entry(path, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        // An entry whose kind cannot be told, such as a link to nothing, is no list.
        std::error_code kind;
        if (entry->is_regular_file(kind))
            files.push_back(entry->path().string());
    }
    if (error) {
        FNotes.push_back(rtl::Format(rtl::Tr("The program cannot read the folder of lists \"%s\"."),
                                     path.c_str()));
        FLeftOut.push_back(path);
        return;
    }
    std::sort(files.begin(), files.end());
    // The lists are read side by side, each into a catalog of its own, and joined in name order:
    // the result is the same however the reading was shared out.
    std::vector<TSoftwareCatalog> parts(files.size());
    std::vector<std::exception_ptr> failures(files.size());
    // The largest first, each to whichever thread is free: one large list does not keep a
    // thread busy while the other has finished.
    std::vector<size_t> order(files.size());
    std::vector<uintmax_t> sizes(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        order[i] = i;
        sizes[i] = std::filesystem::file_size(files[i], error);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
    std::atomic<size_t> next = 0;
    const auto read = [&] {
        for (size_t k = next++; k < order.size(); k = next++) {
            const size_t i = order[k];
            try {
                parts[i] = ReadList(files[i], true);
            } catch (...) {
                failures[i] = std::current_exception();
            }
        }
    };
    const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
    {
        std::vector<std::jthread> workers;
        for (size_t t = 1; t < threads; ++t)
            workers.emplace_back(read);
        read();
    }
    // Only what no list causes, such as running out of memory, is left to fail the whole read.
    for (size_t i = 0; i < files.size(); ++i) {
        if (failures[i])
            std::rethrow_exception(failures[i]);
        Merge(std::move(parts[i]));
    }
    Index();
}

void TSoftwareCatalog::AddPath(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        AddFolder(path);
    else
        AddFile(path);
}

void TSoftwareCatalog::Merge(TSoftwareCatalog&& part) {
    const auto listBase = static_cast<uint32_t>(FLists.size());
    const auto softwareBase = static_cast<uint32_t>(FSoftwares.size());
    for (std::string& list : part.FLists)
        FLists.push_back(std::move(list));
    for (TListedSoftware& software : part.FSoftwares) {
        software.List += listBase;
        FSoftwares.push_back(std::move(software));
    }
    FDisks.reserve(FDisks.size() + part.FDisks.size());
    for (TListedDisk& disk : part.FDisks) {
        disk.Software += softwareBase;
        FDisks.push_back(std::move(disk));
    }
    for (std::string& note : part.FNotes)
        FNotes.push_back(std::move(note));
    for (std::string& path : part.FLeftOut)
        FLeftOut.push_back(std::move(path));
}

void TSoftwareCatalog::Index() {
    FByDigest.clear();
    FByDigest.reserve(FDisks.size());
    FSizes.clear();
    for (uint32_t i = 0; i < FDisks.size(); ++i) {
        const TListedDisk& disk = FDisks[i];
        FByDigest.push_back({disk.Size, disk.HasCrc, disk.Crc, i});
        FSizes.push_back(disk.Size);
    }
    std::sort(FByDigest.begin(), FByDigest.end());
    std::sort(FSizes.begin(), FSizes.end());
    FSizes.erase(std::unique(FSizes.begin(), FSizes.end()), FSizes.end());
}

bool TSoftwareCatalog::HasSize(int64_t size) const {
    return std::binary_search(FSizes.begin(), FSizes.end(), size);
}

std::vector<uint32_t> TSoftwareCatalog::Find(std::span<const uint8_t> bytes) const {
    const auto size = static_cast<int64_t>(bytes.size());
    std::vector<uint32_t> found;
    std::optional<std::array<uint8_t, 20>> sha1;
    const auto agrees = [&](const TDigestKey& key) {
        const TListedDisk& disk = FDisks[key.Disk];
        if (!disk.HasSha1)
            return true;
        if (!sha1)
            HexBytes(Digest(rtl::THashAlgorithm::Sha1, bytes), sha1.emplace().data());
        return disk.Sha1 == *sha1;
    };
    auto it = std::lower_bound(FByDigest.begin(), FByDigest.end(), TDigestKey{size, false, 0, 0});
    const auto end =
        std::upper_bound(it, FByDigest.end(), TDigestKey{size, true, UINT32_MAX, UINT32_MAX});
    for (; it != end && !it->HasCrc; ++it)
        if (agrees(*it))
            found.push_back(it->Disk);
    const auto withoutCrc = static_cast<std::ptrdiff_t>(found.size());
    if (it != end) {
        uint32_t crc = 0;
        ParseNumber(Digest(rtl::THashAlgorithm::Crc32, bytes), crc, 16);
        for (it = std::lower_bound(it, end, TDigestKey{size, true, crc, 0});
             it != end && it->Crc == crc; ++it)
            if (agrees(*it))
                found.push_back(it->Disk);
    }
    // Each run is in list order already, and no disk is in both.
    std::inplace_merge(found.begin(), found.begin() + withoutCrc, found.end());
    return found;
}

namespace {

// The index's numbers are little-endian whatever the machine; texts a length and their bytes.
class TIndexWriter {
public:
    explicit TIndexWriter(std::string& out) : FOut(out) {}
    void Number(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            FOut.push_back(static_cast<char>(value >> (8 * i)));
    }
    void Text(const std::string& text) {
        Number(text.size(), 4);
        FOut.append(text);
    }

private:
    std::string& FOut;
};

class TIndexReader {
public:
    explicit TIndexReader(std::span<const uint8_t> bytes) : FBytes(bytes) {}
    bool Number(uint64_t& value, int bytes) {
        if (FBytes.size() - FAt < static_cast<size_t>(bytes))
            return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= uint64_t{FBytes[FAt + static_cast<size_t>(i)]} << (8 * i);
        FAt += static_cast<size_t>(bytes);
        return true;
    }
    template <typename T> bool Value(T& value, int bytes) {
        uint64_t number = 0;
        if (!Number(number, bytes))
            return false;
        value = static_cast<T>(number);
        return true;
    }
    bool Text(std::string& text) {
        uint64_t length = 0;
        if (!Number(length, 4) || length > MaxText || length > FBytes.size() - FAt)
            return false;
        text.assign(reinterpret_cast<const char*>(FBytes.data() + FAt), length);
        FAt += length;
        return true;
    }
    // A count of items of at least itemBytes each, which the bytes left can hold.
    bool Count(size_t& count, size_t itemBytes) {
        uint64_t number = 0;
        if (!Number(number, 4) || number > (FBytes.size() - FAt) / itemBytes)
            return false;
        count = static_cast<size_t>(number);
        return true;
    }
    bool AtEnd() const { return FAt == FBytes.size(); }

private:
    std::span<const uint8_t> FBytes;
    size_t FAt = 0;
};

} // namespace

std::string TSoftwareCatalog::Serialize() const {
    std::string out;
    TIndexWriter write(out);
    for (const auto* texts : {&FLists, &FNotes, &FLeftOut}) {
        write.Number(texts->size(), 4);
        for (const std::string& text : *texts)
            write.Text(text);
    }
    write.Number(FSoftwares.size(), 4);
    for (const TListedSoftware& software : FSoftwares) {
        write.Number(software.List, 4);
        write.Number(software.Disks, 4);
        for (const std::string* text :
             {&software.Name, &software.Description, &software.Year, &software.Publisher})
            write.Text(*text);
    }
    write.Number(FDisks.size(), 4);
    for (const TListedDisk& disk : FDisks) {
        write.Number(disk.Software, 4);
        write.Number(disk.Number, 4);
        write.Text(disk.Part);
        write.Text(disk.PartId);
        write.Number(static_cast<uint64_t>(disk.Size), 8);
        write.Number(disk.Crc, 4);
        write.Number((disk.HasCrc ? 1 : 0) | (disk.HasSha1 ? 2 : 0), 1);
        out.append(reinterpret_cast<const char*>(disk.Sha1.data()), disk.Sha1.size());
    }
    return out;
}

std::optional<TSoftwareCatalog> TSoftwareCatalog::Restore(std::span<const uint8_t> bytes) {
    TIndexReader read(bytes);
    TSoftwareCatalog catalog;
    size_t count = 0;
    for (auto* texts : {&catalog.FLists, &catalog.FNotes, &catalog.FLeftOut}) {
        if (!read.Count(count, 4))
            return std::nullopt;
        texts->resize(count);
        for (std::string& text : *texts)
            if (!read.Text(text))
                return std::nullopt;
    }
    if (catalog.FLeftOut.size() != catalog.FNotes.size() || !read.Count(count, 24))
        return std::nullopt;
    catalog.FSoftwares.resize(count);
    for (TListedSoftware& software : catalog.FSoftwares)
        if (!read.Value(software.List, 4) || software.List >= catalog.FLists.size() ||
            !read.Value(software.Disks, 4) || !read.Text(software.Name) ||
            !read.Text(software.Description) || !read.Text(software.Year) ||
            !read.Text(software.Publisher))
            return std::nullopt;
    if (!read.Count(count, 49))
        return std::nullopt;
    catalog.FDisks.resize(count);
    for (TListedDisk& disk : catalog.FDisks) {
        uint8_t flags = 0;
        if (!read.Value(disk.Software, 4) || disk.Software >= catalog.FSoftwares.size() ||
            !read.Value(disk.Number, 4) || !read.Text(disk.Part) || !read.Text(disk.PartId) ||
            !read.Value(disk.Size, 8) || disk.Size < 0 || !read.Value(disk.Crc, 4) ||
            !read.Value(flags, 1) || flags == 0 || flags > 3)
            return std::nullopt;
        // A disk with neither digest would be every image of its size; no list gives one.
        disk.HasCrc = (flags & 1) != 0;
        disk.HasSha1 = (flags & 2) != 0;
        for (uint8_t& byte : disk.Sha1)
            if (!read.Value(byte, 1))
                return std::nullopt;
    }
    if (!read.AtEnd())
        return std::nullopt;
    catalog.Index();
    return catalog;
}

std::vector<uint32_t> IdentifyImage(const TSoftwareCatalog& catalog, const TDiskImage& image,
                                    std::span<const uint8_t> file) {
    std::vector<uint32_t> found;
    const auto add = [&](std::span<const uint8_t> bytes) {
        const std::vector<uint32_t> disks = catalog.Find(bytes);
        found.insert(found.end(), disks.begin(), disks.end());
    };
    const std::span<const uint8_t> bytes = image.Bytes();
    add(bytes);
    if (image.WriteProtected() != WriteProtectedOff && catalog.HasSize(image.Size())) {
        std::vector<uint8_t> cleared(bytes.begin(), bytes.end());
        cleared[TDiskImage::WriteProtectedOffset] = WriteProtectedOff;
        add(cleared);
    }
    // Only an image of a listed dump's size is written out as one.
    try {
        const TDiskFormat format = PlainGeometry(image, 1);
        if (catalog.HasSize(int64_t{format.C} * format.H * format.R * SectorBytes(format.N))) {
            rtl::TMemoryStream dump;
            SaveImageInForm(image, 1, TImageForm::Raw, dump);
            add({dump.Memory(), static_cast<size_t>(dump.Size())});
        }
    } catch (const EDiskImageError&) {
    }
    if (!file.empty())
        add(file);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::string IdentificationName(const TSoftwareCatalog& catalog, uint32_t index) {
    const TListedDisk& disk = catalog.Disks()[index];
    const TListedSoftware& software = catalog.Softwares()[disk.Software];
    std::string suffix;
    if (software.Disks > 1) {
        const std::string id = NameOfText(disk.PartId, 8);
        // A part_id too long to fit whole is no help: the number is.
        const bool whole = !id.empty() && rtl::Cp932ToUtf8(id) == disk.PartId;
        suffix = " " + (whole ? id : std::to_string(disk.Number));
    }
    std::string title = NameOfText(software.Description,
                                   static_cast<size_t>(TDiskImage::MaxNameLength) - suffix.size());
    while (!title.empty() && title.back() == ' ')
        title.pop_back();
    return title + suffix;
}

std::string DescribeSoftware(const TListedSoftware& software) {
    std::string about = software.Year;
    if (!software.Publisher.empty())
        about += (about.empty() ? "" : ", ") + software.Publisher;
    return about.empty() ? software.Description : software.Description + " (" + about + ")";
}
