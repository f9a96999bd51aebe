#include "files/FileReplacement.h"

#include "shell/RuntimeError.h"

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
std::FILE *createTemporary(const fs::path &target, fs::path &temporary) {
    std::random_device random;
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0;; ++attempt) {
        temporary =
            folder / ("." + target.filename().string() + "." + std::to_string(random()) + ".tmp");
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

void keepPermissions(const fs::path &target, const fs::path &temporary) {
    std::error_code ignored;
    fs::file_status status = fs::status(target, ignored);
    if (fs::is_regular_file(status))
        fs::permissions(temporary, status.permissions(), ignored);
}

} // namespace

void replaceFile(const std::string &path, std::string_view content) {
    if (fs::path(path).filename().empty())
        failWith(EISDIR);
    fs::path target = followLinks(fs::path(path));
    requireReplaceable(target);
    fs::path temporary;
    std::FILE *file = createTemporary(target, temporary);
    try {
        writeAll(file, content);
        keepPermissions(target, temporary);
        std::error_code error;
        fs::rename(temporary, target, error);
        if (error)
            failWith(error.value());
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}

} // namespace kemvo
