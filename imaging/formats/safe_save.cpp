#include "imaging/formats/safe_save.h"

#include "imaging/formats/format_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <ostream>
#include <random>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tesra {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void throwSystemError(int error, const std::string& fileName)
{
    throw EImageFile(fileName + ": " + std::strerror(error));
}

// A stream buffer over a file descriptor that remembers the first write error, so that the
// user sees "No space left on device" rather than a generic stream failure.
class FdStreamBuf : public std::streambuf {
public:
    explicit FdStreamBuf(int fd) : m_fd(fd), m_buffer(1 << 20) { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }
    int error() const { return m_error; }

    bool flushAll() { return flushBuffer(); }

protected:
    int_type overflow(int_type ch) override
    {
        if (!flushBuffer())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        // Large blocks (whole pixel rows of big images) bypass the buffer.
        if (n >= static_cast<std::streamsize>(m_buffer.size())) {
            if (!flushBuffer() || !writeAll(s, static_cast<std::size_t>(n)))
                return 0;
            return n;
        }
        return std::streambuf::xsputn(s, n);
    }
    int sync() override { return flushBuffer() ? 0 : -1; }

private:
    bool flushBuffer()
    {
        const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
        return writeAll(m_buffer.data(), n);
    }
    bool writeAll(const char* s, std::size_t n)
    {
        if (m_error)
            return false;
        while (n > 0) {
            const ssize_t w = ::write(m_fd, s, n);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                m_error = errno;
                return false;
            }
            s += w;
            n -= static_cast<std::size_t>(w);
        }
        return true;
    }

    int m_fd;
    std::vector<char> m_buffer;
    int m_error = 0;
};

// The file a name finally refers to, following symbolic links (relative ones from the link's
// own folder). A name that does not exist yet is returned as it is.
fs::path resolveLinks(const fs::path& name)
{
    fs::path p = name;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)))
            return p;
        const fs::path target = fs::read_symlink(p, ec);
        if (ec)
            return p;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    throwSystemError(ELOOP, name.string());
}

// Removes the temporary file unless released.
class TempFileGuard {
public:
    TempFileGuard(int fd, std::string name) : m_fd(fd), m_name(std::move(name)) {}
    ~TempFileGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_name.empty())
            ::unlink(m_name.c_str());
    }
    int fd() const { return m_fd; }
    const std::string& name() const { return m_name; }
    // Closes the descriptor; returns the close error (0 when fine).
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }
    void release() { m_name.clear(); }

private:
    int m_fd;
    std::string m_name;
};

}  // namespace

void safeSave(const std::string& fileName, const std::function<void(std::ostream& out)>& write)
{
    const fs::path target = resolveLinks(fs::path(fileName));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        throwSystemError(EISDIR, fileName);

    // A fresh name next to the target, so that the final rename stays within one file system.
    std::random_device seed;
    std::mt19937 random(seed());
    int fd = -1;
    std::string tempName;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::string name = ".";
        name += target.filename().string();
        name += ".tmp";
        name += std::to_string(random() % 1000000);
        tempName = (folder / name).string();
        fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            throwSystemError(errno, fileName);
    }
    if (fd < 0)
        throwSystemError(EEXIST, fileName);
    TempFileGuard guard(fd, tempName);

    FdStreamBuf buffer(fd);
    std::ostream out(&buffer);
    write(out);
    out.flush();
    if (!buffer.flushAll() || buffer.error() || !out)
        throwSystemError(buffer.error() ? buffer.error() : EIO, fileName);
    if (exists)
        ::fchmod(fd, existing.st_mode & 07777);
    if (::fsync(fd) != 0)
        throwSystemError(errno, fileName);
    if (const int error = guard.close())
        throwSystemError(error, fileName);
    if (::rename(tempName.c_str(), target.c_str()) != 0)
        throwSystemError(errno, fileName);
    guard.release();
}

}  // namespace tesra
