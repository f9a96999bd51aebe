// Export Data and Save through their dialogs, and the one way every writer replaces a file:
// what reaches the disk, what is refused and stays as it was, and what is said when it fails.

#include "files/FileReplacement.h"
#include "files/FilesCommands.h"
#include "files/FilesFixture.h"
#include "shell/RuntimeError.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kemvo {
namespace {

std::string refusalOf(const std::string &file, const std::string &content = "new\n") {
    try {
        replaceFile(file, content);
    } catch (const RuntimeError &error) {
        return error.what();
    }
    return "";
}

// Without a curve Export is refused before its dialog opens.
TEST_F(FileCommands, ExportAndSaveWriteThroughTheirDialogsAddingTheirExtension) {
    click("mnuExport", folder.file("never.csv"));
    EXPECT_EQ(messages(),
              std::vector<std::string>{
                  "Export Data Error: there is no curve to export; simulate or import one first"});
    EXPECT_EQ(headless.files.answers.size(), 1u);
    headless.files.answers.clear();
    holdThreePoints();
    click("mnuExport", folder.file("curve"));
    click("mnuSave", folder.file("run"));
    click("mnuExport", folder.file("kept.dat"));
    for (const char *menu : {"mnuExport", "mnuSave"})
        click(menu, ""); // a cancelled dialog ends silently
    EXPECT_EQ(folder.contentOf("curve.csv"),
              "-0.1 , 1E-06 \n-0.2 , 2E-06 \n-0.30000000000000004 , 3E-06 \n");
    // The report's layout is checked whole in FileWritersTest.
    EXPECT_TRUE(folder.contentOf("run.par").starts_with("Technique :\n 0\n"));
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"curve.csv", "kept.dat", "run.par"}));
}

// A failed write names the file and the reason and leaves what was there as it was.
TEST_F(FileCommands, FailedWriteNamesTheFileAndKeepsWhatWasThere) {
    holdThreePoints();
    fs::create_directory(folder.file("folder.csv"));
    folder.withText("curve.csv", "earlier data\n");
    click("mnuExport", folder.file("no such folder/curve.csv"));
    click("mnuSave", folder.file("no such folder/run.par"));
    click("mnuExport", folder.file("folder.csv"));
    app.state().lastPoint = kMaxPoints + 1; // past the arrays' end
    click("mnuExport", folder.file("curve.csv"));
    EXPECT_EQ(
        messages(),
        (std::vector<std::string>{
            "Export Data Error: " + folder.file("no such folder/curve.csv") +
                ": No such file or directory",
            "Save Error: " + folder.file("no such folder/run.par") + ": No such file or directory",
            "Export Data Error: " + folder.file("folder.csv") + ": it is a folder",
            "Export Data Error: " + folder.file("curve.csv") + ": Subscript out of range"}));
    EXPECT_TRUE(fs::is_directory(folder.file("folder.csv")));
    EXPECT_EQ(folder.contentOf("curve.csv"), "earlier data\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"curve.csv", "folder.csv"}));
}

// ".csv" goes only onto a plain new name: "." and ".." are folders (once "...csv" was written
// and reported as saved), and a name that exists, a FIFO standing in for a device, is meant as
// typed and refused (once root's Export to /dev/null created /dev/null.csv).
TEST_F(FileCommands, TheExtensionIsAddedOnlyToAPlainNewName) {
    holdThreePoints();
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
    for (const char *name : {".", ".."})
        click("mnuExport", folder.file(name));
    click("mnuExport", folder.file("pipe"));
    click("mnuExport", folder.file("plain"));
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "Export Data Error: " + folder.file(".") + ": it is a folder",
                              "Export Data Error: " + folder.file("..") + ": it is a folder",
                              "Export Data Error: " + folder.file("pipe") +
                                  ": it is not a regular file (a device, a FIFO or a socket)"}));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"pipe", "plain.csv"}));
    EXPECT_EQ(withExtension(folder.file("no such folder/run"), ".par"),
              folder.file("no such folder/run"));
}

