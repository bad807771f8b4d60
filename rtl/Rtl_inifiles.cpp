#include "Rtl_inifiles.h"

#include "Rtl_filewriter.h"
#include "Rtl_paths.h"
#include "Rtl_sysio.h"
#include "Rtl_texts.h"

#include "Rtl_convert.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rtl {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Names match without regard to ASCII case only, so that the match cannot depend on the
// host's locale.
std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return result;
}

// Opening and reading are whole sentences of their own, for a translation to word each.
enum class TReadStep { Open, Read };

[[noreturn]] void RaiseReadError(TReadStep step, const std::string& path, int error) {
    if (step == TReadStep::Open)
        throw EIniFileError(
            Format(rtl::Tr("Cannot open file \"%s\". %s"), path.c_str(), std::strerror(error)));
    throw EIniFileError(
        Format(rtl::Tr("Cannot read file \"%s\". %s"), path.c_str(), std::strerror(error)));
}

// The whole file; an empty text when there is none.
std::string ReadWholeFile(const std::string& path) {
    const TFileHandle file(OpenRegularFile(path));
    const int handle = file.Get();
    if (handle < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return {};
        RaiseReadError(TReadStep::Open, path, error);
    }
    struct stat info {};
    if (::fstat(handle, &info) != 0)
        RaiseReadError(TReadStep::Open, path, errno);
    std::string text;
    text.reserve(static_cast<size_t>(std::max<off_t>(info.st_size, 0)));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ReadSome(handle, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0)
            RaiseReadError(TReadStep::Read, path, errno);
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

// Puts text at path through a new file that takes the old one's place only when it is
// complete.
void ReplaceFile(const std::string& path, std::string_view text) {
    try {
        TNewFileStream file(path, TNaming::Replace);
        file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
        file.Commit();
    } catch (const EStreamError& e) {
        EIniFileError error(Format(rtl::Tr("Cannot write file \"%s\"."), path.c_str()));
        error.SetReason(e.Reason());
        throw error;
    }
}

} // namespace

TMemIniFile::TMemIniFile(std::string fileName) : FFileName(std::move(fileName)) {
    SetText(ReadWholeFile(FFileName));
}

TMemIniFile::~TMemIniFile() = default;

const TMemIniFile::TSection* TMemIniFile::FindSection(std::string_view name) const {
    const auto found = FSectionIndex.find(Lower(name));
    return found == FSectionIndex.end() ? nullptr : &FSections[found->second];
}

const TMemIniFile::TLine* TMemIniFile::FindLine(const TSection& section, std::string_view key) {
    const auto found = section.Keys.find(Lower(key));
    return found == section.Keys.end() ? nullptr : &section.Lines[found->second];
}

TMemIniFile::TSection& TMemIniFile::AddSection(std::string_view name) {
    FSections.push_back(TSection{std::string(name), {}, {}});
    FSectionIndex.try_emplace(Lower(name), FSections.size() - 1);
    return FSections.back();
}

void TMemIniFile::AddLine(TSection& section, std::string text, size_t separator) {
    if (separator != std::string::npos)
        section.Keys.try_emplace(Lower(std::string_view(text).substr(0, separator)),
                                 section.Lines.size());
    section.Lines.push_back(TLine{std::move(text), separator});
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key,
                                    const std::string& defaultValue) const {
    const TSection* found = FindSection(section);
    const TLine* line = found ? FindLine(*found, key) : nullptr;
    return line ? line->Text.substr(line->Separator + 1) : defaultValue;
}

void TMemIniFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    const auto found = FSectionIndex.find(Lower(section));
    TSection& target =
        found == FSectionIndex.end() ? AddSection(section) : FSections[found->second];
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append(1, '=').append(value);
    const auto line = target.Keys.find(Lower(key));
    if (line == target.Keys.end())
        AddLine(target, std::move(text), key.size());
    else
        target.Lines[line->second] = TLine{std::move(text), key.size()};
}

int32_t TMemIniFile::ReadInteger(std::string_view section, std::string_view key,
                                 int32_t defaultValue) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    const auto value = TryStrToInt(text);
    return value ? *value : defaultValue;
}

void TMemIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view key,
                           bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TMemIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string TMemIniFile::GetText() const {
    static constexpr std::string_view LineBreak = "\r\n";
    size_t size = 0;
    for (const TSection& section : FSections) {
        size += section.Name.size() + 2 + LineBreak.size() * 2;
        for (const TLine& line : section.Lines)
            size += line.Text.size() + LineBreak.size();
    }
    std::string text;
    text.reserve(size);
    for (const TSection& section : FSections) {
        text.append(1, '[').append(section.Name).append(1, ']').append(LineBreak);
        for (const TLine& line : section.Lines)
            text.append(line.Text).append(LineBreak);
        text.append(LineBreak);
    }
    return text;
}

void TMemIniFile::SetText(std::string_view text) {
    FSections.clear();
    FSectionIndex.clear();
    // Lines before the first section header belong to no section and are dropped.
    TSection* current = nullptr;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find_first_of("\r\n", position);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trim(text.substr(position, end - position));
        position = end;
        if (position < text.size())
            position += text.compare(position, 2, "\r\n") == 0 ? 2 : 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = &AddSection(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        if (current == nullptr)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            AddLine(*current, std::string(line), std::string::npos);
            continue;
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        std::string stored;
        stored.reserve(key.size() + 1 + value.size());
        stored.append(key).append(1, '=').append(value);
        AddLine(*current, std::move(stored), key.size());
    }
}

void TMemIniFile::UpdateFile() const {
    ReplaceFile(FFileName, GetText());
}

} // namespace rtl
