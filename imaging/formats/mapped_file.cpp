#include "imaging/formats/mapped_file.h"

#include "imaging/formats/format_error.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesra {

namespace {

[[noreturn]] void throwSystemError(int error, const std::string& fileName)
{
    throw EImageFile(fileName + ": " + std::strerror(error));
}

// ---- The fault guard ----
//
// A mapping in use by a load has a slot here. A SIGBUS inside a slot's range means the file
// ended before the page did: the rest of the range is replaced by zero pages, the slot noted,
// and the touching instruction runs again on the zeros. Faults anywhere else go on to the
// handler that was there before (or end the program as they would have).

struct GuardSlot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<int> fd{-1};
    std::atomic<bool> faulted{false};
};

constexpr int kGuardSlots = 16;
GuardSlot g_slots[kGuardSlots];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};
std::atomic<bool> g_guardInstalled{false};

void onBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (GuardSlot& slot : g_slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        const std::uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= end)
            continue;
        // Everything from the file's present end on is gone, not only this page: a reader
        // going backwards (bottom-up rows) would otherwise fault once per page.
        std::uintptr_t page = address & ~(g_pageSize - 1);
        struct stat info {};
        if (::fstat(slot.fd.load(std::memory_order_acquire), &info) == 0 && info.st_size >= 0 &&
            static_cast<std::uintptr_t>(info.st_size) < page - begin)
            page = (begin + static_cast<std::uintptr_t>(info.st_size)) & ~(g_pageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            slot.faulted.store(true, std::memory_order_release);
            return;
        }
        break;
    }
    if (g_previous.sa_flags & SA_SIGINFO) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    // Not ours and nobody else's: the default action, when the instruction runs again.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
}

bool installGuard()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        if (page > 0)
            g_pageSize = static_cast<std::uintptr_t>(page);
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        if (::sigaction(SIGBUS, &action, &g_previous) == 0)
            g_guardInstalled.store(true);
    });
    return g_guardInstalled.load();
}

// A free slot for [begin, begin + size), a mapping of the file `fd`, or -1 when the guard is not there or all slots are
// taken (the file is then read instead of mapped).
int guardRange(const void* begin, std::size_t size, int fd)
{
    if (!installGuard())
        return -1;
    const auto b = reinterpret_cast<std::uintptr_t>(begin);
    for (int i = 0; i < kGuardSlots; ++i) {
        std::uintptr_t expected = 0;
        if (g_slots[i].begin.compare_exchange_strong(expected, b, std::memory_order_acq_rel)) {
            g_slots[i].faulted.store(false, std::memory_order_relaxed);
            g_slots[i].fd.store(fd, std::memory_order_relaxed);
            g_slots[i].end.store(b + size, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void unguard(int slot)
{
    g_slots[slot].end.store(0, std::memory_order_release);
    g_slots[slot].begin.store(0, std::memory_order_release);
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

}  // namespace

std::string notRegularFileMessage(const std::string& fileName, bool directory)
{
    return fileName + ": " + (directory ? std::string(std::strerror(EISDIR)) : UserText(QT_TRANSLATE_NOOP("Core", "Not a regular file")));
}

std::string fileChangedMessage(const std::string& fileName) { return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "%1: the file changed while it was read")), {fileName}); }

int openRegularFile(const std::string& fileName, std::uint64_t* size)
{
    // Without O_NONBLOCK opening a FIFO waits for a writer that may never come; for a regular
    // file the flag changes nothing.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throwSystemError(errno, fileName);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throwSystemError(error, fileName);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EImageFile(notRegularFileMessage(fileName, S_ISDIR(info.st_mode)));
    }
    if (size)
        *size = static_cast<std::uint64_t>(info.st_size);
    return fd;
}

FileBytes::FileBytes(const std::string& fileName) : m_fileName(fileName)
{
    m_fd = openRegularFile(fileName, &m_size);
    struct stat info {};
    if (::fstat(m_fd, &info) == 0)
        m_modified = info.st_mtim;
    if (m_size == 0)
        return;
    if (m_size > SIZE_MAX) {
        ::close(m_fd);
        throwSystemError(EFBIG, fileName);
    }
    const auto size = static_cast<std::size_t>(m_size);
    void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, m_fd, 0);
    if (p != MAP_FAILED) {
        m_guard = guardRange(p, size, m_fd);
        if (m_guard >= 0) {
            // Readers mostly go from the start to the end: let the kernel read ahead.
            ::madvise(p, size, MADV_SEQUENTIAL);
            m_mapping = p;
            m_mappingSize = size;
            m_bytes = ByteSpan(static_cast<const std::uint8_t*>(p), m_mappingSize);
            return;
        }
        ::munmap(p, size);
    }
    // A file that cannot be mapped (or not safely) is read, up to the size it had when opened.
    try {
        m_copy.resize(size);
    } catch (const std::bad_alloc&) {
        ::close(m_fd);
        throwSystemError(ENOMEM, fileName);
    }
    std::size_t got = 0;
    while (got < m_copy.size()) {
        const ssize_t n = ::read(m_fd, m_copy.data() + got, m_copy.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(m_fd);
            throwSystemError(error, fileName);
        }
        if (n == 0) {
            m_short = true;  // the file shrank meanwhile
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    m_copy.resize(got);
    m_bytes = ByteSpan(m_copy.data(), m_copy.size());
}

FileBytes::~FileBytes()
{
    if (m_mapping) {
        // Out of the guard first: the range may be given to someone else after munmap.
        unguard(m_guard);
        ::munmap(m_mapping, m_mappingSize);
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileBytes::releaseResident() const
{
    // Unchanged pages of a private file mapping are dropped, not lost: the next touch reads
    // them again from the file (or from the guard's zeros).
    if (m_mapping)
        ::madvise(m_mapping, m_mappingSize, MADV_DONTNEED);
}

bool FileBytes::changed() const
{
    if (m_short || (m_guard >= 0 && g_slots[m_guard].faulted.load(std::memory_order_acquire)))
        return true;
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        return false;
    return static_cast<std::uint64_t>(info.st_size) != m_size || !sameTime(info.st_mtim, m_modified);
}

void FileBytes::throwIfChanged() const
{
    if (changed())
        throw EImageFile(fileChangedMessage(m_fileName));
}

}  // namespace tesra
