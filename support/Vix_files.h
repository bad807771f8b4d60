// Character rules for file names, relative paths and the long (canonical) form of a path.
// Texts are byte strings in code page 932; scans step over the trail byte of a two-byte
// character so that a trail byte equal to `\` or `|` is never taken for a character.
#pragma once

#include "Rtl_exceptions.h"

#include <string>

RTL_DECLARE_EXCEPTION(EFileError, rtl::Exception);

// The file-name table at c: false for 0x00-0x1F and for " * / : < > ? \ |.
// EFileError when c is not a byte value.
bool IsFileNameChar(int c);
// True for * and ?. EFileError when c is not a byte value.
bool IsWildcardChar(int c);

// 1-based position of the first character that is not a file-name character, or -1.
int FindNonFileNameChar(const std::string& s);
// 1-based position of the first wildcard character, or -1.
int FindWildcardChar(const std::string& s);
// s with every character that cannot stand in a file name, and DEL, replaced by `replacement`:
// the name holds no control byte at all.
std::string MakeFileName(const std::string& s, char replacement);

// The Windows rule on any host: C: at the start, or \\ (a network name).
bool HasDrive(const std::string& path);
// The host's rule: on POSIX a path not rooted at "/"; on Windows not HasDrive.
bool IsRelativePath(const std::string& path);

// The canonical path of an existing file or folder. False, with errno set, for a missing path,
// a path at or over the platform's length limit, and, where file names cannot hold them, a path
// holding a wildcard.
bool TryGetLongPath(const std::string& path, std::string& longPath);
// TryGetLongPath, or EFileError "The program could not get the long form of the path." with the
// system's reason, such as "No such file or directory: /home/u/disk.d88".
std::string GetLongPath(const std::string& path);
