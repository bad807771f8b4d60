#include "Vix_files.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace {

constexpr std::array<bool, 256> MakeFileNameTable() {
    std::array<bool, 256> table{};
    for (int c = 0x20; c <= 0xFF; ++c)
        table[c] = true;
    for (unsigned char c : {'"', '*', '/', ':', '<', '>', '?', '\\', '|'})
        table[c] = false;
    return table;
}

constexpr std::array<bool, 256> MakeWildcardTable() {
    std::array<bool, 256> table{};
    table['*'] = true;
    table['?'] = true;
    return table;
}

constexpr std::array<bool, 256> FileNameChars = MakeFileNameTable();
constexpr std::array<bool, 256> WildcardChars = MakeWildcardTable();

unsigned char ByteAt(const std::string& s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// A trail byte may equal `\` or `|`, so it is stepped over and never tested on its own.
std::size_t NextCharPos(const std::string& s, std::size_t i) {
    return i + rtl::CharLength(s, i);
}

template <typename Predicate> int FindChar(const std::string& s, Predicate matches) {
    for (std::size_t i = 0; i < s.size(); i = NextCharPos(s, i))
        if (matches(ByteAt(s, i)))
            return static_cast<int>(i) + 1;
    return -1;
}

} // namespace

bool IsFileNameChar(int c) {
    if (c < 0 || c >= static_cast<int>(FileNameChars.size()))
        throw EFileError(rtl::Tr(
            "The program cannot determine whether the character can be used for a file name."));
    return FileNameChars[static_cast<std::size_t>(c)];
}

bool IsWildcardChar(int c) {
    if (c < 0 || c >= static_cast<int>(WildcardChars.size()))
        throw EFileError(rtl::Tr("The program cannot determine whether the character is a wildcard "
                                 "character."));
    return WildcardChars[static_cast<std::size_t>(c)];
}

int FindNonFileNameChar(const std::string& s) {
    return FindChar(s, [](unsigned char c) { return !FileNameChars[c]; });
}

int FindWildcardChar(const std::string& s) {
    return FindChar(s, [](unsigned char c) { return WildcardChars[c]; });
}

std::string MakeFileName(const std::string& s, char replacement) {
    // One forward pass gives what rescanning from the start after each replacement would give,
    // since the text before the replaced byte does not change; the step after the replaced byte
    // follows the replacement's own lead-byte status, as a rescan would. Unlike a rescan it also
    // ends when a caller passes a replacement that is not a file-name character.
    //
    // DEL may stand in a file name, but like the other control bytes it has no glyph: a name
    // made from an image name would look like another and break the line it is printed on.
    constexpr unsigned char Delete = 0x7F;
    std::string result = s;
    for (std::size_t i = 0; i < result.size(); i = NextCharPos(result, i))
        if (!FileNameChars[ByteAt(result, i)] || ByteAt(result, i) == Delete)
            result[i] = replacement;
    return result;
}

bool HasDrive(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\");
}

bool IsRelativePath(const std::string& path) {
#ifdef _WIN32
    return !HasDrive(path);
#else
    return !path.starts_with('/');
#endif
}

bool TryGetLongPath(const std::string& path, std::string& longPath) {
    // Each refusal leaves the error the platform call would have given, for GetLongPath's
    // reason.
    const auto refuse = [](int error) {
        errno = error;
        return false;
    };
    if (path.empty())
        return refuse(ENOENT);
    if (path.size() >= PATH_MAX)
        return refuse(ENAMETOOLONG);
    // An embedded zero byte would silently cut the path short at the platform call.
    if (path.find('\0') != std::string::npos)
        return refuse(EINVAL);
#ifdef _WIN32
    // Only where file names cannot hold them are "*" and "?" wildcards rather than characters.
    if (FindWildcardChar(path) != -1)
        return refuse(EINVAL);
#endif
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved)
        return false;
    longPath = resolved.get();
    return true;
}

std::string GetLongPath(const std::string& path) {
    std::string longPath;
    if (!TryGetLongPath(path, longPath)) {
        const int cause = errno;
        EFileError error(rtl::Tr("The program could not get the long form of the path."));
        error.SetReason(rtl::SystemReason(cause, path));
        throw error;
    }
    return longPath;
}
