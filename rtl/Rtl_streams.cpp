#include "Rtl_streams.h"

#include "Rtl_paths.h"
#include "Rtl_sysio.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace rtl {

namespace {

std::string SystemErrorText(int error) {
    return std::strerror(error);
}

template <typename TError>
[[noreturn]] void RaiseWithReason(const char* message, std::string reason) {
    TError error(message);
    error.SetReason(std::move(reason));
    throw error;
}

// The reason a file could not be opened; OpenRegularFile refuses a device, FIFO or socket with
// EINVAL.
std::string OpenFailureReason(int error, const std::string& fileName) {
    struct stat info {};
    if (error == EINVAL && ::stat(fileName.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
        !S_ISDIR(info.st_mode))
        return NotRegularFileReason(fileName);
    return SystemReason(error, fileName);
}

// A failure of the file while it is read, with its reason.
[[noreturn]] void RaiseFileReadError(const std::string& fileName, const std::string& reason) {
    RaiseWithReason<EFileReadError>(
        Format(rtl::Tr("Cannot read file \"%s\"."), fileName.c_str()).c_str(), reason);
}

// The file holds fewer bytes than when its reader relied on them: the reader must not take the
// missing bytes for data of its own that ends too soon.
[[noreturn]] void RaiseFileShrank(const std::string& fileName) {
    RaiseFileReadError(fileName,
                       Format(rtl::Tr("File shrank while being read: %s"), fileName.c_str()));
}

} // namespace

int64_t TStream::Size() {
    const int64_t position = Seek(0, TSeekOrigin::Current);
    const int64_t size = Seek(0, TSeekOrigin::End);
    Seek(position, TSeekOrigin::Beginning);
    return size;
}

int64_t TStream::Remaining() {
    return std::max<int64_t>(0, Size() - Position());
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0)
        throw EReadError(rtl::Tr("Stream read error"));
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const int64_t done = Read(bytes, count);
        if (done <= 0)
            RaiseWithReason<EReadError>(rtl::Tr("Stream read error"), FailureReason());
        bytes += done;
        count -= done;
    }
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0)
        throw EWriteError(rtl::Tr("Stream write error"));
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        const int64_t done = Write(bytes, count);
        if (done <= 0)
            RaiseWithReason<EWriteError>(rtl::Tr("Stream write error"), FailureReason());
        bytes += done;
        count -= done;
    }
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr int64_t ChunkSize = 1 << 20;
    auto chunk = std::make_unique<uint8_t[]>(static_cast<size_t>(std::min(count, ChunkSize)));
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min(left, ChunkSize);
        source.ReadBuffer(chunk.get(), n);
        WriteBuffer(chunk.get(), n);
        left -= n;
    }
    return count;
}

// ---------------------------------------------------------------------------------------------

std::shared_ptr<uint8_t> AllocateSharedBlock(int64_t size) {
    constexpr int64_t HugePage = int64_t{2} << 20;
    if (size < 0 || static_cast<uint64_t>(size) > PTRDIFF_MAX)
        throw EStreamMemoryError(rtl::Tr("Out of memory while expanding memory stream"));
    if (size < HugePage) {
        auto* memory =
            static_cast<uint8_t*>(std::malloc(static_cast<size_t>(std::max<int64_t>(size, 1))));
        if (memory == nullptr)
            throw EStreamMemoryError(rtl::Tr("Out of memory while expanding memory stream"));
        return std::shared_ptr<uint8_t>(memory, [](uint8_t* p) { std::free(p); });
    }
    // Over-allocate by one huge page so that the block can start on a huge-page boundary.
    const auto length = static_cast<size_t>(size + HugePage);
    void* mapped =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw EStreamMemoryError(rtl::Tr("Out of memory while expanding memory stream"));
    const auto start =
        (reinterpret_cast<uintptr_t>(mapped) + HugePage - 1) & ~uintptr_t(HugePage - 1);
    auto* memory = reinterpret_cast<uint8_t*>(start);
#ifdef MADV_HUGEPAGE
    ::madvise(memory, static_cast<size_t>(size), MADV_HUGEPAGE);
#endif
    return std::shared_ptr<uint8_t>(memory,
                                    [mapped, length](uint8_t*) { ::munmap(mapped, length); });
}

TMemoryStream::~TMemoryStream() {
    if (!FBlock)
        std::free(FMemory);
}

void TMemoryStream::Adopt(std::shared_ptr<uint8_t> block, uint8_t* memory, int64_t size) {
    if (!FBlock)
        std::free(FMemory);
    FBlock = std::move(block);
    FMemory = memory;
    FSize = size;
    FCapacity = size;
    FPosition = 0;
}

