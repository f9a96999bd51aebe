// Export, Save and the picture writer replace only a regular file the user may write: what
// else a name can stand for is refused and stays as it was, and a link is written through.

#include "files/FileReplacement.h"

#include "app/Workbench.h"
#include "shell/HeadlessPlatform.h"
#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileSafety : public testing::Test {
protected:
    FileSafety() { fs::create_directories(folder); }
    ~FileSafety() override { fs::remove_all(folder); }
    fs::path withText(const std::string &name, const std::string &text) {
        std::ofstream(folder / name, std::ios::binary) << text;
        return folder / name;
    }
    std::string refusalOf(const fs::path &file) {
        try {
            replaceFile(file.string(), "new\n");
        } catch (const RuntimeError &error) {
            return error.what();
        }
        return "";
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }
    fs::path folder = fs::temp_directory_path() / ("kemvo-safety-" + std::to_string(::getpid()));
};

TEST_F(FileSafety, OnlyARegularWritableFileIsReplaced) {
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_directory(folder / "folder.csv");
    fs::path readOnly = withText("kept.par", "old\n");
    fs::permissions(readOnly, fs::perms::owner_read);
    const std::size_t before = entries();

    EXPECT_EQ(refusalOf(folder / "pipe"),
              "it is not a regular file (a device, a FIFO or a socket)");
    EXPECT_EQ(refusalOf(folder / "folder.csv"), "it is a folder");
    // Refused also for a user whom the system would let write (root): the owner said read-only.
    EXPECT_EQ(refusalOf(readOnly), "the file is read-only");

    EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
    EXPECT_TRUE(fs::is_directory(folder / "folder.csv"));
    EXPECT_EQ(contentOf(readOnly), "old\n");
    EXPECT_EQ(entries(), before); // no temporary file left behind
}

TEST_F(FileSafety, ALinkIsWrittenThroughAndStays) {
    fs::path target = withText("data.csv", "old\n");
    fs::create_symlink("data.csv", folder / "link.csv");
    replaceFile((folder / "link.csv").string(), "new\n");
    EXPECT_TRUE(fs::is_symlink(folder / "link.csv"));
    EXPECT_EQ(contentOf(target), "new\n");
}

TEST(ExportWithoutCurve, IsRefusedBeforeTheDialog) {
    HeadlessPlatform headless;
    Workbench app{headless.platform()};
    headless.files.answers.push_back("never-written.csv");
    app.mainWindow().menu("mnuExport").click();
    EXPECT_EQ(headless.messages.shown,
              std::vector<std::string>{
                  "Export Data Error: there is no curve to export; simulate or import one first"});
    EXPECT_EQ(headless.files.answers.size(), 1u); // the dialog never opened
    EXPECT_FALSE(fs::exists("never-written.csv"));
}

} // namespace
} // namespace kemvo
