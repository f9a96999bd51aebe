#include "files/DataFileReader.h"
#include "files/FileReplacement.h"
#include "files/FilesCommands.h"

#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/RuntimeError.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
public:
    TemporaryFolder() {
        path_ = fs::temp_directory_path() /
                ("kemvo-files-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::create_directories(path_);
    }
    ~TemporaryFolder() { fs::remove_all(path_); }
    std::string file(const std::string &name) const { return (path_ / name).string(); }
    // Every file in the folder, to see that no temporary file is left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto &entry : fs::directory_iterator(path_))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

std::string contentOf(const std::string &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const std::string &file, const std::string &text) {
    std::ofstream(file, std::ios::binary) << text;
}

class FileCommands : public testing::Test {
protected:
    void click(const std::string &menu, const std::string &answer) {
        headless.files.answers.push_back(answer);
        app.mainWindow().menu(menu).click();
    }
    // Three points of curve 2 after an import or a simulation.
    void holdThreePoints() {
        ExperimentState &state = app.state();
        state.firstPoint = 1;
        state.lastPoint = 3;
        state.currentCurve = 2;
        for (int i = 1; i <= 3; ++i) {
            app.store().potential(i) = -0.1 * i;
            app.store().curves(i, 2) = 1e-6 * i;
        }
    }

    HeadlessPlatform headless;
    Application app{headless.platform()};
    TemporaryFolder folder;
};

TEST_F(FileCommands, ExportWritesTheCurrentCurveThroughTheCsvDialog) {
    holdThreePoints();
    click("mnuExport", folder.file("curve.csv"));
    EXPECT_EQ(headless.files.lastFilter, "csv|*.csv|all|*.*");
    EXPECT_EQ(contentOf(folder.file("curve.csv")),
              "-0.1 , 1E-06 \n-0.2 , 2E-06 \n-0.30000000000000004 , 3E-06 \n");
    EXPECT_TRUE(headless.messages.shown.empty());
    EXPECT_EQ(folder.names(), std::vector<std::string>{"curve.csv"});
}

TEST_F(FileCommands, SaveWritesTheReportThroughTheParameterDialog) {
    app.state().eStart = -0.2;
    click("mnuSave", folder.file("run.par"));
    EXPECT_EQ(headless.files.lastFilter, "parameter (*.par)|*.par|all|*.*");
    std::string report = contentOf(folder.file("run.par"));
    const std::string start = "Technique :\n 0\nMechisim :\n 0\nElectorde\n 1\nE start :\n-0.2\n";
    EXPECT_EQ(report.substr(0, start.size()), start);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 26);
}

TEST_F(FileCommands, CancelledDialogsEndSilently) {
    for (const char *menu : {"mnuExport", "mnuSave"}) {
        app.mainWindow().menu(menu).click();
        click(menu, "");
    }
    EXPECT_TRUE(headless.messages.shown.empty());
    EXPECT_TRUE(folder.names().empty());
}

TEST_F(FileCommands, FileThatCannotBeCreatedIsNamedWithTheReason) {
    std::string file = folder.file("no such folder/curve.csv");
    click("mnuExport", file);
    click("mnuSave", folder.file("no such folder/run.par"));
    ASSERT_EQ(headless.messages.shown.size(), 2u);
    EXPECT_EQ(headless.messages.shown[0],
              "Export Data Error: " + file + ": No such file or directory");
    EXPECT_EQ(headless.messages.shown[1], "Save Error: " + folder.file("no such folder/run.par") +
                                              ": No such file or directory");
}

TEST_F(FileCommands, FailedExportLeavesTheExistingFileAsItWas) {
    writeText(folder.file("curve.csv"), "earlier data\n");
    holdThreePoints();
    app.state().lastPoint = kMaxPoints + 1; // past the arrays' end
    click("mnuExport", folder.file("curve.csv"));
    ASSERT_EQ(headless.messages.shown.size(), 1u);
    EXPECT_EQ(headless.messages.shown[0],
              "Export Data Error: " + folder.file("curve.csv") + ": Subscript out of range");
    EXPECT_EQ(contentOf(folder.file("curve.csv")), "earlier data\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"curve.csv"});
}

TEST_F(FileCommands, TargetThatIsAFolderIsReportedAndKept) {
    fs::create_directory(folder.file("data.csv"));
    click("mnuExport", folder.file("data.csv"));
    ASSERT_EQ(headless.messages.shown.size(), 1u);
    EXPECT_EQ(headless.messages.shown[0],
              "Export Data Error: " + folder.file("data.csv") + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(folder.file("data.csv")));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"data.csv"});
}

std::string openingFailure(const std::string &file) {
    CurveStore store;
    try {
        readDataFile(file, store.potential, store.curves, 1);
    } catch (const RuntimeError &error) {
        return error.what();
    }
    return "(opened)";
}

TEST(ReadDataFile, NamesAFileThatCannotBeOpenedWithTheReason) {
    TemporaryFolder folder;
    EXPECT_EQ(openingFailure(folder.file("absent.csv")),
              "cannot open " + folder.file("absent.csv") + ": No such file or directory");
    fs::create_directory(folder.file("folder.csv"));
    EXPECT_EQ(openingFailure(folder.file("folder.csv")),
              "cannot open " + folder.file("folder.csv") + ": Is a directory");
}

TEST(ReadDataFile, ReadsAFileWrittenElsewhere) {
    TemporaryFolder folder;
    writeText(folder.file("measured.csv"), "\xEF\xBB\xBF"
                                           "0.5,1e-6\r\n0.49,2e-6");
    CurveStore store;
    EXPECT_EQ(readDataFile(folder.file("measured.csv"), store.potential, store.curves, 4), 2);
    EXPECT_EQ(store.potential(2), 0.49);
    EXPECT_EQ(store.curves(2, 4), 2e-6);
}

// A write that the system refuses half-way: the file size limit stands in for a full disk.
TEST(ReplaceFile, WriteErrorKeepsTheExistingFileAndRemovesTheTemporaryOne) {
    TemporaryFolder folder;
    writeText(folder.file("big.csv"), "earlier data\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string failure;
    try {
        replaceFile(folder.file("big.csv"), std::string(1 << 20, 'x'));
    } catch (const RuntimeError &error) {
        failure = error.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(failure, "File too large");
    EXPECT_EQ(contentOf(folder.file("big.csv")), "earlier data\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"big.csv"});
}

TEST(ReplaceFile, ReplacesTheContentAndKeepsThePermissions) {
    TemporaryFolder folder;
    std::string file = folder.file("run.par");
    writeText(file, "a longer earlier content\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    replaceFile(file, "new\n");
    EXPECT_EQ(contentOf(file), "new\n");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"run.par"});
}

} // namespace
} // namespace kemvo
