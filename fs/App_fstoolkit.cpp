#include "App_fstoolkit.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <cstdio>

std::string ChainDamage(const TChain& chain, std::string_view name) {
    const std::string shown = NameInMessage(name);
    const char* format = nullptr;
    switch (chain.Fault) {
    case TChainFault::None:
        return {};
    case TChainFault::Outside:
        format = rtl::Tr("the entry of \"%s\" points outside the disk");
        break;
    case TChainFault::Leaves:
        format = rtl::Tr("the allocation chain of \"%s\" leaves the disk");
        break;
    case TChainFault::Loops:
        format = rtl::Tr("the allocation chain of \"%s\" loops");
        break;
    case TChainFault::Free:
        return rtl::Format(rtl::Tr("the allocation chain of \"%s\" runs into free cluster %d"),
                           shown.c_str(), chain.FaultCluster);
    case TChainFault::Reserved:
        return rtl::Format(rtl::Tr("the allocation chain of \"%s\" runs into reserved cluster %d"),
                           shown.c_str(), chain.FaultCluster);
    case TChainFault::Count:
        format = rtl::Tr("the last cluster of \"%s\" counts more sectors than a cluster holds");
        break;
    }
    return rtl::Format(format, shown.c_str());
}

TClusterOwners::TClusterOwners(int clusters, bool blocks)
    : FOwners(static_cast<size_t>(std::max(clusters, 0)), -1), FBlocks(blocks) {}

std::string TClusterOwners::Claim(std::span<const int> clusters, std::string_view name) {
    const auto owner = static_cast<int>(FNames.size());
    FNames.emplace_back(name);
    for (const int c : clusters) {
        if (c < 0 || c >= static_cast<int>(FOwners.size()))
            continue;
        int& held = FOwners[static_cast<size_t>(c)];
        if (held >= 0 && held != owner)
            return rtl::Format(FBlocks ? rtl::Tr("\"%s\" and \"%s\" share block %d")
                                       : rtl::Tr("\"%s\" and \"%s\" share cluster %d"),
                               NameInMessage(FNames[static_cast<size_t>(held)]).c_str(),
                               NameInMessage(name).c_str(), c);
        held = owner;
    }
    return {};
}

namespace {

// Whether the two-byte character survives the trip to Unicode and back: the code page has a few
// characters under two codes, and a name typed back must reach the same bytes.
bool RoundTrips(std::string_view character) {
    const std::optional<std::string> back = rtl::Utf8ToCp932(rtl::Cp932ToUtf8(character));
    return back && *back == character;
}

void AppendEscaped(std::string& text, uint8_t byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    text += escape;
}

} // namespace

std::string ListedName(std::string_view stored) {
    if (stored.empty())
        return "\\x20";
    std::string listed;
    listed.reserve(stored.size());
    for (size_t i = 0; i < stored.size();) {
        const auto byte = static_cast<uint8_t>(stored[i]);
        if (rtl::CharLength(stored, i) == 2) {
            const std::string_view character = stored.substr(i, 2);
            if (RoundTrips(character)) {
                listed += character;
            } else {
                AppendEscaped(listed, byte);
                AppendEscaped(listed, static_cast<uint8_t>(stored[i + 1]));
            }
            i += 2;
            continue;
        }
        const bool escaped = byte < 0x20 || byte == 0x7F || byte == '/' || byte == 0x80 ||
                             byte == 0xA0 || byte >= 0xFD || rtl::IsDBCSLeadByte(byte) ||
                             (byte == '\\' && i + 1 < stored.size() && stored[i + 1] == 'x');
        if (escaped)
            AppendEscaped(listed, byte);
        else
            listed += static_cast<char>(byte);
        ++i;
    }
    return listed;
}

std::string NameInMessage(std::string_view cp932) {
    return rtl::Cp932ToUtf8(cp932);
}

namespace {

// The part's characters as the rule allows them, cut to bytes at a character boundary.
std::string FitPart(std::string_view part, size_t bytes, const TNameRule& rule, bool dotAllowed) {
    std::string fitted;
    for (size_t i = 0; i < part.size();) {
        size_t length = rtl::CharLength(part, i);
        char character[2] = {part[i], length == 2 ? part[i + 1] : '\0'};
        i += length;
        const auto byte = static_cast<uint8_t>(character[0]);
        const bool allowed = length == 2
                                 ? rule.DoubleByte
                                 : byte >= 0x20 && byte != 0x7F && !rtl::IsDBCSLeadByte(byte) &&
                                       (byte != '.' || dotAllowed) && rule.Allowed(byte);
        if (!allowed) {
            character[0] = '_';
            length = 1;
        } else if (rule.Upper && byte >= 'a' && byte <= 'z') {
            character[0] = static_cast<char>(byte - 'a' + 'A');
        }
        if (fitted.size() + length > bytes)
            break;
        fitted.append(character, length);
    }
    return fitted;
}

} // namespace