// The temporary file's name is short whatever the target's (a name of 240 bytes or more once
// failed, at random, past the 255-byte limit); a file of several hard links is written in place
// so that every name sees the new content; the mode stays, and so does the owner when root
// saves another user's file.
TEST(ReplaceFile, LongNamesHardLinksModeAndOwnerAreKept) {
    TemporaryFolder folder;
    const std::string longest = folder.file(std::string(251, 'n') + ".csv"); // 255 bytes
    EXPECT_EQ(refusalOf(longest), "");
    EXPECT_EQ(folder.contentOf(std::string(251, 'n') + ".csv"), "new\n");

    const std::string data = folder.withText("data.csv", "old content\n");
    fs::create_hard_link(data, folder.file("other name.csv"));
    ASSERT_EQ(::chmod(data.c_str(), 0640), 0);
    const bool root = ::getuid() == 0; // only root can give a file to another user
    if (root) {
        ASSERT_EQ(::chown(data.c_str(), 12345, 23456), 0);
    }
    EXPECT_EQ(refusalOf(data), "");
    EXPECT_EQ(folder.contentOf("other name.csv"), "new\n");
    EXPECT_EQ(fs::hard_link_count(data), 2u);

    const std::string owned = folder.withText("owned.par", "old\n");
    ASSERT_EQ(::chmod(owned.c_str(), 0604), 0);
    if (root) {
        ASSERT_EQ(::chown(owned.c_str(), 12345, 23456), 0);
    }
    EXPECT_EQ(refusalOf(owned, "replaced\n"), "");
    for (const std::string &file : {data, owned}) {
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, file == data ? 0640u : 0604u) << file;
        if (root) {
            EXPECT_EQ(status.st_uid, 12345u) << file;
            EXPECT_EQ(status.st_gid, 23456u) << file;
        }
    }
    EXPECT_EQ(folder.contentOf("owned.par"), "replaced\n");
    EXPECT_EQ(folder.names().size(), 4u); // no temporary file is left
}

// Only a regular file the user may write is replaced, keeping its permissions; a link is
// written through and stays a link; no temporary file is left behind.
TEST(ReplaceFile, ReplacesOnlyARegularWritableFileAndWritesThroughALink) {
    TemporaryFolder folder;
    const auto readWrite = fs::perms::owner_read | fs::perms::owner_write;
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
    const std::string readOnly = folder.withText("kept.par", "old\n");
    fs::permissions(readOnly, fs::perms::owner_read);
    const std::string data = folder.withText("data.csv", "old\n");
    fs::permissions(data, readWrite);
    fs::create_symlink("data.csv", folder.file("link.csv"));

    EXPECT_EQ(refusalOf(folder.file("pipe")),
              "it is not a regular file (a device, a FIFO or a socket)");
    // Refused also for a user whom the system would let write (root): the owner said read-only.
    EXPECT_EQ(refusalOf(readOnly), "the file is read-only");
    EXPECT_EQ(refusalOf(folder.file("link.csv")), "");

    EXPECT_TRUE(fs::is_fifo(folder.file("pipe")));
    EXPECT_EQ(folder.contentOf("kept.par"), "old\n");
    EXPECT_TRUE(fs::is_symlink(folder.file("link.csv")));
    EXPECT_EQ(folder.contentOf("data.csv"), "new\n");
    EXPECT_EQ(fs::status(data).permissions(), readWrite);
    EXPECT_EQ(folder.names(),
              (std::vector<std::string>{"data.csv", "kept.par", "link.csv", "pipe"}));
}

// A write that the system refuses half-way (the file size limit stands in for a full disk)
// keeps the file as it was and leaves no temporary file.
TEST(ReplaceFile, AWriteErrorKeepsTheExistingFile) {
    TemporaryFolder folder;
    const std::string file = folder.withText("run.par", "earlier\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string failure = refusalOf(file, std::string(1 << 20, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(failure, "File too large");
    EXPECT_EQ(folder.contentOf("run.par"), "earlier\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"run.par"});
}

} // namespace
} // namespace kemvo