void TMemoryStream::SetCapacity(int64_t capacity) {
    if (capacity == FCapacity && !FBlock)
        return;
    if (FBlock) {
        // Leave the shared block for memory of the stream's own.
        void* own = capacity > 0 ? std::malloc(static_cast<size_t>(capacity)) : nullptr;
        if (capacity > 0 && own == nullptr)
            throw EStreamMemoryError(rtl::Tr("Out of memory while expanding memory stream"));
        if (own != nullptr)
            std::memcpy(own, FMemory, static_cast<size_t>(std::min(capacity, FSize)));
        FBlock.reset();
        FMemory = static_cast<uint8_t*>(own);
        FCapacity = capacity;
        return;
    }
    if (capacity == 0) {
        std::free(FMemory);
        FMemory = nullptr;
        FCapacity = 0;
        return;
    }
    void* memory = std::realloc(FMemory, static_cast<size_t>(capacity));
    if (memory == nullptr)
        throw EStreamMemoryError(rtl::Tr("Out of memory while expanding memory stream"));
    FMemory = static_cast<uint8_t*>(memory);
    FCapacity = capacity;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0 || static_cast<uint64_t>(size) > PTRDIFF_MAX)
        throw EStreamMemoryError(rtl::Tr("Out of memory while expanding memory stream"));
    SetCapacity(size);
    FSize = size;
    FPosition = std::min(FPosition, FSize);
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::Swap(TMemoryStream& other) noexcept {
    std::swap(FMemory, other.FMemory);
    std::swap(FBlock, other.FBlock);
    std::swap(FSize, other.FSize);
    std::swap(FPosition, other.FPosition);
    std::swap(FCapacity, other.FCapacity);
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition >= FSize)
        return 0;
    const int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const int64_t end = FPosition + count;
    if (end > FCapacity)
        SetCapacity(std::max(end, FCapacity + FCapacity / 4));
    if (FPosition > FSize)
        std::memset(FMemory + FSize, 0, static_cast<size_t>(FPosition - FSize));
    std::memcpy(FMemory + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    FSize = std::max(FSize, end);
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::Current)
        base = FPosition;
    else if (origin == TSeekOrigin::End)
        base = FSize;
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

// ---------------------------------------------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    switch (mode) {
    case TFileMode::OpenRead:
        // A device or FIFO would feed a load without end or not at all.
        FHandle = OpenRegularFile(fileName);
        break;
    case TFileMode::OpenReadWrite:
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
        break;
    case TFileMode::Create:
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        break;
    }
    int error = FHandle < 0 ? errno : 0;
    struct stat info {};
    if (error == 0 && ::fstat(FHandle, &info) != 0)
        error = errno;
    else if (error == 0 && S_ISDIR(info.st_mode))
        error = EISDIR;
    if (error != 0) {
        if (FHandle >= 0)
            ::close(FHandle);
        FHandle = -1;
        if (mode == TFileMode::Create)
            RaiseWithReason<EFCreateError>(
                Format(rtl::Tr("Cannot create file \"%s\"."), fileName.c_str()).c_str(),
                SystemReason(error, fileName));
        RaiseWithReason<EFOpenError>(
            Format(rtl::Tr("Cannot open file \"%s\"."), fileName.c_str()).c_str(),
            OpenFailureReason(error, fileName));
    }
    // OpenRegularFile has made sure it is a regular file, whose size fstat gives.
    if (mode == TFileMode::OpenRead)
        FOpenedSize = info.st_size;
}

TFileStream::TFileStream(int handle, std::string fileName)
    : FHandle(handle), FFileName(std::move(fileName)),
      FPosition(std::max<off_t>(0, ::lseek(handle, 0, SEEK_CUR))) {}

