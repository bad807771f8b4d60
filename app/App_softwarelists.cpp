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
#include <numeric>
#include <optional>
#include <stdexcept>
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

// What lists are read into before they become a catalog's bytes.
struct TContent {
    std::vector<std::string> Lists;
    std::vector<TListedSoftware> Softwares;
    std::vector<TListedDisk> Disks;
    std::vector<std::string> Notes;
    std::vector<std::string> LeftOut;

    void Merge(TContent&& part) {
        const auto listBase = static_cast<uint32_t>(Lists.size());
        const auto softwareBase = static_cast<uint32_t>(Softwares.size());
        for (std::string& list : part.Lists)
            Lists.push_back(std::move(list));
        for (TListedSoftware& software : part.Softwares) {
            software.List += listBase;
            Softwares.push_back(std::move(software));
        }
        Disks.reserve(Disks.size() + part.Disks.size());
        for (TListedDisk& disk : part.Disks) {
            disk.Software += softwareBase;
            Disks.push_back(std::move(disk));
        }
        for (std::string& note : part.Notes)
            Notes.push_back(std::move(note));
        for (std::string& path : part.LeftOut)
            LeftOut.push_back(std::move(path));
    }
};

// One file's list, or the note of why it is left out. From a folder, a file is read whole only
// when its first bytes tell a list.
TContent ReadList(const std::string& path, bool fromFolder) {
    TContent part;
    try {
        if (fromFolder) {
            const TListText head = ReadListFile(path, true);
            const bool list = head.View().find("<softwarelist") != std::string_view::npos;
            if (!list && head.View().find("<datafile") == std::string_view::npos)
                return part;
            const TListText text = ReadListFile(path);
            // Whether a MAME list has floppy disks, only its whole text tells.
            if (!list || NamesFloppies(text.View()))
                TListReader(path, part.Lists, part.Softwares, part.Disks).Parse(text.View());
        } else {
            TListReader(path, part.Lists, part.Softwares, part.Disks)
                .Parse(ReadListFile(path).View());
        }
    } catch (const rtl::Exception& e) {
        // What the program raises while it reads one list is that list's fault: its text, or the
        // stream's error under its name. What the reader took before the fault goes with it.
        part = TContent();
        part.Notes.push_back(e.Message());
        part.LeftOut.push_back(path);
    }
    return part;
}

// The order Find looks disks up in: by size, those without a CRC-32 first, so that they are
// found without one, then by CRC-32, and in list order within each.
struct TDigestKey {
    int64_t Size = 0;
    bool HasCrc = false;
    uint32_t Crc = 0;
    uint32_t Disk = 0;
    auto operator<=>(const TDigestKey&) const = default;
};

// A disk's flags in the catalog's bytes.
constexpr uint8_t HasCrcFlag = 1;
constexpr uint8_t HasSha1Flag = 2;

// The catalog's bytes begin with this, and a count of lists, of notes, of softwares and of
// disks. Then come the softwares' lists and disk counts; the disks' softwares, numbers, sizes,
// CRC-32s, flags and SHA-1s; the disks in the order Find looks them up in; where each text ends;
// and the texts: the lists', the notes', the paths left out, four for each software (name,
// description, year, publisher) and two for each disk (part, part_id). Numbers are in the
// machine's own byte order: an index is a cache of this machine's, read where it lies, and one
// of the other order fails here and is built again.
constexpr uint32_t Marker = 0x31435754;
constexpr size_t CountsSize = 5 * sizeof(uint32_t);
constexpr size_t SoftwareBytes = 2 * sizeof(uint32_t);
constexpr size_t DiskBytes = 3 * sizeof(uint32_t) + sizeof(int64_t) + 1 + 20;
constexpr size_t OrderBytes = sizeof(uint32_t);

