// kemvo-cli's plot=FILE and Export Plot: the plot's picture written as PNG, SVG or PDF without
// a display.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Result {
    std::string out;
    int status;
};

Result runCli(const std::string &arguments) {
    std::string command = std::string(KEMVO_CLI) + " " + arguments + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {"", -1};
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr)
        out += buffer.data();
    int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string contents(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t bigEndian32(const std::string &bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

class PlotFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kemvo-plot-" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    // Fixed limits and the grid: a frame, labels and grid lines without any curve.
    const std::string drawAxes = "Xauto=0 Yauto=0 CheckGrid=1 formOption.OK";
};

TEST_F(PlotFile, PngHasTheSizeOfThePlotAndShowsTheDrawing) {
    fs::path drawn = dir / "axes.png";
    fs::path blank = dir / "blank.png";
    Result result = runCli(drawAxes + " plot=" + drawn.string());
    ASSERT_EQ(result.status, 0) << result.out;
    ASSERT_EQ(runCli("plot=" + blank.string()).status, 0);

    std::string png = contents(drawn);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(bigEndian32(png, 16), 900u);
    EXPECT_EQ(bigEndian32(png, 20), 600u);
    // A picture never drawn is one flat colour and compresses to far less.
    EXPECT_GT(png.size(), 2 * contents(blank).size());
}

TEST_F(PlotFile, SvgCarriesTheTexts) {
    fs::path svg = dir / "axes.svg";
    ASSERT_EQ(runCli(drawAxes + " plot=" + svg.string()).status, 0);
    std::string text = contents(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("E /V"), std::string::npos);
    EXPECT_NE(text.find("I /A"), std::string::npos);
}

// File > Export Plot: the format follows the suffix, a name without one becomes a PNG; the
// PDF is one page of the plot's size, 900 x 600 points.
TEST_F(PlotFile, ExportPlotWritesPngSvgAndPdf) {
    fs::path pdf = dir / "plot.pdf", svg = dir / "plot.svg", bare = dir / "plot";
    Result result = runCli("mnuSimulate mnuExportPlot=" + pdf.string() +
                           " mnuExportPlot=" + svg.string() + " mnuExportPlot=" + bare.string());
    ASSERT_EQ(result.status, 0) << result.out;
    std::string page = contents(pdf);
    EXPECT_EQ(page.substr(0, 5), "%PDF-");
    EXPECT_NE(page.find("/MediaBox [0 0 900"), std::string::npos);
    EXPECT_NE(contents(svg).find("I /A"), std::string::npos);
    EXPECT_EQ(contents(dir / "plot.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST_F(PlotFile, UnwritableFileIsReported) {
    fs::path missing = dir / "no-such-folder" / "plot.png";
    Result result = runCli("plot=" + missing.string());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("message: Plot Error: Cannot write " + missing.string() +
                              ": No such file or directory"),
              std::string::npos)
        << result.out;
}

// A name that is no picture's, or a file that may not be replaced, keeps what it holds.
TEST_F(PlotFile, RefusedNamesKeepTheirFiles) {
    const fs::path notes = dir / "notes.txt";
    const fs::path kept = dir / "kept.png";
    for (const fs::path &file : {notes, kept})
        std::ofstream(file) << "the chemist's notes\n";
    fs::permissions(kept, fs::perms::owner_read);
    for (const auto &[file, reason] :
         {std::pair{notes, "a picture is written only as .png, .svg or .pdf"},
          std::pair{kept, "the file is read-only"}}) {
        Result result = runCli("plot=" + file.string());
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.out.find("Cannot write " + file.string() + ": " + reason),
                  std::string::npos)
            << result.out;
        EXPECT_EQ(contents(file), "the chemist's notes\n");
    }
}

} // namespace
