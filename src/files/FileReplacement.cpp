#include "files/FileReplacement.h"

#include "shell/RuntimeError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

// The reasons a user can meet, in plain words; any other reason keeps the system's text.
std::string reasonOf(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EROFS:
        return "the disk is read-only";
    case ENOTDIR:
        return "a part of the path is not a folder";
    case EISDIR:
        return "it is a folder";
    case ENAMETOOLONG:
        return "the name is too long";
    default:
        return std::strerror(error);
    }
}

[[noreturn]] void failWith(int error) {
    throw RuntimeError(reasonOf(error));
}

// The file a name stands for: a symbolic link is followed (also through a chain of links),
// so that writing replaces the file it points to and keeps the link.
fs::path followLinks(fs::path path) {
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path;
        fs::path target = fs::read_symlink(path, error);
        if (error)
            throw RuntimeError(error.message());
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throw RuntimeError("too many symbolic links");
}

// Refuses every existing target that is not a regular file the user may write.
void requireReplaceable(const fs::path &target) {
    std::error_code error;
    fs::file_status status = fs::status(target, error);
    if (status.type() == fs::file_type::not_found)
        return;
    if (error)
        throw RuntimeError(reasonOf(error.value()));
    if (fs::is_directory(status))
        throw RuntimeError("it is a folder");
    if (!fs::is_regular_file(status))
        throw RuntimeError("it is not a regular file (a device, a FIFO or a socket)");
    // The owner's write permission counts even for a user whom the system lets write anyway.
    bool ownerMayWrite = (status.permissions() & fs::perms::owner_write) != fs::perms::none;
    if (!ownerMayWrite || ::access(target.c_str(), W_OK) != 0)
        throw RuntimeError("the file is read-only");
}

// Creates a file of a fresh name beside the target; "x" refuses a name that exists already.
// The name is short whatever the target's, so that a target of the longest legal name can be
// written.
std::FILE *createTemporary(const fs::path &target, fs::path &temporary) {
    std::random_device random;
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0;; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".kemvo-%08x.tmp", static_cast<unsigned>(random()));
        temporary = folder / name;
        if (std::FILE *file = std::fopen(temporary.c_str(), "wbx"))
            return file;
        if (errno != EEXIST || attempt == 9)
            failWith(errno);
    }
}

void writeAll(std::FILE *file, std::string_view content) {
    errno = 0;
    bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (!written || std::fflush(file) != 0 || ::fsync(fileno(file)) != 0) {
        int error = errno != 0 ? errno : EIO;
        std::fclose(file);
        failWith(error);
    }
    if (std::fclose(file) != 0)
        failWith(errno);
}

// Gives the temporary file the target's mode and owner; false when the owner cannot be kept
// (a user who may write another user's file cannot give a file away).
bool keepModeAndOwner(const struct stat &target, const fs::path &temporary) {
    if (::chmod(temporary.c_str(), target.st_mode & 07777) != 0)
        return false;
    struct stat made {};
    if (::stat(temporary.c_str(), &made) != 0)
        return false;
    if (made.st_uid == target.st_uid && made.st_gid == target.st_gid)
        return true;
    return ::chown(temporary.c_str(), target.st_uid, target.st_gid) == 0 &&
           ::chmod(temporary.c_str(), target.st_mode & 07777) == 0;
}

void writeAllAt(int fd, std::string_view content) {
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n =
            ::pwrite(fd, content.data() + done, content.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failWith(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0 || ::fsync(fd) != 0)
        failWith(errno);
}

// Writes the content into the target itself, which keeps its hard links, owner and mode. The
// complete temporary copy exists already: the disk had room for it, the target's own room is
// reserved before its old content is touched, and should the writing still fail, the message
// names the copy that holds the new content.
void writeInPlace(const fs::path &target, const struct stat &status, std::string_view content,
                  const fs::path &temporary) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        failWith(errno);
    if (static_cast<std::uintmax_t>(status.st_size) < content.size()) {
        int error = ::posix_fallocate(fd, 0, static_cast<off_t>(content.size()));
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
            ::close(fd);
            failWith(error);
        }
    }
    try {
        writeAllAt(fd, content);
    } catch (const RuntimeError &error) {
        ::close(fd);
        throw RuntimeError(std::string(error.what()) + "; the file has " +
                           std::to_string(status.st_nlink) +
                           " names (hard links) and was written in place, so it is incomplete; "
                           "the whole new content is in " +
                           temporary.string());
    }
    if (::close(fd) != 0)
        failWith(errno);
}

} // namespace

void replaceFile(const std::string &path, std::string_view content) {
    const std::string leaf = fs::path(path).filename().string();
    if (leaf.empty() || leaf == "." || leaf == "..")
        failWith(EISDIR);
    fs::path target = followLinks(fs::path(path));
    requireReplaceable(target);
    struct stat status {};
    const bool exists = ::stat(target.c_str(), &status) == 0;
    fs::path temporary;
    std::FILE *file = createTemporary(target, temporary);
    try {
        writeAll(file, content);
        // A file of several names is written in place, so that every name sees the new
        // content; so is a file whose owner a rename would change.
        if (exists && (status.st_nlink > 1 || !keepModeAndOwner(status, temporary))) {
            writeInPlace(target, status, content, temporary);
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return;
        }
        std::error_code error;
        fs::rename(temporary, target, error);
        if (error)
            failWith(error.value());
    } catch (const RuntimeError &error) {
        if (std::string_view(error.what()).find(temporary.string()) == std::string_view::npos) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
        }
        throw;
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}

} // namespace kemvo
