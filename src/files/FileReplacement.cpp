#include "files/FileReplacement.h"

#include "shell/RuntimeError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void failWith(int error) {
    throw RuntimeError(std::strerror(error));
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
    if (!written || std::fflush(file) != 0) {
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
    fs::path target(path);
    if (target.filename().empty())
        failWith(EISDIR);
    fs::path temporary;
    std::FILE *file = createTemporary(target, temporary);
    try {
        writeAll(file, content);
        keepPermissions(target, temporary);
        std::error_code error;
        fs::rename(temporary, target, error);
        if (error)
            throw RuntimeError(error.message());
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}

} // namespace kemvo
