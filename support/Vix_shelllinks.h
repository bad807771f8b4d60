// Windows shortcut (.lnk) files without the Windows shell. Shortcut files come from outside and
// are untrusted, so they are read through liblnk; the few fields the program writes are written
// here, because liblnk cannot write.
//
// Texts (the target path, the icon location) are UTF-8, which is what liblnk hands out and what
// POSIX file names are. Single-byte strings inside a shortcut are read as code page 932, the
// ANSI code page of the machines that make the shortcuts this program meets. A stored Windows
// path such as C:\Games\disk.d88 is given back unchanged: it names nothing on a POSIX host, and
// the caller's long-form step refuses it.
#pragma once

#include "Rtl_exceptions.h"

#include <cstdint>
#include <string>

RTL_DECLARE_EXCEPTION(EShellLinkError, rtl::Exception);

class TShellLink {
public:
    // A larger file is refused before liblnk sees it: real shortcuts are a few kilobytes.
    static constexpr size_t MaxFileSize = 1024 * 1024;
    // The longest text SetPath and SetIconLocation take, in characters: the longest path
    // Windows handles, and within the 16-bit length of a shortcut's string fields.
    static constexpr size_t MaxTextLength = 32767;

    // Nothing can fail here: there is no COM library to start on this platform.
    TShellLink() = default;
    virtual ~TShellLink() = default;

    // 0 when the stored path is rooted at "/" and something exists there (symbolic links
    // followed); otherwise "The program could not resolve a shell link.". The flags of the
    // Windows call (no UI, no search, update) have nothing to act on here and are ignored.
    virtual int Resolve(uint32_t flags);
    // Reads the target path, the icon location and the icon index. A file that is missing, not
    // a regular file, over MaxFileSize, with a structure size reaching past its end, refused by
    // liblnk, or with a text that liblnk cannot decode faithfully (a character beyond U+FFFF)
    // gives "The program could not load a shell link." and leaves the values held unchanged.
    virtual void LoadFromFile(const std::string& fileName);
    // Writes a shortcut holding the values held (header, link info with the local path when
    // there is one, icon location when there is one) through a temporary file in the same
    // folder renamed over fileName, so that a failed save leaves an existing file untouched.
    // "The program could not save a shell link." on any failure.
    virtual void SaveToFile(const std::string& fileName);
    // The icon location and index loaded or set. A shortcut without an icon location gives ""
    // and its stored index (0 for a new object), as the Windows call does, and no error.
    virtual void GetIconLocation(std::string& path, int& index);
    // "The program could not set a property of a shell link." for a path that is not UTF-8,
    // holds a NUL, is longer than MaxTextLength or holds a character beyond U+FFFF (liblnk
    // reads those back as other characters); the values held stay unchanged then. An empty
    // path means no icon location.
    virtual void SetIconLocation(const std::string& path, int index);

    // The local path of the target: LocalBasePath and CommonPathSuffix joined, as liblnk
    // gives them. "" for a shortcut without a local path (a network share, a shell object).
    // Unlike the Windows call, a path of 260 characters or more comes back whole.
    std::string GetPath() const { return FPath; }
    // The target path that SaveToFile writes; "" writes a shortcut without link info. Fails
    // like SetIconLocation.
    void SetPath(const std::string& path);

private:
    std::string FPath;
    std::string FIconLocation;
    int FIconIndex = 0;
};