TFileStream::~TFileStream() {
    if (FHandle >= 0)
        ::close(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const ssize_t n = ReadSomeAt(FHandle, buffer, static_cast<size_t>(count), FPosition);
    if (n < 0)
        RaiseFileReadError(FFileName, SystemReason(errno, FFileName));
    FPosition += n;
    // The end of a file opened for reading comes where its size said, or the file has changed
    // under the reader.
    if (n == 0 && FOpenedSize >= 0 && FPosition < FOpenedSize)
        RaiseFileShrank(FFileName);
    return n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const ssize_t n = WriteSomeAt(FHandle, buffer, static_cast<size_t>(count), FPosition);
    if (n > 0) {
        FPosition += n;
        NoteWritten(n);
        return n;
    }
    // A write that makes no progress without an error is a full device in all but name.
    SetFailure(n < 0 ? errno : ENOSPC);
    return 0;
}

void TFileStream::NoteWritten(int64_t count) {
    FWritten += count;
#ifdef __linux__
    constexpr int64_t WriteBehindStep = int64_t{8} << 20;
    if (FWriteBehind && FWritten - FWrittenBehind >= WriteBehindStep) {
        ::sync_file_range(FHandle, FWrittenBehind, FWritten - FWrittenBehind,
                          SYNC_FILE_RANGE_WRITE);
        FWrittenBehind = FWritten;
    }
#endif
}

void TFileStream::CopyRangeFrom(TFileStream& source, int64_t offset, int64_t count) {
#ifdef __linux__
    while (count > 0) {
        loff_t from = offset;
        loff_t to = FPosition;
        constexpr int64_t MaxStep = int64_t{1} << 30;
        const ssize_t n = ::copy_file_range(source.FHandle, &from, FHandle, &to,
                                            static_cast<size_t>(std::min(count, MaxStep)), 0);
        if (n > 0) {
            offset += n;
            count -= n;
            FPosition += n;
            NoteWritten(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // An early end is the source's to report, by the reads below; these say that the
        // kernel cannot copy between the two files.
        if (n == 0 || errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
            break;
        SetFailure(errno);
        RaiseWithReason<EWriteError>(rtl::Tr("Stream write error"), FailureReason());
    }
#endif
    if (count > 0) {
        source.SetPosition(offset);
        CopyFrom(source, count);
    }
}

// The stream keeps its own position and reads and writes at it, so that moving about a file, as
// a scan from header to header does, costs no call to the system.
int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == TSeekOrigin::Beginning ? 0
                         : origin == TSeekOrigin::Current ? FPosition
                                                          : Size();
    if (offset > INT64_MAX - base || base + offset < 0)
        throw EStreamError(Format(rtl::Tr("Cannot seek in file \"%s\". %s"), FFileName.c_str(),
                                  SystemErrorText(EINVAL).c_str()));
    FPosition = base + offset;
    return FPosition;
}

void TFileStream::SetSize(int64_t size) {
    if (::ftruncate(FHandle, size) != 0) {
        SetFailure(errno);
        RaiseWithReason<EWriteError>(rtl::Tr("Stream write error"), FailureReason());
    }
    FPosition = std::min(FPosition, size);
}

int64_t TFileStream::Size() {
    if (FOpenedSize >= 0)
        return FOpenedSize;
    struct stat info {};
    if (::fstat(FHandle, &info) == 0 && S_ISREG(info.st_mode))
        return info.st_size;
    return TStream::Size();
}

std::unique_ptr<TFileView> TFileStream::View(int64_t offset, int64_t count, TViewReading reading) {
    struct stat info {};
    // Only what the file holds now is mapped: a page past its end would fault at the first look.
    if (offset < 0 || count <= 0 || ::fstat(FHandle, &info) != 0 || offset > info.st_size - count)
        return nullptr;
    std::unique_ptr<TFileView> view(new TFileView(FHandle, FFileName, offset, count, reading));
    if (view->Bytes().empty())
        return nullptr;
    return view;
}

unsigned TFileStream::Permissions() const {
    struct stat info {};
    return ::fstat(FHandle, &info) == 0 ? info.st_mode & 07777 : 0666;
}

int TFileStream::FlushHandle(int handle) {
    return ::fdatasync(handle);
}

void TFileStream::Flush() {
    if (FlushHandle(FHandle) != 0 && errno != EINVAL && errno != EROFS) {
        SetFailure(errno);
        RaiseWithReason<EWriteError>(rtl::Tr("Stream write error"), FailureReason());
    }
}

void TFileStream::Close() {
    if (FHandle < 0)
        return;
    const int result = ::close(FHandle);
    FHandle = -1;
    if (result != 0 && errno != EINTR) {
        SetFailure(errno);
        RaiseWithReason<EWriteError>(rtl::Tr("Stream write error"), FailureReason());
    }
}

void TFileStream::SetFailure(int error) {
    FWriteFailed = true;
    FError = error;
}

std::string TFileStream::FailureReason() const {
    return FError != 0 ? SystemReason(FError, FFileName) : std::string();
}

// ---------------------------------------------------------------------------------------------

// A mapping whose pages the bus-error handler may replace: an access past the end of a file cut
// under it faults, and would otherwise end the program. The slots are claimed and read without a
// lock, since the handler may run at any moment on any thread and can take none.
struct TGuardedRange {
    std::atomic<bool> Claimed{false};
    // Zero while the slot guards nothing; set last, once End is.
    std::atomic<uintptr_t> Begin{0};
    std::atomic<uintptr_t> End{0};
    std::atomic<bool> Faulted{false};
};

namespace {

static_assert(std::atomic<uintptr_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the bus-error handler reads the guarded ranges without a lock");

// More views at once than any reader holds; one beyond them is read instead.
constexpr size_t GuardedRangeCount = 16;
TGuardedRange GuardedRanges[GuardedRangeCount];
// What SIGBUS did before the guard, for the faults that are none of the guard's.
struct sigaction PreviousBusAction {};
uintptr_t PageSize = 0;

bool ZeroGuardedPage(uintptr_t address) {
    for (TGuardedRange& range : GuardedRanges) {
        const uintptr_t begin = range.Begin.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= range.End.load(std::memory_order_relaxed))
            continue;
        void* page = reinterpret_cast<void*>(address & ~(PageSize - 1));
        if (::mmap(page, PageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
            MAP_FAILED)
            return false;
        range.Faulted.store(true, std::memory_order_relaxed);
        return true;
    }
    return false;
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    // An access the kernel refused (not a signal another process sent) to a page of a guarded
    // view: zeros stand in for the page the file no longer has, and the access is made again.
    const bool fault = info->si_code > 0;
    if (fault && ZeroGuardedPage(reinterpret_cast<uintptr_t>(info->si_addr)))
        return;
    // Anything else meets what SIGBUS did before the guard.
    const struct sigaction& previous = PreviousBusAction;
    if ((previous.sa_flags & SA_SIGINFO) != 0) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler == SIG_IGN && !fault)
        return;
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // The program ends as it would have: a fault comes again as the access is made again, and a
    // signal that was sent is sent once more.
    ::sigaction(SIGBUS, &previous, nullptr);
    if (!fault)
        ::raise(signal);
}

bool GuardBusErrors() {
    static const bool guarded = [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        if (page <= 0)
            return false;
        PageSize = static_cast<uintptr_t>(page);
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &PreviousBusAction) == 0;
    }();
    return guarded;
}

TGuardedRange* ClaimGuardedRange() {
    for (TGuardedRange& range : GuardedRanges)
        if (!range.Claimed.exchange(true, std::memory_order_acquire))
            return &range;
    return nullptr;
}

} // namespace

TFileView::TFileView(int handle, const std::string& fileName, int64_t offset, int64_t count,
                     TViewReading reading)
    : FFileName(fileName), FEnd(offset + count) {
    if (!GuardBusErrors())
        return;
    const int64_t start = offset - offset % static_cast<int64_t>(PageSize);
    if (!std::in_range<size_t>(FEnd - start))
        return;
    FHandle.Reset(::fcntl(handle, F_DUPFD_CLOEXEC, 0));
    if (FHandle.Get() < 0)
        return;
    FRange = ClaimGuardedRange();
    if (FRange == nullptr)
        return;
    const auto length = static_cast<size_t>(FEnd - start);
    void* mapping =
        ::mmap(nullptr, length, PROT_READ,
               MAP_PRIVATE | (reading == TViewReading::Ahead ? MAP_POPULATE : 0), handle, start);
    if (mapping == MAP_FAILED)
        return;
    FMapping = mapping;
    FLength = length;
    FRange->Faulted.store(false, std::memory_order_relaxed);
    FRange->End.store(reinterpret_cast<uintptr_t>(mapping) + length, std::memory_order_relaxed);
    FRange->Begin.store(reinterpret_cast<uintptr_t>(mapping), std::memory_order_release);
    FBytes = {static_cast<const uint8_t*>(mapping) + (offset - start), static_cast<size_t>(count)};
}

TFileView::~TFileView() {
    if (FRange == nullptr)
        return;
    if (FMapping != nullptr) {
        // Out of the guard's sight before the pages go, which another mapping may then take.
        FRange->Begin.store(0, std::memory_order_release);
        ::munmap(FMapping, FLength);
    }
    FRange->Claimed.store(false, std::memory_order_release);
}

void TFileView::Verify() const {
    if (FMapping == nullptr)
        return;
    struct stat info {};
    if (::fstat(FHandle.Get(), &info) != 0)
        RaiseFileReadError(FFileName, SystemReason(errno, FFileName));
    // A file cut inside the last page faults nowhere: beyond its end the page just reads zeros.
    if (FRange->Faulted.load(std::memory_order_relaxed) || info.st_size < FEnd)
        RaiseFileShrank(FFileName);
}

} // namespace rtl
