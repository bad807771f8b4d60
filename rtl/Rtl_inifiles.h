// The in-memory INI document through which the handlers keep their settings between runs.
#pragma once

#include "Rtl_exceptions.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtl {

// The settings file's own failure, the only one a settings caller turns into its two messages:
// an existing file that cannot be opened, is not a regular file or cannot be read; and, in
// UpdateFile, a temporary file that cannot be created beside the target, or a write, flush,
// close or rename of it that fails. A missing file is no failure. Running out of memory is not
// the file's fault and stays std::bad_alloc.
RTL_DECLARE_EXCEPTION(EIniFileError, Exception);

// Sections and keys are found without regard to ASCII letter case; when a name occurs twice the
// first occurrence is the one found, and the later ones are kept only to be written back.
class TMemIniFile {
public:
    // Reads the whole file when one exists at fileName; a missing file gives an empty
    // document. EIniFileError when an existing file cannot be read.
    explicit TMemIniFile(std::string fileName);
    TMemIniFile(const TMemIniFile&) = delete;
    TMemIniFile& operator=(const TMemIniFile&) = delete;
    ~TMemIniFile();

    const std::string& FileName() const { return FFileName; }

    // The value after "=", or defaultValue when the section or the key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& defaultValue) const;
    // Creates the section at the end when it is missing; replaces the key's line in place, or
    // appends it at the end of the section. Key and value are stored as given.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // A value of more than two characters beginning with "0x" or "0X" is hexadecimal; any
    // other text goes through TryStrToInt; a value that is no integer gives defaultValue.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    // ReadInteger with 1 or 0 as default; any non-zero value is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Replaces the file with the document: a temporary file beside it is written, flushed and
    // renamed over it, so the old file stays whole until the new one is complete. On failure
    // the temporary is removed and EIniFileError raised.
    void UpdateFile() const;

    // The document exactly as UpdateFile writes it.
    std::string GetText() const;
    // Replaces the document with the one the text holds, read by the same rules as the file.
    void SetText(std::string_view text);

private:
    struct TLine {
        // "key=value", or a text without "=" kept as it was.
        std::string Text;
        // Position of the "=" that ends the key; npos for a text without "=".
        size_t Separator;
    };
    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
        // Lower-cased key -> index of its first line, so that a file of many keys is read
        // and written in linear time.
        std::unordered_map<std::string, size_t> Keys;
    };

    const TSection* FindSection(std::string_view name) const;
    static const TLine* FindLine(const TSection& section, std::string_view key);
    TSection& AddSection(std::string_view name);
    static void AddLine(TSection& section, std::string text, size_t separator);

    std::string FFileName;
    std::vector<TSection> FSections;
    // Lower-cased name -> index of its first section.
    std::unordered_map<std::string, size_t> FSectionIndex;
};

} // namespace rtl
