// The one way the program writes a file: the bytes go into a new file that takes its name only
// once it is complete, so that a reader, a crash or a kill finds the old file or the new one,
// never half of one, and no stray temporary file.
#pragma once

#include "Rtl_streams.h"

#include <memory>
#include <string>
#include <vector>

namespace rtl {

// The name a file was to take without replacing anything is taken.
RTL_DECLARE_EXCEPTION(EFileExistsError, EFCreateError);

enum class TNaming {
    // The file takes the target's place; through symbolic links, the place of the file they
    // lead to, which a dangling link then gets.
    Replace,
    // The file takes a name only where nothing is, checked at the moment of naming.
    NoReplace,
};

// A new file in the folder of its target. It has no name while it is written where the file
// system allows (an unnamed file), else a short hidden temporary name that an interrupt, a
// termination or a hang-up signal removes before the process ends. Every failure raises an
// EStreamError kind whose reason says what the system said.
class TNewFileStream : public TFileStream {
public:
    // For Replace, an existing target that is no regular file, or that the user may not write,
    // is refused: a replacement would put a file in place of a folder or a device, and would not
    // ask the file's own permission. The new file gets the owner, group and mode of the file it
    // replaces, as far as the process may give them.
    TNewFileStream(const std::string& target, TNaming naming);
    // A file that was not named is removed, so a failed save leaves the folder as it was.
    ~TNewFileStream() override;

    // The mode a new file is to have, as a copy keeps its original's.
    void SetPermissions(unsigned mode);
    // Puts the bytes on the disk, names the file and puts the name on the disk too: a save
    // reported as done survives a power loss. With NoReplace the file may take another name in
    // the same folder (a numbered one); EFileExistsError when that name is taken, after which
    // the file can still be committed under another name.
    void Commit();
    void Commit(const std::string& name);
    // Names the file at once but only starts its way to the disk, for a run of files that are
    // then waited for together by FlushCommitted: the disk is not waited for once per file.
    void CommitLater(const std::string& name);
    void FlushCommitted();
    // The path of the file once named; the target until then.
    const std::string& Path() const { return FPath; }

protected:
    // Through the writer's calls, so that the order of flushes and names can be watched.
    int FlushHandle(int handle) override;

private:
    struct TPlace;
    struct TPrepared {
        std::unique_ptr<TPlace> Place;
        int Handle;
    };
    static TPrepared Prepare(const std::string& target, TNaming naming);
    TNewFileStream(TPrepared prepared, const std::string& target, TNaming naming);
    void Name(const std::string& path);
    void CloseAndFlushFolder();
    [[noreturn]] void Fail(int error, const std::string& path);

    std::unique_ptr<TPlace> FPlace;
    std::string FPath;
    TNaming FNaming;
};

// Files named with CommitLater and waited for together. When many are pending, the oldest are
// flushed first, so that a long run holds only so many descriptors open.
class TFileBatch {
public:
    void Add(std::unique_ptr<TNewFileStream> file);
    // Waits until every file added is on the disk; the first failure raises after the others
    // were tried.
    void Flush();

private:
    std::vector<std::unique_ptr<TNewFileStream>> FPending;
};

// The system calls by which the writer makes its files and names them. It makes them through the
// object FileWriterCalls() returns: the system's own, unless a test puts a stand-in in its place
// (TFileWriterCallsScope) to take a path the machine would not take, such as a file system
// without unnamed files or another program taking a name at the moment of naming. Each returns
// what the system call does, setting errno on failure.
class TFileWriterCalls {
public:
    TFileWriterCalls() = default;
    TFileWriterCalls(const TFileWriterCalls&) = delete;
    TFileWriterCalls& operator=(const TFileWriterCalls&) = delete;
    virtual ~TFileWriterCalls() = default;

    // A new unnamed file in the folder, or -1; EOPNOTSUPP, EISDIR or EINVAL say that the file
    // system cannot give such a file a name.
    virtual int OpenUnnamed(int folder, unsigned mode);
    // A new file of that name in the folder, or -1 (EEXIST where the name is taken).
    virtual int OpenNew(int folder, const std::string& name, unsigned mode);
    // Gives an unnamed file a name where nothing has it.
    virtual int LinkUnnamed(int handle, int folder, const std::string& name);
    // Renames within the folder where nothing has the new name.
    virtual int RenameNoReplace(int folder, const std::string& from, const std::string& to);
    // Renames within the folder, replacing what has the new name.
    virtual int Rename(int folder, const std::string& from, const std::string& to);
    // Forces a new file's bytes to the disk, before it takes its name.
    virtual int FlushData(int handle);
    // Forces the folder's entries to the disk, after the file has taken its name.
    virtual int FlushFolder(int folder);
};
TFileWriterCalls& FileWriterCalls();

// Puts calls in the place of the writer's calls for its lifetime, then puts back what was there.
// The calls are borrowed.
class TFileWriterCallsScope {
public:
    explicit TFileWriterCallsScope(TFileWriterCalls& calls);
    ~TFileWriterCallsScope();
    TFileWriterCallsScope(const TFileWriterCallsScope&) = delete;
    TFileWriterCallsScope& operator=(const TFileWriterCallsScope&) = delete;

private:
    TFileWriterCalls* FPrevious;
};

} // namespace rtl
