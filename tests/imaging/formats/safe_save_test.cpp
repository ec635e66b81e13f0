// Saving under permissions, kills, long names, full disks and odd targets. Cases that depend
// on who may write run in a child process as the unprivileged user "nobody" when the tests
// run as root (root may write everything, which would hide the behaviour).
#include "imaging/formats/safe_save.h"

#include "imaging/formats/format_error.h"
#include "imaging/formats/image_format.h"
#include "tests/imaging/formats/format_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <ostream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tesra {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr uid_t kNobody = 65534;

bool isRoot() { return ::geteuid() == 0; }

// Runs `body` in a child process (as nobody when `unprivileged` and the tests run as root)
// and returns the text it returned, or the message of what it threw.
std::string inChild(bool unprivileged, const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string result;
        if (unprivileged && isRoot() &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            result = "cannot become nobody";
        else {
            try {
                result = body();
            } catch (const std::exception& e) {
                result = e.what();
            }
        }
        const ssize_t n = ::write(fds[1], result.data(), result.size());
        ::_exit(n == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return result;
}

void writeText(std::ostream& out, const std::string& text) { out.write(text.data(), static_cast<std::streamsize>(text.size())); }

std::vector<std::string> entries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string text(const std::string& path)
{
    const Bytes b = test::readFile(path);
    return std::string(b.begin(), b.end());
}

// A folder the unprivileged user may write into, with one file it owns.
struct Folder {
    std::string dir = test::makeTempDir("safesave-perm");
    std::string file = dir + "/probe.lin";
    explicit Folder(mode_t fileMode, bool folderWritable = true)
    {
        test::writeFile(file, {'o', 'l', 'd'});
        ::chmod(file.c_str(), fileMode);
        if (isRoot()) {
            (void)::chown(file.c_str(), kNobody, kNobody);
            ::chmod(dir.c_str(), folderWritable ? 0777 : 0755);
        } else {
            ::chmod(dir.c_str(), folderWritable ? 0755 : 0555);
        }
    }
    ~Folder()
    {
        ::chmod(dir.c_str(), 0755);
        fs::remove_all(dir);
    }
};

TEST(SafeSave, WriteProtectedFileIsRefusedAsTheSystemWould)
{
    for (bool folderWritable : {true, false}) {
        Folder f(0444, folderWritable);
        const std::string result = inChild(true, [&] {
            safeSave(f.file, [](std::ostream& out) { writeText(out, "new"); });
            return std::string("saved");
        });
        EXPECT_EQ(result, f.file + ": Permission denied") << folderWritable;
        EXPECT_EQ(text(f.file), "old");
        EXPECT_EQ(entries(f.dir), std::vector<std::string>{"probe.lin"});
    }
}

// A writable file in a folder where no file can be made is written in place, all at once.
TEST(SafeSave, WritableFileInReadOnlyFolderIsWrittenInPlace)
{
    Folder f(0644, false);
    struct stat before {};
    ::stat(f.file.c_str(), &before);
    EXPECT_EQ(inChild(true,
                      [&] {
                          safeSave(f.file, [](std::ostream& out) { writeText(out, "a longer new content"); });
                          return std::string("saved");
                      }),
              "saved");
    EXPECT_EQ(text(f.file), "a longer new content");
    EXPECT_EQ(inChild(true,
                      [&] {
                          safeSave(f.file, [](std::ostream& out) { writeText(out, "short"); });
                          return std::string("saved");
                      }),
              "saved");
    EXPECT_EQ(text(f.file), "short");
    // A writer that fails leaves the file as it was: nothing is written before it is done.
    EXPECT_EQ(inChild(true,
                      [&] {
                          safeSave(f.file, [](std::ostream& out) {
                              writeText(out, "half");
                              throw std::runtime_error("writer broke");
                          });
                          return std::string("saved");
                      }),
              "writer broke");
    EXPECT_EQ(text(f.file), "short");
    struct stat after {};
    ::stat(f.file.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(entries(f.dir), std::vector<std::string>{"probe.lin"});
}

// Names up to the system's limit of 255 bytes work: the temporary name does not grow with them.
TEST(SafeSave, LongestLegalNamesWork)
{
    const std::string dir = test::makeTempDir("safesave-long");
    std::string name;
    for (int i = 0; i < 125; ++i)
        name += "\xC3\xA4";  // ä
    name += "1.bmp";         // 255 bytes
    ASSERT_EQ(name.size(), 255u);
    for (bool unnamed : {true, false}) {
        detail::setUnnamedTemporaryAllowed(unnamed);
        for (const char* content : {"first", "second"}) {
            EXPECT_NO_THROW(safeSave(dir + "/" + name, [&](std::ostream& out) { writeText(out, content); })) << unnamed;
            EXPECT_EQ(text(dir + "/" + name), content);
            EXPECT_EQ(entries(dir), std::vector<std::string>{name});
        }
        fs::remove(dir + "/" + name);
    }
    detail::setUnnamedTemporaryAllowed(true);
    fs::remove_all(dir);
}

// While the new content is written it has no name in the folder, so a kill leaves nothing
// behind: the old file, complete, and no temporary.
TEST(SafeSave, KillDuringTheWriteLeavesOnlyTheOldFile)
{
    const std::string dir = test::makeTempDir("safesave-kill");
    const std::string target = dir + "/image.bmp";
    test::writeFile(target, {'o', 'l', 'd'});
    std::vector<std::string> seen;
    safeSave(target, [&](std::ostream& out) {
        writeText(out, std::string(100000, 'x'));
        out.flush();
        seen = entries(dir);
    });
    EXPECT_EQ(seen, std::vector<std::string>{"image.bmp"});

    for (int kill = 0; kill < 3; ++kill) {
        inChild(false, [&] {
            safeSave(target, [](std::ostream& out) {
                writeText(out, std::string(3u << 20, 'y'));
                out.flush();
                ::_exit(9);  // as if killed in the middle of the save
            });
            return std::string();
        });
    }
    EXPECT_EQ(text(target).substr(0, 100), std::string(100000, 'x').substr(0, 100));
    EXPECT_EQ(entries(dir), std::vector<std::string>{"image.bmp"});
    fs::remove_all(dir);
}

TEST(SafeSave, OwnerGroupAndPermissionBitsAreKept)
{
    if (!isRoot())
        GTEST_SKIP() << "only root can give a file to another owner";
    const std::string dir = test::makeTempDir("safesave-owner");
    const std::string target = dir + "/owned.png";
    test::writeFile(target, {1});
    ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
    ::chmod(target.c_str(), 0640);
    safeSave(target, [](std::ostream& out) { writeText(out, "new"); });
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_EQ(info.st_gid, kNobody);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    fs::remove_all(dir);
}

TEST(SafeSave, TargetsThatAreNoRegularFiles)
{
    const std::string dir = test::makeTempDir("safesave-kinds");
    ASSERT_EQ(::mkfifo((dir + "/pipe.png").c_str(), 0600), 0);
    fs::create_directory(dir + "/folder.png");
    const std::pair<std::string, std::string> cases[] = {
        {dir + "/pipe.png", dir + "/pipe.png: Not a regular file"},
        {"/dev/null", "/dev/null: Not a regular file"},
        {dir + "/folder.png", dir + "/folder.png: Is a directory"},
    };
    for (const auto& [name, message] : cases) {
        try {
            safeSave(name, [](std::ostream& out) { writeText(out, "x"); });
            ADD_FAILURE() << name;
        } catch (const EImageFile& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"folder.png", "pipe.png"}));
    fs::remove_all(dir);
}

// Named temporaries that killed saves left behind are cleared by the next save in the folder:
// only ours (by name and owner) and only those older than a minute, since a fresh one may
// belong to a save still running.
TEST(SafeSave, StaleTemporariesOfKilledSavesAreRemoved)
{
    const std::string dir = test::makeTempDir("safesave-stale");
    const std::string target = dir + "/image.bmp";
    test::writeFile(target, {'o', 'l', 'd'});
    detail::setUnnamedTemporaryAllowed(false);
    for (int kill = 0; kill < 3; ++kill)
        inChild(false, [&] {
            safeSave(target, [](std::ostream& out) {
                writeText(out, "killed");
                out.flush();
                ::_exit(9);
            });
            return std::string();
        });
    std::vector<std::string> left = entries(dir);
    ASSERT_EQ(left.size(), 4u);
    left.erase(std::find(left.begin(), left.end(), "image.bmp"));
    const timespec longAgo[2] = {{1000, 0}, {1000, 0}};
    // left[0] stays fresh; left[1] is old and ours; left[2] is old and another user's.
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir + "/" + left[1]).c_str(), longAgo, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir + "/" + left[2]).c_str(), longAgo, 0), 0);
    const bool otherOwner = isRoot() && ::chown((dir + "/" + left[2]).c_str(), kNobody, kNobody) == 0;
    for (const char* lookalike : {".tesra-abc", ".tesra-abcdefg", "tesra-abcdef"}) {
        test::writeFile(dir + "/" + lookalike, {1});
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir + "/" + lookalike).c_str(), longAgo, 0), 0);
    }
    safeSave(target, [](std::ostream& out) { writeText(out, "new"); });
    detail::setUnnamedTemporaryAllowed(true);
    EXPECT_EQ(text(target), "new");
    std::vector<std::string> expected = {".tesra-abc", ".tesra-abcdefg", "image.bmp", left[0], "tesra-abcdef"};
    if (otherOwner)
        expected.push_back(left[2]);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries(dir), expected);
    fs::remove_all(dir);
}

