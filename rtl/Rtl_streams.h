// Memory and file streams of the component library, and views of a file's bytes in place, with
// the error kinds callers tell apart: a short read, a file that fails while it is read, a file
// that cannot be opened or created, a write failure, and memory that cannot be obtained.
#pragma once

#include "Rtl_exceptions.h"
#include "Rtl_paths.h"
#include "Rtl_sysio.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace rtl {

RTL_DECLARE_EXCEPTION(EStreamError, Exception);
// The stream ended before the bytes asked for (a short read).
RTL_DECLARE_EXCEPTION(EReadError, EStreamError);
RTL_DECLARE_EXCEPTION(EWriteError, EStreamError);
RTL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
RTL_DECLARE_EXCEPTION(EFCreateError, EStreamError);
// The file itself failed while it was read (the system refused the read, or the file now holds
// fewer bytes than when it was opened). Not an EReadError: the bytes a reader expected may well
// be there, so the reader must not take it for data that ends too soon. Carries the reason.
RTL_DECLARE_EXCEPTION(EFileReadError, EStreamError);
// A memory stream could not get the memory for the size asked for.
RTL_DECLARE_EXCEPTION(EStreamMemoryError, EStreamError);

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t size) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }
    // Bytes between the position and the end; never negative.
    int64_t Remaining();

    // Exactly count bytes or EReadError; a negative count is a short read too.
    void ReadBuffer(void* buffer, int64_t count);
    // Exactly count bytes or EWriteError.
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position (the whole source from 0 when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
    // What the system said about the last read or write that failed, in the form of an
    // exception's reason; empty when the system reported nothing, as at the end of the data.
    virtual std::string FailureReason() const { return {}; }
};

// A block of memory for many streams at once, freed when the last user lets it go. Large
// blocks are asked for in huge pages where the system offers them: filling a gigabyte of small
// pages costs several times more than reading the bytes into it. EStreamMemoryError when the
// memory cannot be had.
std::shared_ptr<uint8_t> AllocateSharedBlock(int64_t size);

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Keeps the bytes below the new size; new bytes are not initialised. A negative size or
    // memory that cannot be had raises EStreamMemoryError and leaves the stream as it was.
    void SetSize(int64_t size) override;
    int64_t Size() override { return FSize; }
    void Clear();
    // Trades contents, position included, with another memory stream without copying.
    void Swap(TMemoryStream& other) noexcept;
    // Makes the stream's contents the `size` bytes at `memory` inside `block`, without copying;
    // the stream keeps the block alive and takes memory of its own once it has to grow.
    void Adopt(std::shared_ptr<uint8_t> block, uint8_t* memory, int64_t size);

    uint8_t* Memory() { return FMemory; }
    const uint8_t* Memory() const { return FMemory; }

private:
    void SetCapacity(int64_t capacity);

    uint8_t* FMemory = nullptr;
    // Set while FMemory lies inside a shared block rather than being the stream's own.
    std::shared_ptr<uint8_t> FBlock;
    int64_t FSize = 0;
    int64_t FPosition = 0;
    int64_t FCapacity = 0;
};

enum class TFileMode { OpenRead, OpenReadWrite, Create };

struct TGuardedRange;

// How a view's pages are read: as they are first looked at, or all of them at once, for a
// reader that will look at every one.
enum class TViewReading { OnDemand, Ahead };

// Bytes of a file seen where the system keeps them, through a read-only mapping, instead of
// copied into memory of the reader's own: a page the reader never touches is never read. A file
// cut short under the view cannot bring the program down: the pages it no longer holds read as
// zeros, and Verify then fails as a read of the file would have. To that end the first view
// takes SIGBUS over for the process, handing every bus error not on a view to what had it before.
class TFileView {
public:
    TFileView(const TFileView&) = delete;
    TFileView& operator=(const TFileView&) = delete;
    ~TFileView();

    std::span<const uint8_t> Bytes() const { return FBytes; }
    // EFileReadError, with the reason TFileStream::Read gives a file that shrank, when the file
    // no longer holds every byte the view shows: whatever was made of them may have been made of
    // zeros. Called once the bytes have been used, it vouches for what was made of them.
    void Verify() const;

private:
    friend class TFileStream;
    // Maps count bytes of the file open as handle from offset, which it holds; shows no bytes
    // when the system will not map them.
    TFileView(int handle, const std::string& fileName, int64_t offset, int64_t count,
              TViewReading reading);

    // The guard's slot, held from the mapping to its end; null for none.
    TGuardedRange* FRange = nullptr;
    void* FMapping = nullptr;
    size_t FLength = 0;
    std::span<const uint8_t> FBytes;
    // A descriptor of the file's own, to learn its size whatever becomes of the stream.
    TFileHandle FHandle;
    std::string FFileName;
    // Where the bytes shown end in the file.
    int64_t FEnd;
};

class TFileStream : public TStream {
public:
    // Opens or creates the file; EFOpenError or EFCreateError, with the system's reason, when
    // that fails. A file opened for reading is held at the size it had then: Size() keeps
    // saying it, and a file that shrinks below it fails the read with EFileReadError.
    TFileStream(const std::string& fileName, TFileMode mode);
    // Takes over an open descriptor (a temporary file made by the caller).
    TFileStream(int handle, std::string fileName);
    ~TFileStream() override;

    // EFileReadError when the system refuses the read; 0 only at the end of the file.
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    int64_t Size() override;
    // The file's permission bits, for a copy that is to keep them.
    unsigned Permissions() const;
    // Writes count bytes of source, from offset on, at this stream's position. The kernel
    // copies them where it can, without passing them through the program's memory; a source
    // that ends early fails as its reads do, a failing write as WriteBuffer does.
    void CopyRangeFrom(TFileStream& source, int64_t offset, int64_t count);
    // A view of count bytes from offset of the file; null, for the caller to read them instead,
    // when the file does not hold them now or the system will not map them.
    std::unique_ptr<TFileView> View(int64_t offset, int64_t count,
                                    TViewReading reading = TViewReading::OnDemand);

    // Forces the written bytes to the disk; EWriteError when that fails.
    void Flush();
    // Starts writing to the disk while the writer is still producing bytes, so that a later
    // Flush has little left to wait for.
    void SetWriteBehind(bool value) { FWriteBehind = value; }
    // Closes the file early; EWriteError when the close reports a failed write.
    void Close();
    const std::string& FileName() const { return FFileName; }
    // The identity of the open file, whatever its name now names; nothing once closed.
    std::optional<TFileIdentity> Identity() const { return GetOpenFileIdentity(FHandle); }
    // True once any write has failed: lets a caller that only saw a wrapped error tell a
    // failing file from another cause.
    bool WriteFailed() const { return FWriteFailed; }
    std::string FailureReason() const override;

protected:
    int Handle() const { return FHandle; }
    // Marks the stream failed with the system's error number for the reason.
    void SetFailure(int error);
    // Counts written bytes and starts their way to the disk in steps when writing behind.
    void NoteWritten(int64_t count);
    // What Flush asks of the system: fdatasync, or -1 with errno.
    virtual int FlushHandle(int handle);

private:
    int FHandle = -1;
    std::string FFileName;
    // The size when opened for reading; -1 for a stream that may be written.
    int64_t FOpenedSize = -1;
    bool FWriteFailed = false;
    int FError = 0;
    int64_t FPosition = 0;
    bool FWriteBehind = false;
    int64_t FWrittenBehind = 0;
    int64_t FWritten = 0;
};

} // namespace rtl
