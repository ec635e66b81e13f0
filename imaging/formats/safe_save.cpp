#include "imaging/formats/safe_save.h"

#include "imaging/formats/format_error.h"
#include "imaging/formats/mapped_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <ostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace tesra {
namespace {

namespace fs = std::filesystem;

bool g_unnamedAllowed = true;

[[noreturn]] void throwSystemError(int error, const std::string& fileName)
{
    throw EImageFile(fileName + ": " + std::strerror(error));
}

bool writeAll(int fd, const char* s, std::size_t n, int& error)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, s, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        s += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
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
            if (!flushBuffer() || !write(s, static_cast<std::size_t>(n)))
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
        return write(m_buffer.data(), n);
    }
    bool write(const char* s, std::size_t n) { return m_error == 0 && writeAll(m_fd, s, n, m_error); }

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

constexpr char kTemporaryPrefix[] = ".tesra-";
constexpr char kTemporaryLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTemporaryLetterCount = 6;

// A short name for a temporary file in the folder: its length does not depend on the
// target's, so a target name of 255 bytes still leaves room for it.
std::string temporaryName(const fs::path& folder, std::mt19937& random)
{
    std::string name = kTemporaryPrefix;
    for (std::size_t i = 0; i < kTemporaryLetterCount; ++i)
        name += kTemporaryLetters[random() % (sizeof kTemporaryLetters - 1)];
    return (folder / name).string();
}

bool isTemporaryName(const char* name)
{
    const std::size_t prefix = sizeof kTemporaryPrefix - 1;
    if (std::strncmp(name, kTemporaryPrefix, prefix) != 0 || std::strlen(name) != prefix + kTemporaryLetterCount)
        return false;
    for (std::size_t i = prefix; name[i]; ++i)
        if (!std::strchr(kTemporaryLetters, name[i]))
            return false;
    return true;
}

// Temporary files of saves that were killed before their rename: ours by name and owner, and
// older than a minute, so that a save still running in another instance keeps its file.
void removeStaleTemporaries(const fs::path& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const time_t oldest = std::time(nullptr) - 60;
    const uid_t user = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == user && info.st_mtime < oldest)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// In a folder with the sticky bit only the owner of a file (or of the folder) may rename over
// it: another user's writable file there is written in place instead.
bool renameRefusedBySticky(const fs::path& folder, const struct stat& target)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !(info.st_mode & S_ISVTX))
        return false;
    const uid_t user = ::geteuid();
    return user != 0 && target.st_uid != user && info.st_uid != user;
}

// Extended attributes of the old file, its access control lists among them
// (system.posix_acl_access), go to the new one where the file systems allow; attributes a
// file system or the user may not set are left behind.
void copyExtendedAttributes(const fs::path& from, int to)
{
    ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::listxattr(from.c_str(), names.data(), names.size());
    if (size <= 0)
        return;
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(size); at += std::strlen(names.data() + at) + 1) {
        const char* name = names.data() + at;
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<std::size_t>(length));
        const ssize_t got = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (got >= 0)
            (void)::fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0);
    }
}

// The new content's file until it is named: an unnamed file (no name to remove), or a named
// temporary file that is removed unless released.
class NewFile {
public:
    NewFile() = default;
    ~NewFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_name.empty())
            ::unlink(m_name.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates the file in `folder` with the permission bits `mode` (so that a private file's
    // new content is never readable by others, not even for a moment); false with `error`
    // set when that is refused.
    bool create(const fs::path& folder, mode_t mode, int& error)
    {
        std::random_device seed;
        std::mt19937 random(seed());
        if (g_unnamedAllowed && ::access("/proc/self/fd", X_OK) == 0) {
            m_fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            if (m_fd >= 0) {
                m_unnamed = true;
                return true;
            }
            // No unnamed files on this file system (or this kernel): a named one below.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                error = errno;
                return false;
            }
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = temporaryName(folder, random);
            m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_fd >= 0) {
                m_name = name;
                return true;
            }
            if (errno != EEXIST) {
                error = errno;
                return false;
            }
        }
        error = EEXIST;
        return false;
    }

    int fd() const { return m_fd; }

    // Closes the file and puts it in the target's place; returns 0 or the system's error.
    int replace(const fs::path& target, bool targetExists)
    {
        const int fd = m_fd;
        if (m_unnamed) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            // A new target gets the file's name directly; an existing one is replaced by a
            // rename, which needs a name first.
            if (!targetExists && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return closeFile();
            if (!targetExists && errno != EEXIST)
                return failed(errno);
            std::random_device seed;
            std::mt19937 random(seed());
            for (int attempt = 0; attempt < 100 && m_name.empty(); ++attempt) {
                const std::string name = temporaryName(target.parent_path().empty() ? fs::path(".") : target.parent_path(), random);
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                    m_name = name;
                else if (errno != EEXIST)
                    return failed(errno);
            }
            if (m_name.empty())
                return failed(EEXIST);
        }
        if (const int error = closeFile())
            return error;
        if (::rename(m_name.c_str(), target.c_str()) != 0)
            return errno;
        m_name.clear();
        return 0;
    }

