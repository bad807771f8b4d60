#include "Vix_shelllinks.h"

#include "Rtl_bytes.h"
#include "Rtl_filewriter.h"
#include "Rtl_paths.h"
#include "Rtl_sysio.h"
#include "Rtl_texts.h"

#include "Rtl_codepage.h"
#include "Vix_files.h"

#include <libbfio.h>
#include <liblnk.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const LoadMessage = rtl::TrNoop("The program could not load a shell link.");
const char* const SaveMessage = rtl::TrNoop("The program could not save a shell link.");
const char* const SetMessage = rtl::TrNoop("The program could not set a property of a shell link.");
const char* const ResolveMessage = rtl::TrNoop("The program could not resolve a shell link.");

using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------------------------
// Text encodings

// The code points of valid UTF-8 (no overlong forms, no surrogates), or nothing.
std::optional<std::u32string> DecodeUtf8(const std::string& text) {
    std::u32string result;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t c;
        size_t length;
        char32_t minimum;
        if (lead < 0x80) {
            c = lead;
            length = 1;
            minimum = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            c = lead & 0x1F;
            length = 2;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            c = lead & 0x0F;
            length = 3;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            c = lead & 0x07;
            length = 4;
            minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i < length)
            return std::nullopt;
        for (size_t k = 1; k < length; ++k) {
            const auto trail = static_cast<unsigned char>(text[i + k]);
            if ((trail & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (trail & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        result.push_back(c);
        i += length;
    }
    return result;
}

std::u16string ToUtf16(const std::u32string& codePoints) {
    std::u16string result;
    for (char32_t c : codePoints) {
        if (c < 0x10000) {
            result.push_back(static_cast<char16_t>(c));
        } else {
            c -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        }
    }
    return result;
}

// liblnk 20181227 reads a UTF-16 surrogate pair back as another character (0x3FF lower), so a
// character beyond U+FFFF can neither be stored faithfully nor trusted when read.
bool WithinBmp(const std::u32string& codePoints) {
    return std::all_of(codePoints.begin(), codePoints.end(),
                       [](char32_t c) { return c <= 0xFFFF; });
}

// The UTF-16 form of a text a shortcut can hold, or nothing.
std::optional<std::u16string> StorableText(const std::string& text) {
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    const auto codePoints = DecodeUtf8(text);
    if (!codePoints || !WithinBmp(*codePoints))
        return std::nullopt;
    auto utf16 = ToUtf16(*codePoints);
    if (utf16.size() > TShellLink::MaxTextLength)
        return std::nullopt;
    return utf16;
}

std::string EncodeUtf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The code page 932 form for readers that only know the ANSI field. A character the code page
// lacks becomes '?', as Windows writes it; readers that know the Unicode field get it whole.
std::string ToAnsi(const std::string& utf8) {
    if (auto whole = rtl::Utf8ToCp932(utf8))
        return *whole;
    const auto codePoints = DecodeUtf8(utf8);
    std::string result;
    for (char32_t c : codePoints.value_or(std::u32string())) {
        const auto one = rtl::Utf8ToCp932(EncodeUtf8(c));
        result += one && !one->empty() ? *one : std::string("?");
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Writing the shortcut format

void PutUtf16(Bytes& out, const std::u16string& text) {
    for (char16_t unit : text)
        rtl::AppendLe16(out, unit);
}

constexpr uint32_t HasLinkTargetIDList = 0x00000001;
constexpr uint32_t HasLinkInfo = 0x00000002;
constexpr uint32_t HasIconLocation = 0x00000040;
constexpr uint32_t IsUnicode = 0x00000080;
// HasName, HasRelativePath, HasWorkingDir, HasArguments, HasIconLocation: the order of the
// StringData fields.
constexpr uint32_t StringDataFlags[] = {0x04, 0x08, 0x10, 0x20, HasIconLocation};
constexpr uint32_t ShowNormal = 1;
constexpr uint32_t DriveFixed = 3;
constexpr uint32_t VolumeIDAndLocalBasePath = 0x00000001;
// A link info header this long carries the offsets of the Unicode path fields.
constexpr uint32_t LinkInfoHeaderSize = 0x24;

const uint8_t LinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

void PutLinkInfo(Bytes& out, const std::string& ansiPath, const std::u16string& unicodePath) {
    const size_t start = out.size();
    rtl::AppendLe32(out, 0); // LinkInfoSize, patched below
    rtl::AppendLe32(out, LinkInfoHeaderSize);
    rtl::AppendLe32(out, VolumeIDAndLocalBasePath);
    const size_t offsets = out.size();
    for (int k = 0; k < 6; ++k)
        rtl::AppendLe32(out, 0);
    const auto here = [&] { return static_cast<uint32_t>(out.size() - start); };

    // The volume is unknown here; a fixed drive with no serial and an empty label is what a
    // reader expects of a local target.
    rtl::PutLe32(out.data() + offsets + 0, here()); // VolumeIDOffset
    rtl::AppendLe32(out, 0x11);                     // VolumeIDSize: the fields and the label's NUL
    rtl::AppendLe32(out, DriveFixed);
    rtl::AppendLe32(out, 0); // DriveSerialNumber
    rtl::AppendLe32(out, 0x10);
    out.push_back(0);

    rtl::PutLe32(out.data() + offsets + 4, here()); // LocalBasePathOffset
    out.insert(out.end(), ansiPath.begin(), ansiPath.end());
    out.push_back(0);
    // CommonNetworkRelativeLinkOffset at offsets + 8 stays 0.
    rtl::PutLe32(out.data() + offsets + 12, here()); // CommonPathSuffixOffset
    out.push_back(0);
    rtl::PutLe32(out.data() + offsets + 16, here()); // LocalBasePathOffsetUnicode
    PutUtf16(out, unicodePath);
    rtl::AppendLe16(out, 0);
    rtl::PutLe32(out.data() + offsets + 20, here()); // CommonPathSuffixOffsetUnicode
    rtl::AppendLe16(out, 0);

    rtl::PutLe32(out.data() + start, here());
}

// Nothing when a text held cannot be written (a loaded text longer than the format allows).
std::optional<Bytes> BuildShortcut(const std::string& path, const std::string& iconLocation,
                                   int iconIndex) {
    const auto unicodePath = StorableText(path);
    const auto unicodeIcon = StorableText(iconLocation);
    if (!unicodePath || !unicodeIcon)
        return std::nullopt;

    uint32_t flags = IsUnicode;
    if (!path.empty())
        flags |= HasLinkInfo;
    if (!iconLocation.empty())
        flags |= HasIconLocation;

    Bytes out;
    rtl::AppendLe32(out, 0x4C); // HeaderSize
    out.insert(out.end(), std::begin(LinkClsid), std::end(LinkClsid));
    rtl::AppendLe32(out, flags);
    rtl::AppendLe32(out, 0); // FileAttributes
    for (int k = 0; k < 6; ++k)
        rtl::AppendLe32(out, 0); // CreationTime, AccessTime, WriteTime
    rtl::AppendLe32(out, 0);     // FileSize
    rtl::AppendLe32(out, static_cast<uint32_t>(iconIndex));
    rtl::AppendLe32(out, ShowNormal);
    rtl::AppendLe16(out, 0); // HotKey
    rtl::AppendLe16(out, 0); // Reserved1
    rtl::AppendLe32(out, 0); // Reserved2
    rtl::AppendLe32(out, 0); // Reserved3

    if (flags & HasLinkInfo)
        PutLinkInfo(out, ToAnsi(path), *unicodePath);
    if (flags & HasIconLocation) {
        rtl::AppendLe16(out, static_cast<uint16_t>(unicodeIcon->size()));
        PutUtf16(out, *unicodeIcon);
    }
    rtl::AppendLe32(out, 0); // TerminalBlock of the (empty) extra data
    return out;
}

// ---------------------------------------------------------------------------------------------
// Files

// The whole of a regular file of at most limit bytes. The bytes handed to liblnk are the ones
// checked here: the file cannot grow or be swapped between the check and the parse.
std::optional<Bytes> ReadBoundedFile(const std::string& fileName, size_t limit) {
    if (fileName.empty() || fileName.find('\0') != std::string::npos)
        return std::nullopt;
    const rtl::TFileHandle file(rtl::OpenRegularFile(fileName));
    if (file.Get() < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || info.st_size < 0 ||
        static_cast<uint64_t>(info.st_size) > limit)
        return std::nullopt;
    // The size is only a first guess: a file still being written can grow while it is read.
    Bytes data(static_cast<size_t>(info.st_size) + 1);
    size_t filled = 0;
    while (filled <= limit) {
        if (filled == data.size())
            data.resize(std::min(limit + 1, 2 * data.size()));
        const ssize_t n = rtl::ReadSome(file.Get(), data.data() + filled, data.size() - filled);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        filled += static_cast<size_t>(n);
    }
    if (filled > limit)
        return std::nullopt;
    data.resize(filled);
    return data;
}

uint32_t U32At(const Bytes& data, size_t at) {
    return rtl::GetLe32(data.data() + at);
}

// liblnk allocates what a 32-bit size field of the link info or of an extra data block declares
// before it finds the file too short, so a damaged file of a few hundred bytes can make it ask
// for gigabytes. This walks only the outer framing, extracting nothing, and refuses a shortcut
// whose declared sizes reach past its end; liblnk still judges everything else.
bool DeclaredSizesFit(const Bytes& data) {
    size_t at = 0x4C;
    if (data.size() < at)
        return false;
    const auto fits = [&](uint64_t size) { return size <= data.size() - at; };
    const uint32_t flags = U32At(data, 0x14);
    if (flags & HasLinkTargetIDList) {
        if (!fits(2))
            return false;
        const uint32_t size = rtl::GetLe16(data.data() + at);
        at += 2;
        if (!fits(size))
            return false;
        at += size;
    }
    if (flags & HasLinkInfo) {
        if (!fits(4) || !fits(U32At(data, at)))
            return false;
        at += U32At(data, at);
    }
    const size_t unitSize = (flags & IsUnicode) ? 2 : 1;
    for (uint32_t stringFlag : StringDataFlags) {
        if ((flags & stringFlag) == 0)
            continue;
        if (!fits(2))
            return false;
        const size_t size = rtl::GetLe16(data.data() + at) * unitSize;
        at += 2;
        if (!fits(size))
            return false;
        at += size;
    }
    // A block size under 4 is the terminal block; liblnk also takes a file that ends early.
    while (fits(4) && U32At(data, at) >= 4) {
        if (!fits(U32At(data, at)))
            return false;
        at += U32At(data, at);
    }
    return true;
}

// Writes a new file that takes fileName's place only when it is complete.
bool ReplaceFile(const std::string& fileName, const Bytes& data) {
    if (fileName.empty() || fileName.find('\0') != std::string::npos)
        return false;
    try {
        rtl::TNewFileStream file(fileName, rtl::TNaming::Replace);
        file.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        file.Commit();
        return true;
    } catch (const rtl::EStreamError&) {
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Reading through liblnk

// liblnk reads through libbfio; this handle serves it a byte array instead of a file, so that
// it parses exactly the bounded copy read above.
struct TMemoryIo {
    const uint8_t* Data;
    size_t Size;
    int64_t Offset;
    bool Open;
};

TMemoryIo* AsMemoryIo(intptr_t* io) {
    return reinterpret_cast<TMemoryIo*>(io);
}

int MemoryFree(intptr_t** io, libbfio_error_t**) {
    if (io == nullptr)
        return -1;
    delete AsMemoryIo(*io);
    *io = nullptr;
    return 1;
}

int MemoryClone(intptr_t** destination, intptr_t* source, libbfio_error_t**) {
    if (destination == nullptr || *destination != nullptr)
        return -1;
    if (source == nullptr)
        return 1;
    auto* copy = new (std::nothrow) TMemoryIo(*AsMemoryIo(source));
    if (copy == nullptr)
        return -1;
    copy->Offset = 0;
    copy->Open = false;
    *destination = reinterpret_cast<intptr_t*>(copy);
    return 1;
}

int MemoryOpen(intptr_t* io, int accessFlags, libbfio_error_t**) {
    if (io == nullptr || (accessFlags & LIBBFIO_ACCESS_FLAG_WRITE) != 0)
        return -1;
    AsMemoryIo(io)->Open = true;
    AsMemoryIo(io)->Offset = 0;
    return 1;
}

// libbfio's close reports success with 0.
int MemoryClose(intptr_t* io, libbfio_error_t**) {
    if (io == nullptr)
        return -1;
    AsMemoryIo(io)->Open = false;
    return 0;
}

ssize_t MemoryRead(intptr_t* io, uint8_t* buffer, size_t size, libbfio_error_t**) {
    if (io == nullptr || buffer == nullptr || !AsMemoryIo(io)->Open)
        return -1;
    const TMemoryIo& memory = *AsMemoryIo(io);
    if (memory.Offset < 0 || static_cast<uint64_t>(memory.Offset) >= memory.Size)
        return 0;
    const size_t offset = static_cast<size_t>(memory.Offset);
    const size_t count = std::min({size, memory.Size - offset, static_cast<size_t>(SSIZE_MAX)});
    std::memcpy(buffer, memory.Data + offset, count);
    AsMemoryIo(io)->Offset += static_cast<int64_t>(count);
    return static_cast<ssize_t>(count);
}

ssize_t MemoryWrite(intptr_t*, const uint8_t*, size_t, libbfio_error_t**) {
    return -1;
}

off64_t MemorySeek(intptr_t* io, off64_t offset, int whence, libbfio_error_t**) {
    if (io == nullptr)
        return -1;
    TMemoryIo& memory = *AsMemoryIo(io);
    int64_t base;
    switch (whence) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = memory.Offset;
        break;
    case SEEK_END:
        base = static_cast<int64_t>(memory.Size);
        break;
    default:
        return -1;
    }
    // Offsets past the end are allowed, as for a file: reads there give nothing.
    if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
        return -1;
    memory.Offset = base + offset;
    return memory.Offset;
}

int MemoryExists(intptr_t* io, libbfio_error_t**) {
    return io == nullptr ? -1 : 1;
}

int MemoryIsOpen(intptr_t* io, libbfio_error_t**) {
    return io == nullptr ? -1 : AsMemoryIo(io)->Open ? 1 : 0;
}

int MemoryGetSize(intptr_t* io, size64_t* size, libbfio_error_t**) {
    if (io == nullptr || size == nullptr)
        return -1;
    *size = AsMemoryIo(io)->Size;
    return 1;
}

// Owns what one load creates in liblnk and libbfio, and every error record they hand back.
class TLnkReader {
public:
    TLnkReader() = default;
    ~TLnkReader() {
        if (FFile != nullptr) {
            if (FOpened)
                liblnk_file_close(FFile, &FError);
            liblnk_file_free(&FFile, &FError);
        }
        if (FHandle != nullptr)
            libbfio_handle_free(&FHandle, &FBfioError);
        if (FError != nullptr)
            liblnk_error_free(&FError);
        if (FBfioError != nullptr)
            libbfio_error_free(&FBfioError);
    }
    TLnkReader(const TLnkReader&) = delete;
    TLnkReader& operator=(const TLnkReader&) = delete;

    bool Open(const Bytes& data) {
        auto* memory = new TMemoryIo{data.data(), data.size(), 0, false};
        if (libbfio_handle_initialize(&FHandle, reinterpret_cast<intptr_t*>(memory), MemoryFree,
                                      MemoryClone, MemoryOpen, MemoryClose, MemoryRead, MemoryWrite,
                                      MemorySeek, MemoryExists, MemoryIsOpen, MemoryGetSize,
                                      LIBBFIO_FLAG_IO_HANDLE_MANAGED, &FBfioError) != 1) {
            // The handle took no ownership when it was not made.
            delete memory;
            return false;
        }
        if (liblnk_file_initialize(&FFile, &FError) != 1 ||
            liblnk_file_set_ascii_codepage(FFile, LIBLNK_CODEPAGE_WINDOWS_932, &FError) != 1 ||
            liblnk_file_open_file_io_handle(FFile, FHandle, LIBLNK_OPEN_READ, &FError) != 1)
            return false;
        FOpened = true;
        return true;
    }

    // The text liblnk gives for one string value: "" when the shortcut lacks it, nothing on
    // an error. getSize and get are the pair of liblnk calls for that value.
    template <typename GetSize, typename Get>
    std::optional<std::string> Text(GetSize getSize, Get get, size_t sizeLimit) {
        size_t size = 0;
        const int found = getSize(FFile, &size, &FError);
        if (found == 0)
            return std::string();
        if (found != 1 || size == 0 || size > sizeLimit)
            return std::nullopt;
        std::string text(size, '\0');
        if (get(FFile, reinterpret_cast<uint8_t*>(text.data()), size, &FError) != 1)
            return std::nullopt;
        text.resize(std::strlen(text.c_str()));
        // A character beyond U+FFFF here is one liblnk decoded wrongly from a surrogate pair:
        // the path it is part of would name another file.
        const auto codePoints = DecodeUtf8(text);
        if (!codePoints || !WithinBmp(*codePoints))
            return std::nullopt;
        return text;
    }

    std::optional<int> IconIndex() {
        uint32_t index = 0;
        if (liblnk_file_get_icon_index(FFile, &index, &FError) != 1)
            return std::nullopt;
        return static_cast<int>(static_cast<int32_t>(index));
    }

private:
    libbfio_handle_t* FHandle = nullptr;
    liblnk_file_t* FFile = nullptr;
    bool FOpened = false;
    liblnk_error_t* FError = nullptr;
    libbfio_error_t* FBfioError = nullptr;
};

} // namespace

int TShellLink::Resolve(uint32_t) {
    // A path not rooted at "/" (a Windows path among them) names nothing on this host; looked
    // up relative to the current folder it could find an unrelated file.
    struct stat info {};
    if (FPath.empty() || IsRelativePath(FPath) || ::stat(FPath.c_str(), &info) != 0)
        throw EShellLinkError(rtl::Tr(ResolveMessage));
    return 0;
}

void TShellLink::LoadFromFile(const std::string& fileName) {
    const auto data = ReadBoundedFile(fileName, MaxFileSize);
    if (!data || !DeclaredSizesFit(*data))
        throw EShellLinkError(rtl::Tr(LoadMessage));
    // A UTF-8 text is at most three bytes for each byte of a code page or UTF-16 source.
    const size_t sizeLimit = 3 * data->size() + 1;
    TLnkReader reader;
    if (!reader.Open(*data))
        throw EShellLinkError(rtl::Tr(LoadMessage));
    const auto path = reader.Text(liblnk_file_get_utf8_local_path_size,
                                  liblnk_file_get_utf8_local_path, sizeLimit);
    const auto iconLocation = reader.Text(liblnk_file_get_utf8_icon_location_size,
                                          liblnk_file_get_utf8_icon_location, sizeLimit);
    const auto iconIndex = reader.IconIndex();
    if (!path || !iconLocation || !iconIndex)
        throw EShellLinkError(rtl::Tr(LoadMessage));
    FPath = *path;
    FIconLocation = *iconLocation;
    FIconIndex = *iconIndex;
}

void TShellLink::SaveToFile(const std::string& fileName) {
    const auto data = BuildShortcut(FPath, FIconLocation, FIconIndex);
    if (!data || !ReplaceFile(fileName, *data))
        throw EShellLinkError(rtl::Tr(SaveMessage));
}

void TShellLink::GetIconLocation(std::string& path, int& index) {
    path = FIconLocation;
    index = FIconIndex;
}

void TShellLink::SetIconLocation(const std::string& path, int index) {
    if (!StorableText(path))
        throw EShellLinkError(rtl::Tr(SetMessage));
    FIconLocation = path;
    FIconIndex = index;
}

void TShellLink::SetPath(const std::string& path) {
    if (!StorableText(path))
        throw EShellLinkError(rtl::Tr(SetMessage));
    FPath = path;
}
