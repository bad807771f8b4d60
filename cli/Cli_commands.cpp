#include "Cli_commands.h"

#include "Cli_audit.h"
#include "Cli_containers.h"
#include "Cli_edits.h"
#include "Cli_files.h"
#include "Cli_identify.h"
#include "Cli_sectors.h"

namespace cli {

namespace {

// The usage text shows the commands in this order, the editing ones apart.
constexpr TCommand CommandTable[] = {
    {.Name = "list",
     .Arguments = "FILE",
     .Help = "One line per image: row, name, write-protected, disk type, size (tab-separated).",
     .Handler = RunList},
    {.Name = "blank",
     .Arguments = "OUT TYPE C H R N",
     .Options = OptionName | OptionWriteProtected | OptionForce,
     .Help = "Make OUT a container of one blank formatted image.\n"
             "TYPE is 2D, 2DD or 2HD; C, H, R and N are 0 to 255, decimal or $/0x hex.",
     .Handler = RunBlank},
    {.Name = "merge",
     .Arguments = "OUT IN...",
     .Options = OptionFormat | OptionForce,
     .Help = "Write every image of every IN, in order, to OUT.",
     .Handler = RunMerge},
    {.Name = "extract",
     .Arguments = "IN ROWS OUT",
     .Options = OptionForce,
     .Help = "Write the given images of IN, in ascending row order, to OUT.",
     .Handler = RunExtract},
    {.Name = "split",
     .Arguments = "IN [DIR]",
     .Help = "Write each image of IN to a file of its own in DIR (default: .).",
     .Handler = RunSplit},
    {.Name = "sum",
     .Arguments = "FILE [ROWS]",
     .Help = "Print the total size of all (or the given) images.",
     .Handler = RunSum},
    {.Name = "export",
     .Arguments = "IN ROWS OUT",
     .Options = OptionAs | OptionForce,
     .Help = "Write the given images in the form --as names (the forms `forms` lists as\n"
             "written): one row to the file OUT, several to numbered files in the folder OUT\n"
             "(printed).",
     .Handler = RunExport},
    {.Name = "forms",
     .Arguments = "",
     .Help = "One line per form of disk file read: name, the --as name of a form also written\n"
             "(- for one only read), extensions, what one file holds (tab-separated).",
     .Handler = RunForms},
    // A failure exits with 2, since 1 says that an image has a fault: a script tells them apart.
    {.Name = "check",
     .Arguments = "FILE [ROWS]",
     .Help = "Walk the track table and sectors of all (or the given) images; one line per\n"
             "finding: row, error|warning|note, text (tab-separated). Exit status 0 when no\n"
             "image has an error or warning, 1 when one has, 2 when the check fails.",
     .FailureExitCode = ExitUsage,
     .Handler = RunCheck},
    {.Name = "hash",
     .Arguments = "FILE [ROWS]",
     .Options = OptionAlgorithm,
     .Help = "One line per image: row, digest of its track data (all but the name, write\n"
             "protection, type and size; default sha1), name.",
     .Handler = RunHash},
    {.Name = "identify",
     .Arguments = "FILE [ROWS]",
     .Options = OptionList,
     .Help = "One line per disk each image is in MAME's software lists of floppy disks, or in\n"
             "the lists and DAT files given (files or folders): row, list, software, part,\n"
             "title (tab-separated); dashes for an image in none. A list that cannot be read is\n"
             "left out with a note on standard error. Exit status 0 when every image was found,\n"
             "1 when one was not, 2 when identifying fails.",
     .FailureExitCode = ExitUsage,
     .Handler = RunIdentify},
    {.Name = "audit",
     .Arguments = "PATH...",
     .Options = OptionList | OptionReportFormat | OptionMissingDat | OptionAll,
     .Help = "Identify every image of the files PATH and of the disk files under the folders\n"
             "PATH, and report by title: complete, or incomplete with its missing disks\n"
             "(every title of the lists with --all); disks found in several places; unknown\n"
             "images; unreadable files. --missing-dat writes a DAT of the missing disks. Exit\n"
             "status 0 when every title found is complete and every file was read, 1 when\n"
             "not, 2 when the audit fails.",
     .FailureExitCode = ExitUsage,
     .Handler = RunAudit},
    {.Name = "fs",
     .Arguments = "FILE [ROWS]",
     .Help = "One line per image: row, file system (FAT12, N88-BASIC, Hu-BASIC, CP/M, or - for\n"
             "none known), files, free bytes (tab-separated).",
     .Handler = RunFs},
    {.Name = "files",
     .Arguments = "FILE ROW [FOLDER]",
     .Help = "One line per entry of the root folder (or FOLDER, parted by /) of the disk of ROW:\n"
             "name, size, kind (folder or the file system's type), details (tab-separated).",
     .Handler = RunFiles},
    {.Name = "get",
     .Arguments = "FILE ROW PATH [OUT]",
     .Options = OptionForce,
     .Help = "Write the file PATH of the disk of ROW to OUT (default: its name in the current\n"
             "folder; - for standard output). A folder is written with everything in it; with\n"
             "--force into an OUT that exists, replacing its files of the same names.",
     .Handler = RunGet},
    {.Name = "sectors",
     .Arguments = "FILE ROW [TRACK]",
     .Help = "One line per sector of the image of ROW (or of its track table entry TRACK), in\n"
             "stored order, as the headers say: track, index on the track from 1, C, H, R, N,\n"
             "MFM|FM, deleted yes|no, status (hex), bytes (tab-separated). A damaged image is\n"
             "listed as far as it is sound, with a note naming the damage, and exits 1.",
     .Handler = RunSectors},
    {.Name = "read-sector",
     .Arguments = "FILE ROW TRACK INDEX [OUT]",
     .Options = OptionForce,
     .Help = "Write the data of sector INDEX of track TRACK of the image of ROW to OUT\n"
             "(default, or -: standard output).",
     .Handler = RunReadSector},
    {.Name = "find",
     .Arguments = "FILE ROW TEXT",
     .Options = OptionHex,
     .Help = "One line per place in the sectors' data of the image of ROW where TEXT (in code\n"
             "page 932; with --hex, the bytes its hex digits spell) occurs, also across the\n"
             "sectors of a track: track, index, offset (tab-separated). Exit status 1 when\n"
             "nowhere.",
     .Handler = RunFind},
    {.Name = "rename",
     .Arguments = "FILE ROW NAME",
     .Options = OptionBackup,
     .Help = "Set the name of one image (UTF-8; at most 16 bytes in code page 932).",
     .Editing = true,
     .Handler = RunRename},
    {.Name = "names",
     .Arguments = "FILE [ROWS]",
     .Help = "Print the names of all (or the given) images, one per line (UTF-8).",
     .Editing = true,
     .Handler = RunNames},
    {.Name = "paste-names",
     .Arguments = "FILE ROWS",
     .Options = OptionBackup,
     .Help = "Set the names of the given images from the lines of standard input, one per row.",
     .Editing = true,
     .Handler = RunPasteNames,
     .Input = "< TEXT"},
    {.Name = "protect",
     .Arguments = "FILE ROWS yes|no|toggle",
     .Options = OptionBackup,
     .Help = "Set, clear or toggle the write protection of the given images.",
     .Editing = true,
     .Handler = RunProtect},
    {.Name = "delete",
     .Arguments = "FILE ROWS",
     .Options = OptionBackup,
     .Help = "Remove the given images.",
     .Editing = true,
     .Handler = RunDelete},
    {.Name = "duplicate",
     .Arguments = "FILE ROWS",
     .Options = OptionBackup,
     .Help = "Append a copy of each given image.",
     .Editing = true,
     .Handler = RunDuplicate},
    {.Name = "add",
     .Arguments = "FILE IN...",
     .Options = OptionFormat | OptionBackup,
     .Help = "Append every image of every IN, the files taken in path order.",
     .Editing = true,
     .Handler = RunAdd},
    {.Name = "add-blank",
     .Arguments = "FILE TYPE C H R N",
     .Options = OptionBackup,
     .Help = "Append one blank formatted image; TYPE, C, H, R and N as for blank.",
     .Editing = true,
     .Handler = RunAddBlank},
    {.Name = "sort",
     .Arguments = "FILE name|write-protected|disk-type|size",
     .Options = OptionBackup,
     .Help = "Sort the images; equal ones keep their order.",
     .Editing = true,
     .Handler = RunSort},
    {.Name = "reverse",
     .Arguments = "FILE",
     .Options = OptionBackup,
     .Help = "Reverse the order of the images.",
     .Editing = true,
     .Handler = RunReverse},
    {.Name = "move",
     .Arguments = "FILE ROWS up|down",
     .Options = OptionBackup,
     .Help = "Move the given images one place up or down.",
     .Editing = true,
     .Handler = RunMove},
    {.Name = "put",
     .Arguments = "FILE ROW IN [PATH]",
     .Options = OptionForce | OptionBackup,
     .Help = "Write the file IN onto the disk of ROW as PATH (default: IN's name in the root\n"
             "folder); a file of that name is replaced only with --force. A folder IN is\n"
             "written with everything in it; with --force into a folder the disk has.",
     .Editing = true,
     .Handler = RunPut},
    {.Name = "delete-file",
     .Arguments = "FILE ROW PATH...",
     .Options = OptionRecursive | OptionBackup,
     .Help = "Delete the files PATH from the disk of ROW, all or none; a folder that holds\n"
             "anything only with --recursive, with everything in it.",
     .Editing = true,
     .Handler = RunDeleteFile},
    {.Name = "mkdir",
     .Arguments = "FILE ROW PATH",
     .Options = OptionBackup,
     .Help = "Make the empty folder PATH on the disk of ROW (FAT12 disks have folders).",
     .Editing = true,
     .Handler = RunMakeFolder},
    {.Name = "rename-file",
     .Arguments = "FILE ROW PATH NEWNAME",
     .Options = OptionBackup,
     .Help = "Give the file PATH on the disk of ROW the name NEWNAME in its folder.",
     .Editing = true,
     .Handler = RunRenameFile},
    {.Name = "write-sector",
     .Arguments = "FILE ROW TRACK INDEX IN",
     .Options = OptionBackup,
     .Help = "Make the file IN, of exactly the sector's length, the data of sector INDEX of\n"
             "track TRACK of the image of ROW; its header, marks and layout stay as they are.",
     .Editing = true,
     .Handler = RunWriteSector},
};

} // namespace

std::span<const TCommand> Commands() {
    return CommandTable;
}

} // namespace cli
