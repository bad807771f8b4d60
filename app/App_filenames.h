// How a path the user gave is accepted, and how backups and the files of a save are named
// without overwriting anything: the rules the editor and the command line share.
#pragma once

#include "App_diskformats.h"
#include "App_diskimages.h"
#include "Rtl_filewriter.h"
#include "Rtl_streams.h"

#include <string>

// The absolute, canonical form of a path the user gave. EHandlerError "The program cannot
// accept files specified in a relative path." for a relative path; EFileError "The program
// could not get the long form of the path." for a path that does not exist.
std::string NormalizePath(const std::string& path);
// "[Backup] name.ext" beside path, made unique.
std::string MakeBackupPath(const std::string& path);
// Copies the file at path to its backup path and returns that path. The copy is complete and on
// the disk before it is named, and is named only where nothing is at that moment, the next
// number taken otherwise: no earlier backup, nor one another program just made, is replaced.
// EHandlerError "The program cannot create a backup of the document." with the system's reason.
std::string BackUpFile(const std::string& path);
// path when nothing is there, else the first free "%s (%d)%s" for 2 to 999, the number put
// before the extension when splitExtension. EHandlerError "The program cannot create a unique
// path." when all are taken.
std::string MakeUniquePath(const std::string& path, bool splitExtension);
// Saves images to path or, when a file is there at the moment of naming, to the first free
// numbered form of it, and returns the path taken. The file is named complete but reaches the
// disk only with the batch, so that a run of files waits for the disk once.
std::string SaveToUniquePath(const TDiskImageList& images, const std::string& path,
                             bool splitExtension, rtl::TFileBatch& batch);
// The same for one image (row from 1, for a refusal) in form.
std::string SaveToUniquePath(const TDiskImage& image, int row, TImageForm form,
                             const std::string& path, bool splitExtension, rtl::TFileBatch& batch);
// The same for one image of a scanned container, copied from the container's file.
std::string SaveToUniquePath(rtl::TFileStream& container, const TScannedImage& image,
                             const std::string& path, bool splitExtension, rtl::TFileBatch& batch);

// The name of one file of Save to Multiple Files: "%s #%03d (%s)%s" filled with the document's
// base name, the row counted from 1, the image's name made fit for a file name, and the
// document's extension.
std::string MakeMultipleFilesName(const std::string& baseName, int row,
                                  const std::string& fileSafeName, const std::string& extension);
// Where Save to Multiple Files puts image `row` (from 1), named imageName (code page 932), of the
// document documentName in folder, before a number makes the path unique.
std::string MultipleFilesPath(const std::string& folder, const std::string& documentName, int row,
                              const std::string& imageName);
