// The commands of trackwell-cli that edit a container in place. They drive the editor's own
// document controller over a list view without a window, so that every rule, message and file
// name is the editor's; a script differs from a user only in how questions are answered.
#pragma once

#include "Cli_arguments.h"

#include <iosfwd>

namespace cli {

// The handlers of the editing commands' entries in the table, run on a line whose arguments have
// been counted. Each raises EUsageError for a word argument outside its list and for a malformed
// ROW or ROWS, all found before any file is touched. FILE is opened, the rows selected, the
// operation run and the document saved back to FILE (with Back Up on Save turned on for
// --backup), except by `names`, which prints instead. A failure raises rtl::Exception with the
// editor's message and leaves FILE as it was. Only `paste-names` reads in, once its rows are
// selected, and then no more lines than one beyond them. A command that saves holds an exclusive
// lock on FILE from before the read until the saved file has replaced it, so two such commands on
// one file take turns and the second edits what the first saved. --format names the preset of an
// ambiguous plain dump that `add` reads.
int RunRename(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunNames(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunPasteNames(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunProtect(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunDelete(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunDuplicate(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunAdd(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunAddBlank(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunSort(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunReverse(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunMove(const TCommandLine& line, std::istream& in, std::ostream& out);
// The files on the disk of one image: each change is one edit of the document, refused with the
// file system's own sentence, FILE left as it was.
int RunPut(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunDeleteFile(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunMakeFolder(const TCommandLine& line, std::istream& in, std::ostream& out);
int RunRenameFile(const TCommandLine& line, std::istream& in, std::ostream& out);
// One sector's data, refused unless IN has the sector's length, the image is not write-protected
// and its tracks are sound.
int RunWriteSector(const TCommandLine& line, std::istream& in, std::ostream& out);

} // namespace cli
