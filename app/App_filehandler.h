// The document's file rules: how a path given by the user is accepted, and how backup and
// exported files are named without overwriting anything.
#pragma once

#include <string>

// The absolute, canonical form of a path the user gave. EHandlerError "The program cannot
// accept files specified in a relative path." for a relative path; EFileError "The program
// could not get the long form of the path." for a path that does not exist.
std::string NormalizePath(const std::string& path);
// "[Backup] name.ext" beside path, made unique.
std::string MakeBackupPath(const std::string& path);
// path when nothing is there, else the first free "%s (%d)%s" for 2 to 999, the number put
// before the extension when splitExtension. EHandlerError "The program cannot create a unique
// path." when all are taken.
std::string MakeUniquePath(const std::string& path, bool splitExtension);

// The name of one file of Save to Multiple Files: "%s #%03d (%s)%s" filled with the document's
// base name, the row counted from 1, the image's name made fit for a file name, and the
// document's extension.
std::string MakeMultipleFilesName(const std::string& baseName, int row,
                                  const std::string& fileSafeName, const std::string& extension);