template <typename T> T Load(const uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T> void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

TDigestKey DigestKey(const TListedDisk& disk, uint32_t index) {
    return {disk.Size, disk.HasCrc, disk.Crc, index};
}

// The catalog's bytes for content; see Marker.
std::string WriteCatalog(const TContent& content) {
    const auto forEachText = [&](const auto& use) {
        for (const auto* texts : {&content.Lists, &content.Notes, &content.LeftOut})
            for (const std::string& text : *texts)
                use(text);
        for (const TListedSoftware& software : content.Softwares)
            for (const std::string* text :
                 {&software.Name, &software.Description, &software.Year, &software.Publisher})
                use(*text);
        for (const TListedDisk& disk : content.Disks) {
            use(disk.Part);
            use(disk.PartId);
        }
    };
    // Every count is at most the count of texts, and every offset at most their length.
    uint64_t texts = 0, length = 0;
    forEachText([&](const std::string& text) {
        ++texts;
        length += text.size();
    });
    if (texts > UINT32_MAX || length > UINT32_MAX)
        throw std::length_error("The software lists are too large to keep as one catalog.");

    std::vector<uint32_t> order(content.Disks.size());
    std::iota(order.begin(), order.end(), uint32_t{0});
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return DigestKey(content.Disks[a], a) < DigestKey(content.Disks[b], b);
    });

    std::string out;
    out.reserve(CountsSize + SoftwareBytes * content.Softwares.size() +
                (DiskBytes + OrderBytes) * content.Disks.size() + 4 * texts + length);
    Put(out, Marker);
    for (const size_t count : {content.Lists.size(), content.Notes.size(), content.Softwares.size(),
                               content.Disks.size()})
        Put(out, static_cast<uint32_t>(count));
    for (const TListedSoftware& software : content.Softwares)
        Put(out, software.List);
    for (const TListedSoftware& software : content.Softwares)
        Put(out, software.Disks);
    for (const TListedDisk& disk : content.Disks)
        Put(out, disk.Software);
    for (const TListedDisk& disk : content.Disks)
        Put(out, disk.Number);
    for (const TListedDisk& disk : content.Disks)
        Put(out, disk.Size);
    for (const TListedDisk& disk : content.Disks)
        Put(out, disk.Crc);
    for (const TListedDisk& disk : content.Disks)
        Put(out, static_cast<uint8_t>((disk.HasCrc ? HasCrcFlag : 0) |
                                      (disk.HasSha1 ? HasSha1Flag : 0)));
    for (const TListedDisk& disk : content.Disks)
        out.append(reinterpret_cast<const char*>(disk.Sha1.data()), disk.Sha1.size());
    for (const uint32_t disk : order)
        Put(out, disk);
    uint32_t end = 0;
    forEachText(
        [&](const std::string& text) { Put(out, end += static_cast<uint32_t>(text.size())); });
    forEachText([&](const std::string& text) { out.append(text); });
    return out;
}

TSoftwareCatalog Seal(const TContent& content) {
    const auto bytes = std::make_shared<const std::string>(WriteCatalog(content));
    // What WriteCatalog writes, Restore reads.
    return TSoftwareCatalog::Restore(
               {reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()}, bytes)
        .value();
}

// A catalog's items back as the lists' reader makes them, for more lists to join them.
TContent Unpack(const TSoftwareCatalog& catalog) {
    TContent content{catalog.Lists(), {}, {}, catalog.Notes(), catalog.LeftOut()};
    content.Softwares.reserve(catalog.Softwares().size());
    for (const TListedSoftware& software : catalog.Softwares())
        content.Softwares.push_back(software);
    content.Disks.reserve(catalog.Disks().size());
    for (const TListedDisk& disk : catalog.Disks())
        content.Disks.push_back(disk);
    return content;
}

void Join(TSoftwareCatalog& catalog, TContent&& part) {
    TContent content = Unpack(catalog);
    content.Merge(std::move(part));
    catalog = Seal(content);
}

} // namespace

// Where a catalog's columns and texts lie in its bytes, which owner keeps. Restore checks the
// bytes once; what is read from them later is kept within its bounds again as it is read, so
// that bytes changed underneath, such as zeros where a mapped file was cut short, give wrong
// items but never a read outside the bytes.
struct TCatalogData {
    std::shared_ptr<const void> Owner;
    std::span<const uint8_t> Bytes;
    size_t Lists = 0;
    size_t Softwares = 0;
    size_t Disks = 0;
    const uint8_t* SoftwareColumns = nullptr;
    const uint8_t* DiskColumns = nullptr;
    const uint8_t* Order = nullptr;
    const uint8_t* TextEnds = nullptr;
    std::string_view Texts;
    size_t FirstSoftwareText = 0;
    size_t FirstDiskText = 0;