std::string FitName(std::string_view name, const TNameRule& rule) {
    const size_t dot = rule.ExtensionBytes == 0 ? std::string_view::npos : name.rfind('.');
    // A leading dot starts no extension: it is a name with nothing before it.
    const bool split = dot != std::string_view::npos && dot > 0;
    std::string base = FitPart(name.substr(0, split ? dot : name.size()), rule.NameBytes, rule,
                               rule.ExtensionBytes == 0);
    const std::string extension =
        split ? FitPart(name.substr(dot + 1), rule.ExtensionBytes, rule, false) : std::string();
    // A name of nothing but spaces is none, and one starting with a space is read as padded.
    if (base.find_first_not_of(' ') == std::string::npos)
        base.assign(1, '_');
    else if (base.front() == ' ')
        base.front() = '_';
    if (!extension.empty())
        base.append(".").append(extension);
    return base;
}

bool SameName(std::string_view a, std::string_view b, TNameCase rule) {
    if (a.size() != b.size())
        return false;
    if (rule == TNameCase::Exact)
        return a == b;
    for (size_t i = 0; i < a.size();) {
        const size_t length = rtl::CharLength(a, i);
        if (length == 2) {
            // The second byte of a two-byte character may be a letter's: it is compared as it is.
            if (a.substr(i, 2) != b.substr(i, 2))
                return false;
        } else {
            const auto upper = [](char c) {
                return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            };
            if (upper(a[i]) != upper(b[i]))
                return false;
        }
        i += length;
    }
    return true;
}

bool IsPlainText(std::span<const uint8_t> data) {
    if (data.empty())
        return false;
    return std::all_of(data.begin(), data.end(), [](uint8_t b) {
        return b >= 0x20 ? b != 0x7F : b == '\t' || b == '\r' || b == '\n';
    });
}

void AppendDetail(std::string& details, std::string_view word) {
    if (!details.empty())
        details += ' ';
    details += word;
}

std::string TPathParts::Folder() const {
    std::string folder;
    for (const std::string& part : Folders)
        folder = JoinPath(folder, part);
    return folder;
}

TPathParts SplitPath(std::string_view path) {
    std::vector<std::string> parts = SplitFilePath(path);
    if (parts.empty())
        RefuseMissingFile(path);
    TPathParts split;
    split.Name = std::move(parts.back());
    parts.pop_back();
    split.Folders = std::move(parts);
    return split;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty())
        path += '/';
    path += name;
    return path;
}

void CheckRootOnly(std::span<const std::string> parts) {
    if (!parts.empty())
        RefuseMissingFolder(parts);
}

void RefuseMissingFolder(std::span<const std::string> parts) {
    std::string folder;
    for (const std::string& part : parts)
        folder = JoinPath(folder, part);
    throw EFileSystemError(rtl::Format(rtl::Tr(NoFolderMessage), NameInMessage(folder).c_str()));
}

void RefuseMissingFile(std::string_view path) {
    throw EFileSystemError(rtl::Format(rtl::Tr(NoFileMessage), NameInMessage(path).c_str()));
}

void RefuseExisting(std::string_view path, bool folder) {
    throw EFileSystemError(rtl::Format(folder ? rtl::Tr("The disk already has a folder \"%s\".")
                                              : rtl::Tr("The disk already has a file \"%s\"."),
                                       NameInMessage(path).c_str()));
}

void RefuseNoRoom(std::string_view path) {
    throw EFileSystemError(
        rtl::Format(rtl::Tr("The directory of the disk has no room for the file \"%s\"."),
                    NameInMessage(path).c_str()));
}

void RefuseDiskFull(std::string_view path, int64_t size, int64_t free) {
    throw EFileSystemError(rtl::Format(rtl::Tr(DiskFullMessage), NameInMessage(path).c_str(),
                                       std::to_string(size).c_str(), std::to_string(free).c_str()));
}

void RefuseBrokenChain(std::string_view path) {
    throw EFileSystemError(
        rtl::Format(rtl::Tr("The program cannot read the file \"%s\": its allocation chain is "
                            "broken."),
                    NameInMessage(path).c_str()));
}