// Root's writable file in a folder with the sticky bit, saved by another user: renaming over
// it is not allowed there, so it is written in place.
TEST(SafeSave, OtherUsersWritableFileInStickyFolderIsWrittenInPlace)
{
    if (!isRoot())
        GTEST_SKIP() << "needs a file of another user";
    const std::string dir = test::makeTempDir("safesave-sticky");
    ::chmod(dir.c_str(), 01777);
    const std::string target = dir + "/shared.png";
    test::writeFile(target, {'o', 'l', 'd'});
    ::chmod(target.c_str(), 0666);
    struct stat before {};
    ::stat(target.c_str(), &before);
    EXPECT_EQ(inChild(true,
                      [&] {
                          safeSave(target, [](std::ostream& out) { writeText(out, "new content"); });
                          return std::string("saved");
                      }),
              "saved");
    EXPECT_EQ(text(target), "new content");
    struct stat after {};
    ::stat(target.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"shared.png"});
    fs::remove_all(dir);
}

// A private file's new content is private from the first byte, also in a named temporary;
// its extended attributes and access control list come along.
TEST(SafeSave, PrivateModeAttributesAndAclAreThereFromTheStart)
{
    const std::string dir = test::makeTempDir("safesave-private");
    const std::string target = dir + "/private.tif";
    test::writeFile(target, {'o', 'l', 'd'});
    ::chmod(target.c_str(), 0600);
    const std::string note = "etched 10 s";
    const bool attributes = ::setxattr(target.c_str(), "user.tesra.note", note.data(), note.size(), 0) == 0;
    // An access control list in the system's stored form: owner rw, user nobody r, group
    // none, mask r, others none.
    test::Bytes acl;
    acl.u32(2);
    const struct {
        unsigned tag, perm;
        std::uint32_t id;
    } aclEntries[] = {{1, 6, 0xFFFFFFFF}, {2, 4, kNobody}, {4, 0, 0xFFFFFFFF}, {0x10, 4, 0xFFFFFFFF}, {0x20, 0, 0xFFFFFFFF}};
    for (const auto& e : aclEntries)
        acl.u16(e.tag).u16(e.perm).u32(e.id);
    const bool acls = ::setxattr(target.c_str(), "system.posix_acl_access", acl.v.data(), acl.v.size(), 0) == 0;
    struct stat aclMode {};
    ::stat(target.c_str(), &aclMode);

    for (bool unnamed : {false, true}) {
        detail::setUnnamedTemporaryAllowed(unnamed);
        std::vector<mode_t> modes;
        safeSave(target, [&](std::ostream& out) {
            writeText(out, "secret");
            out.flush();
            for (const auto& e : fs::directory_iterator(dir))
                if (e.path().filename().string().rfind(".tesra-", 0) == 0) {
                    struct stat info {};
                    ::stat(e.path().c_str(), &info);
                    modes.push_back(info.st_mode & 0777);
                }
        });
        EXPECT_EQ(modes, unnamed ? std::vector<mode_t>{} : std::vector<mode_t>{aclMode.st_mode & 0777});
        EXPECT_EQ(text(target), "secret");
        struct stat info {};
        ::stat(target.c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, aclMode.st_mode & 0777);
        if (attributes) {
            char value[64] = {};
            EXPECT_EQ(::getxattr(target.c_str(), "user.tesra.note", value, sizeof value), static_cast<ssize_t>(note.size()));
            EXPECT_EQ(std::string(value), note);
        }
        if (acls) {
            std::vector<std::uint8_t> value(256);
            const ssize_t n = ::getxattr(target.c_str(), "system.posix_acl_access", value.data(), value.size());
            value.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
            EXPECT_EQ(value, acl.v);
        }
    }
    detail::setUnnamedTemporaryAllowed(true);
    fs::remove_all(dir);
}

// A full disk (here the process's file-size limit) in the PNG and TIFF writers is reported with
// the system's message and the file name, and the old file stays.
TEST(SafeSave, WritersReportTheSystemsMessageWhenTheDiskIsFull)
{
    const std::string dir = test::makeTempDir("safesave-full");
    // 1.8 MB of noise, more than the save's 1 MB buffer: the writers meet the failure.
    TPixelGraphic noise(1000, 600, TPixelFormat::pf24Bit);
    std::uint32_t seed = 7;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 3000; ++x) {
            seed = seed * 1103515245u + 12345u;
            noise.rowData(y)[x] = static_cast<std::uint8_t>(seed >> 24);
        }
    for (const char* ext : {"png", "tif", "bmp"}) {
        const std::string target = dir + "/full." + ext;
        test::writeFile(target, {'o', 'l', 'd'});
        const std::string result = inChild(false, [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            saveImage(noise, target);
            return std::string("saved");
        });
        EXPECT_EQ(result, target + ": " + std::strerror(EFBIG)) << ext;
        EXPECT_EQ(text(target), "old");
        EXPECT_EQ(entries(dir).size(), 1u);
        fs::remove(target);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