    // A reference read as it lies, to one of count items, where 0 is one whenever a reference
    // is there at all.
    static uint32_t Within(uint32_t reference, size_t count) {
        return reference < count ? reference : 0;
    }
    uint32_t List(size_t software) const { return Load<uint32_t>(SoftwareColumns + 4 * software); }
    uint32_t DiskCount(size_t software) const {
        return Load<uint32_t>(SoftwareColumns + 4 * (Softwares + software));
    }
    uint32_t Software(size_t disk) const { return Load<uint32_t>(DiskColumns + 4 * disk); }
    uint32_t Number(size_t disk) const { return Load<uint32_t>(DiskColumns + 4 * (Disks + disk)); }
    int64_t Size(size_t disk) const { return Load<int64_t>(DiskColumns + 8 * (Disks + disk)); }
    uint32_t Crc(size_t disk) const { return Load<uint32_t>(DiskColumns + 4 * (4 * Disks + disk)); }
    uint8_t Flags(size_t disk) const { return DiskColumns[20 * Disks + disk]; }
    const uint8_t* Sha1(size_t disk) const { return DiskColumns + 21 * Disks + 20 * disk; }
    uint32_t OrderAt(size_t position) const { return Load<uint32_t>(Order + 4 * position); }
    TDigestKey Key(uint32_t disk) const {
        return {Size(disk), (Flags(disk) & HasCrcFlag) != 0, Crc(disk), disk};
    }
    // The key of the disk at position in Find's order.
    TDigestKey KeyAt(size_t position) const { return Key(Within(OrderAt(position), Disks)); }
    // The first position in Find's order whose key is not below key.
    size_t Seek(const TDigestKey& key) const {
        size_t low = 0, high = Disks;
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            if (KeyAt(middle) < key)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }
    uint32_t TextEnd(size_t text) const { return Load<uint32_t>(TextEnds + 4 * text); }
    std::string_view Text(size_t text) const {
        const size_t end = std::min<size_t>(TextEnd(text), Texts.size());
        const size_t begin = text == 0 ? 0 : std::min<size_t>(TextEnd(text - 1), end);
        return Texts.substr(begin, end - begin);
    }
};

// What the header's iterator claims to be, as the standard's algorithms see it.
static_assert(std::random_access_iterator<TListedItems<TListedDisk>::TIterator>);

template <>
TListedSoftware TListedItems<TListedSoftware>::Item(const TCatalogData* data, size_t index) {
    TListedSoftware software;
    software.List = TCatalogData::Within(data->List(index), data->Lists);
    software.Disks = data->DiskCount(index);
    const size_t text = data->FirstSoftwareText + 4 * index;
    software.Name = data->Text(text);
    software.Description = data->Text(text + 1);
    software.Year = data->Text(text + 2);
    software.Publisher = data->Text(text + 3);
    return software;
}

template <> TListedDisk TListedItems<TListedDisk>::Item(const TCatalogData* data, size_t index) {
    TListedDisk disk;
    disk.Software = TCatalogData::Within(data->Software(index), data->Softwares);
    disk.Number = data->Number(index);
    const size_t text = data->FirstDiskText + 2 * index;
    disk.Part = data->Text(text);
    disk.PartId = data->Text(text + 1);
    disk.Size = data->Size(index);
    disk.HasCrc = (data->Flags(index) & HasCrcFlag) != 0;
    disk.Crc = data->Crc(index);
    disk.HasSha1 = (data->Flags(index) & HasSha1Flag) != 0;
    std::memcpy(disk.Sha1.data(), data->Sha1(index), disk.Sha1.size());
    return disk;
}

void TSoftwareCatalog::AddFile(const std::string& path) {
    Join(*this, ReadList(path, false));
}

void TSoftwareCatalog::AddFolder(const std::string& path) {
    TContent added;
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
        added.Notes.push_back(rtl::Format(
            rtl::Tr("The program cannot read the folder of lists \"%s\"."), path.c_str()));
        added.LeftOut.push_back(path);
        return Join(*this, std::move(added));
    }
    std::sort(files.begin(), files.end());
    // The lists are read side by side, each into a part of its own, and joined in name order:
    // the result is the same however the reading was shared out.
    std::vector<TContent> parts(files.size());
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
        added.Merge(std::move(parts[i]));
    }
    Join(*this, std::move(added));
}

void TSoftwareCatalog::AddPath(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        AddFolder(path);
    else
        AddFile(path);
}

bool TSoftwareCatalog::HasSize(int64_t size) const {
    if (!FData)
        return false;
    const size_t at = FData->Seek({size, false, 0, 0});
    return at < FData->Disks && FData->KeyAt(at).Size == size;
}

