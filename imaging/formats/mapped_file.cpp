#include "imaging/formats/mapped_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tesra {

namespace {

[[noreturn]] void throwSystemError(int error, const std::string& fileName)
{
    throw EImageFile(fileName + ": " + std::strerror(error));
}

// Closes the descriptor when the scope is left.
class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() { ::close(m_fd); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

}  // namespace

std::string notRegularFileMessage(const std::string& fileName, bool directory)
{
    return fileName + ": " + (directory ? std::strerror(EISDIR) : "Not a regular file");
}

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

FileBytes::FileBytes(const std::string& fileName)
{
    std::uint64_t size = 0;
    const int fd = openRegularFile(fileName, &size);
    FdCloser closer(fd);
    if (size == 0)
        return;
    if (size > SIZE_MAX)
        throwSystemError(EFBIG, fileName);
    void* p = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
        // Readers mostly go from the start to the end: let the kernel read ahead.
        ::madvise(p, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
        m_mapping = p;
        m_mappingSize = static_cast<std::size_t>(size);
        m_bytes = ByteSpan(static_cast<const std::uint8_t*>(p), m_mappingSize);
        return;
    }
    // A file that cannot be mapped is read, up to the size it had when opened.
    try {
        m_copy.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throwSystemError(ENOMEM, fileName);
    }
    std::size_t got = 0;
    while (got < m_copy.size()) {
        const ssize_t n = ::read(fd, m_copy.data() + got, m_copy.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throwSystemError(errno, fileName);
        if (n == 0)
            break;  // the file shrank meanwhile: the readers see its end
        got += static_cast<std::size_t>(n);
    }
    m_copy.resize(got);
    m_bytes = ByteSpan(m_copy.data(), m_copy.size());
}

FileBytes::~FileBytes()
{
    if (m_mapping)
        ::munmap(m_mapping, m_mappingSize);
}

}  // namespace tesra
