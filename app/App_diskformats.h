// Disk images in the forms other programs keep them: plain sector dumps, FDI and DIM files and
// the files of PC-98 emulators, read into images of our own and written back out of them.
#pragma once

#include "App_diskimages.h"
#include "App_presets.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class TImageForm { D88, Raw, Fdi, Dim, Nfd, Fdd, Dcp, Dip };

struct TFormatSource;
struct TNamedFormat;

// A file looked at to learn its form: its size, its name and its first bytes (up to
// Pc98HeadSize), with the stream for a form that needs to look further.
struct TFormFile {
    rtl::TStream& Stream;
    int64_t Size;
    const std::string& Path;
    std::span<const uint8_t> Head;
};

// An image read from a file of another form, and what the file held that an image cannot, in
// sentences for the user.
struct TFormRead {
    std::unique_ptr<TDiskImage> Image;
    std::vector<std::string> Notes;
};

// What the program knows of one form of disk file, stated once: the command line, the window's
// Save To menu, the Add dialog's filter, the drop and open paths and the help's table of forms
// are made from these. The container is the document's own form: it is read and written by the
// container's code, so its entry has no Read, Bytes or Check.
struct TImageFormTraits {
    TImageForm Form;
    // How the help and `forms` name it: its makers' name ("DIM"), or words to translate.
    const char* Name;
    // The command line's name (--as dim), also the middle of its Save To action's name; empty
    // for a form the program only reads.
    const char* CliName;
    // How a message names one of its files: "a DIM file".
    const char* FileText;
    // How a refusal to write an image in it names it: "… as a DIM file: …".
    const char* AsText;
    // The Save To menu's entry and its hint; empty for a form the menu does not offer.
    const char* SaveCaption;
    const char* SaveHint;
    // Lower case with their dot; a file written in the form gets the first.
    std::span<const char* const> Extensions;
    // What one file of the form can hold, a sentence for the help and `forms`.
    const char* Holds;
    // Whether a file is one of the form, damaged ones included for Read to refuse; asked in
    // the table's order, the first yes deciding.
    bool (*Detect)(const TFormFile& file, const std::vector<TNamedFormat>& table);
    TFormRead (*Read)(const TFormFile& file, const TFormatSource& source);
    // The bytes of a file of the form holding the image, refused (naming the image by row)
    // when it cannot; Check refuses alike without building them. Null for a form only read.
    std::vector<uint8_t> (*Bytes)(const TDiskImage& image, int row);
    void (*Check)(const TDiskImage& image, int row);

    bool Writes() const { return CliName[0] != '\0'; }
};

// Every form, in the order menus and the help list them: the container first.
std::span<const TImageFormTraits> ImageForms();
const TImageFormTraits& FormTraits(TImageForm form);
// The form the command line names name; empty for a name no written form has.
std::optional<TImageForm> FormOfCliName(std::string_view name);
// The command line's names of the written forms, joined by separator: "d88|raw|…".
std::string CliFormNames(const char* separator);

// A geometry a plain dump may have, under the name a user knows it by.
struct TNamedFormat {
    std::string Name;
    TDiskFormat Format;
};

// The extensions, lower case with their dot, of the files read here: containers, and the dumps
// and other forms other programs keep disks in; the forms' own, in their order.
const std::vector<std::string>& ContainerExtensions();
const std::vector<std::string>& OtherFormExtensions();
// Whether the file's extension is one of a form's, a container's or another's, in any case.
bool HasDiskFileExtension(const std::string& path);

// The presets' formats, each geometry once (the first name it has), in list order.
std::vector<TNamedFormat> NamedFormats(const TPresetList& presets);
// Every preset under its own name, two of one geometry included.
std::vector<TNamedFormat> PresetFormats(const TPresetList& presets);
// Those of table a plain dump of size bytes can have.
std::vector<TNamedFormat> FormatsOfSize(const std::vector<TNamedFormat>& table, int64_t size);
// The index in candidates (not empty) of the format a dump named path most likely has: small
// sectors for the 2D dumps of 8-bit machines (".2d"), the largest sectors otherwise; the first
// in list order among equals.
size_t LikeliestFormat(const std::vector<TNamedFormat>& candidates, const std::string& path);
// The disk type the presets give a geometry, else the one it implies.
int32_t DiskTypeOf(const std::vector<TNamedFormat>& table, int32_t c, int32_t h, int32_t r,
                   int32_t n);

// Settles the geometry of a plain dump whose size fits several formats: given the file's path,
// the candidates and the likeliest one's index, returns the index chosen. Whatever it raises
// (rtl::Abort for a user who cancels) ends the read.
using TFormatChooser = std::function<size_t(
    const std::string& path, const std::vector<TNamedFormat>& candidates, size_t likeliest)>;