std::vector<uint32_t> TSoftwareCatalog::Find(std::span<const uint8_t> bytes) const {
    std::vector<uint32_t> found;
    if (!FData)
        return found;
    const TCatalogData& data = *FData;
    const auto size = static_cast<int64_t>(bytes.size());
    std::optional<std::array<uint8_t, 20>> sha1;
    const auto agrees = [&](uint32_t disk) {
        // No disk has neither digest: flags of zeros are a cut index, which names nothing.
        const uint8_t flags = data.Flags(disk);
        if ((flags & HasSha1Flag) == 0)
            return flags != 0;
        if (!sha1)
            HexBytes(Digest(rtl::THashAlgorithm::Sha1, bytes), sha1.emplace().data());
        return std::memcmp(data.Sha1(disk), sha1->data(), sha1->size()) == 0;
    };
    size_t at = data.Seek({size, false, 0, 0});
    for (; at < data.Disks; ++at) {
        const TDigestKey key = data.KeyAt(at);
        if (key.Size != size || key.HasCrc)
            break;
        if (agrees(key.Disk))
            found.push_back(key.Disk);
    }
    if (at < data.Disks && data.KeyAt(at).Size == size) {
        uint32_t crc = 0;
        ParseNumber(Digest(rtl::THashAlgorithm::Crc32, bytes), crc, 16);
        for (at = data.Seek({size, true, crc, 0}); at < data.Disks; ++at) {
            const TDigestKey key = data.KeyAt(at);
            if (key.Size != size || key.Crc != crc)
                break;
            if (agrees(key.Disk))
                found.push_back(key.Disk);
        }
    }
    // Two runs, each in list order as Restore found it; sorted whole, the disks stay in list order
    // and each once whatever became of the bytes since.
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::string TSoftwareCatalog::Serialize() const {
    if (!FData)
        return WriteCatalog({});
    return {reinterpret_cast<const char*>(FData->Bytes.data()), FData->Bytes.size()};
}

std::optional<TSoftwareCatalog> TSoftwareCatalog::Restore(std::span<const uint8_t> bytes) {
    const auto copy = std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
    return Restore(*copy, copy);
}

std::optional<TSoftwareCatalog> TSoftwareCatalog::Restore(std::span<const uint8_t> bytes,
                                                          std::shared_ptr<const void> owner) {
    if (bytes.size() < CountsSize || Load<uint32_t>(bytes.data()) != Marker)
        return std::nullopt;
    const uint64_t lists = Load<uint32_t>(bytes.data() + 4);
    const uint64_t notes = Load<uint32_t>(bytes.data() + 8);
    const uint64_t softwares = Load<uint32_t>(bytes.data() + 12);
    const uint64_t disks = Load<uint32_t>(bytes.data() + 16);
    const uint64_t texts = lists + 2 * notes + 4 * softwares + 2 * disks;
    // Counts of 32 bits each: no sum of them comes near 64.
    const uint64_t fixed =
        CountsSize + SoftwareBytes * softwares + (DiskBytes + OrderBytes) * disks + 4 * texts;
    if (fixed > bytes.size())
        return std::nullopt;
    auto data = std::make_shared<TCatalogData>();
    data->Owner = std::move(owner);
    data->Bytes = bytes;
    data->Lists = lists;
    data->Softwares = softwares;
    data->Disks = disks;
    data->SoftwareColumns = bytes.data() + CountsSize;
    data->DiskColumns = data->SoftwareColumns + SoftwareBytes * softwares;
    data->Order = data->DiskColumns + DiskBytes * disks;
    data->TextEnds = data->Order + OrderBytes * disks;
    data->Texts = {reinterpret_cast<const char*>(data->TextEnds + 4 * texts), bytes.size() - fixed};
    data->FirstSoftwareText = lists + 2 * notes;
    data->FirstDiskText = data->FirstSoftwareText + 4 * softwares;

    // Each text within the texts, and nothing after the last.
    uint32_t end = 0;
    for (size_t text = 0; text < texts; ++text) {
        if (data->TextEnd(text) < end)
            return std::nullopt;
        end = data->TextEnd(text);
    }
    if (end != bytes.size() - fixed)
        return std::nullopt;
    for (size_t software = 0; software < softwares; ++software)
        if (data->List(software) >= lists)
            return std::nullopt;
    for (size_t disk = 0; disk < disks; ++disk) {
        // A disk with neither digest would be every image of its size; no list gives one.
        const uint8_t flags = data->Flags(disk);
        if (data->Software(disk) >= softwares || data->Size(disk) < 0 || flags == 0 ||
            flags > (HasCrcFlag | HasSha1Flag))
            return std::nullopt;
    }
    // Find's order holds each disk once, in order: each key past the one before, and as the
    // keys end in the disk, no disk twice among as many as there are disks.
    for (size_t at = 0; at < disks; ++at)
        if (data->OrderAt(at) >= disks || (at > 0 && !(data->KeyAt(at - 1) < data->KeyAt(at))))
            return std::nullopt;

    TSoftwareCatalog catalog;
    const auto take = [&](std::vector<std::string>& texts, size_t first, size_t count) {
        texts.reserve(count);
        for (size_t text = first; text < first + count; ++text)
            texts.emplace_back(data->Text(text));
    };
    take(catalog.FLists, 0, lists);
    take(catalog.FNotes, lists, notes);
    take(catalog.FLeftOut, lists + notes, notes);
    catalog.FSoftwares = {data.get(), softwares};
    catalog.FDisks = {data.get(), disks};
    catalog.FData = std::move(data);
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
            // The dump's bytes as they are made, not copied again into a stream: a container of
            // many images takes fresh memory of an image's size for each copy.
            add(FormTraits(TImageForm::Raw).Bytes(image, 1));
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