private:
    int closeFile()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }
    int failed(int error)
    {
        closeFile();
        return error;
    }

    int m_fd = -1;
    bool m_unnamed = false;
    std::string m_name;
};

// Makes a completed rename last: the folder's entry is flushed too.
void syncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// A writable file in a folder where nothing new can be made: the content is made in memory,
// room for it reserved (a full disk shows before anything is overwritten), then written over
// the old content from the start, cut to its length and flushed.
void saveInPlace(const fs::path& target, const std::string& fileName,
                 const std::function<void(std::ostream& out)>& write)
{
    std::ostringstream memory;
    write(memory);
    memory.flush();
    if (!memory)
        throwSystemError(EIO, fileName);
    const std::string content = std::move(memory).str();

    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throwSystemError(errno, fileName);
    auto fail = [&](int error) {
        ::close(fd);
        throwSystemError(error, fileName);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        fail(errno);
    if (static_cast<std::uint64_t>(info.st_size) < content.size()) {
        const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(content.size()));
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL)
            fail(error);
    }
    int error = 0;
    if (!writeAll(fd, content.data(), content.size(), error))
        fail(error);
    if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0)
        fail(errno);
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0)
        throwSystemError(errno, fileName);
}

}  // namespace

namespace detail {
void setUnnamedTemporaryAllowed(bool allowed) { g_unnamedAllowed = allowed; }
}  // namespace detail

void safeSave(const std::string& fileName, const std::function<void(std::ostream& out)>& write)
{
    const fs::path target = resolveLinks(fs::path(fileName));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        throw EImageFile(notRegularFileMessage(fileName, S_ISDIR(existing.st_mode)));
    // The rename would replace a write-protected file with only the folder's permission; the
    // user asked for the file to be written, which the system refuses.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        throwSystemError(errno, fileName);

    if (exists && renameRefusedBySticky(folder, existing)) {
        saveInPlace(target, fileName, write);
        return;
    }
    removeStaleTemporaries(folder);

    NewFile file;
    int createError = 0;
    if (!file.create(folder, exists ? (existing.st_mode & 0777) : 0666, createError)) {
        if (exists && (createError == EACCES || createError == EPERM)) {
            saveInPlace(target, fileName, write);
            return;
        }
        throwSystemError(createError, fileName);
    }

    FdStreamBuf buffer(file.fd());
    std::ostream out(&buffer);
    try {
        write(out);
        out.flush();
    } catch (...) {
        // A full disk or a file too large: the system's reason, whatever the writer said.
        if (buffer.error())
            throwSystemError(buffer.error(), fileName);
        throw;
    }
    if (!buffer.flushAll() || buffer.error() || !out)
        throwSystemError(buffer.error() ? buffer.error() : EIO, fileName);
    if (exists) {
        // Owner and group first: changing them clears set-id bits that fchmod then restores.
        if (::fchown(file.fd(), existing.st_uid, existing.st_gid) != 0)
            (void)::fchown(file.fd(), static_cast<uid_t>(-1), existing.st_gid);
        ::fchmod(file.fd(), existing.st_mode & 07777);
        copyExtendedAttributes(target, file.fd());
    }
    if (::fsync(file.fd()) != 0)
        throwSystemError(errno, fileName);
    if (const int error = file.replace(target, exists))
        throwSystemError(error, fileName);
    syncFolder(folder);
}

}  // namespace tesra