struct TFormatSource {
    TFormatSource(std::vector<TNamedFormat> table = {}, TFormatChooser choose = {},
                  std::optional<std::string> named = {}, std::vector<TNamedFormat> presets = {})
        : Table(std::move(table)), Choose(std::move(choose)), Named(std::move(named)),
          Presets(std::move(presets)) {}

    std::vector<TNamedFormat> Table;
    TFormatChooser Choose;
    // The preset a user named for every plain dump (the command line's --format), looked up in
    // Presets, which has every preset's name: a dump is read with it, or refused when no preset
    // has that name or its dumps are of another size.
    std::optional<std::string> Named;
    std::vector<TNamedFormat> Presets;
    // Told, a sentence at a time, what a file held that its image cannot (an NFD file's
    // repeated readings of a sector, say); without it the read says nothing of them.
    std::function<void(const std::string&)> Note;
};

// Which form the file's content is in: a valid D88/D77 container, then the signature of an NFD,
// FDD or DIP file or a DCP/DCU file whose header and size agree, then an FDI header, then a DIM
// header, then a plain dump of a size the table knows; the extension only decides between a
// damaged file and a dump. Empty for none of these.
std::optional<TImageForm> DetectImageForm(rtl::TStream& stream, const std::string& path,
                                          const std::vector<TNamedFormat>& table);

// The form LoadImagesOfAnyForm reads the file in: the one it is detected in, else a plain dump
// for a file named as other forms' files are that does not start as a container (refused by
// its size, an empty one too), else a container, for the refusal a damaged one gets.
TImageForm ReadingForm(rtl::TStream& stream, const std::string& path,
                       const std::vector<TNamedFormat>& table);

// A file opened to be read in whatever form it is in, its form settled once, as ReadingForm
// settles it: a caller that decides by the form reads the file no second time to load it. A file
// that cannot be opened or read raises the container load's errors.
class TImageFile {
public:
    TImageFile(const std::string& path, const std::vector<TNamedFormat>& table);
    TImageFile(const TImageFile&) = delete;
    TImageFile& operator=(const TImageFile&) = delete;
    ~TImageFile();

    TImageForm Form() const { return FForm; }
    // Replaces the contents of images with the file's images; all or nothing, with the errors of
    // LoadImagesOfAnyForm.
    void LoadInto(TDiskImageList& images, const TFormatSource& source);

private:
    std::string FPath;
    std::unique_ptr<rtl::TFileStream> FFile;
    int64_t FSize = 0;
    TImageForm FForm = TImageForm::D88;
};

// Replaces the contents of images with the images of the file, whatever its form; all or
// nothing. A D88/D77 container is read exactly as TDiskImageList::LoadFromFile reads it, and a
// file in no form keeps that load's refusal, unless it is named as another form's files are
// (".hdm", ".img", ".fdi", …) and does not start as a container: then EDiskImageError "The
// program does not support disk images of N bytes.".
void LoadImagesOfAnyForm(const std::string& path, TDiskImageList& images,
                         const TFormatSource& source);

// The name an image read from a file of another form takes: the file's name without its
// extension in code page 932, cut to the 16 bytes of a name at a character boundary, characters
// code page 932 lacks left out.
std::string ImageNameOfFile(const std::string& path);

// Refuses, as SaveImageInForm would, an image form cannot hold; nothing for a container.
void CheckImageInForm(const TDiskImage& image, int row, TImageForm form);

// The geometry of an image a plain dump can hold without loss: every track present, sectors
// 1 to R in order with the IDs of their track, one size everywhere, no error status and no
// deleted data. Otherwise EDiskImageError naming the image by row (from 1) and name and its
// first irregular track: "… as plain sectors: track 12 side 1 has 9 sectors; the others have
// 8.".
TDiskFormat PlainGeometry(const TDiskImage& image, int row);

// The image written in form at the stream's position; row names it in a refusal.
void SaveImageInForm(const TDiskImage& image, int row, TImageForm form, rtl::TStream& stream);
// The same into a new file for path, which commit names; the file writer's rules hold.
std::unique_ptr<rtl::TNewFileStream>
SaveImageInFormToNewFile(const TDiskImage& image, int row, TImageForm form, const std::string& path,
                         rtl::TNaming naming,
                         const std::function<void(rtl::TNewFileStream&)>& commit);
// fileName with the extension a file of form gets: ".img" for a plain dump, ".fdi", ".dim" or
// ".nfd" for those files; a container keeps fileName's own.
std::string NameInForm(const std::string& fileName, TImageForm form);
