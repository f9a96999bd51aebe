// Random and hostile use of the whole workbench through kemvo-cli's steps, with fixed seeds:
// every text box gets huge, tiny, zero, negative, non-numeric and Unicode texts, every command
// runs in random order. After every step nothing non-finite may be held, printed or written,
// and a Simulate that says nothing has drawn a whole curve.

#include "app/Workbench.h"
#include "shell/HeadlessPlatform.h"
#include "shell/ScriptRunner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

namespace kemvo {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kHostileTexts = {
    // ordinary numbers, which let runs succeed
    "0", "-0", "1", "-1", "0.5", "2", "1e-5", "1e-3", "0.3", "-0.3", "1000",
    // the extremes of a double and beyond
    "1e308", "-1e308", "1e-308", "4.9e-324", "1e999", "-1e999",
    // texts that are no numbers
    "abc", "", " ", "0,1", "1,5e-3", "\u22120.3", "\u2212", "NaN", "inf", "-inf", "0x10", "1e",
    "--1",
    // bytes that are no UTF-8, an Arabic-Indic digit, a unit, more digits than a double holds
    "\xff\xfe", "\xd9\xa3", "1e-5 V", "12345678901234567890",
    // more ordinary values
    "3.1e-5", "0.05", "10", "100"};

std::string contentOf(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A word "nan" or "inf" outside the quotes of a typed text (which the messages repeat).
bool holdsNonFinite(std::string text) {
    bool quoted = false;
    for (char &c : text) {
        quoted ^= c == '"';
        c = quoted || c == '"' ? ' ' : c;
    }
    return std::regex_search(text, std::regex("\\b(nan|inf|infinity)\\b", std::regex::icase));
}

class Robustness : public testing::TestWithParam<unsigned> {
protected:
    Robustness() { fs::create_directories(folder_); }
    ~Robustness() override { fs::remove_all(folder_); }
    std::string file(const std::string &name) const { return (folder_ / name).string(); }

    template <typename T> const T &pick(const std::vector<T> &from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random_)];
    }

    // One step as kemvo-cli would take it: a typed text, a click, a file command. Broken and
    // foreign files are the import fuzzers' and the ReplaceFile tests'; here Import reads back what
    // Export wrote, whatever state the walk left.
    std::string randomStep() {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random_);
        if (kind <= 2)
            return pick(textBoxes_) + "=" + pick(kHostileTexts);
        if (kind == 3) // the boxes back to their initial texts, so that runs succeed too
            return "restore";
        if (kind <= 5)
            return pick(clicks_);
        if (kind == 6)
            return "mnuSimulate";
        if (kind == 7)
            return "mnuExport=" + file("out.csv");
        if (kind == 8)
            return "mnuSave=" + file("run.par");
        return "mnuImport=" + file("out.csv");
    }

    // Every text box and click of every window; Exit would end the walk, and the file
    // commands are stepped with their file names.
    void collectControls(Application &app) {
        const std::set<std::string> fileSteps{"mnuExit", "mnuSave", "mnuImport", "mnuExport"};
        for (Form *form : app.forms())
            for (Control *control : form->controls()) {
                const std::string name = form->name() + "." + control->qualifiedName();
                if (control->kind() == ControlKind::TextBox) {
                    textBoxes_.push_back(name);
                    initialTexts_.emplace_back(name, static_cast<TextBox *>(control)->text());
                } else if (control->kind() == ControlKind::OptionButton ||
                           control->kind() == ControlKind::CheckBox ||
                           control->kind() == ControlKind::Button)
                    clicks_.push_back(name);
                else if (control->kind() == ControlKind::Menu &&
                         !fileSteps.contains(control->name()))
                    clicks_.push_back(control->name());
            }
    }

    void expectAllFinite(Application &app, const std::string &step) {
        const ExperimentState &s = app.state();
        const CurveStore &store = app.store();
        ASSERT_TRUE(std::isfinite(s.yMax) && std::isfinite(s.yMin)) << step;
        const int last = std::min<int>(s.lastPoint, kMaxPoints);
        for (int i = std::max(1, s.firstPoint); i <= last; ++i) {
            ASSERT_TRUE(std::isfinite(store.potential(i))) << step << " point " << i;
            for (int k = 1; k <= std::min<int>(s.curveCount, 5); ++k)
                ASSERT_TRUE(std::isfinite(store.curves(i, k))) << step << " curve " << k;
        }
    }

    fs::path folder_ = fs::temp_directory_path() / ("kemvo-robust-" + std::to_string(::getpid()));
    std::mt19937 random_{GetParam()};
    std::vector<std::string> textBoxes_, clicks_;
    std::vector<std::pair<std::string, std::string>> initialTexts_;
};

TEST_P(Robustness, HostileStepsLoseNothingAndPaintNothingNonFinite) {
    HeadlessPlatform headless;
    Workbench app(headless.platform());
    std::ostringstream out, err;
    ScriptRunner runner(app, headless, out, err);
    collectControls(app);

    int drawnRuns = 0, refusedRuns = 0; // the walk must reach both
    // Under the sanitizers every simulation runs several times slower: a shorter walk, and a
    // command stopped sooner, keep the same mix of steps within a test run's time.
#ifdef KEMVO_SANITIZED
    constexpr int kSteps = 250;
    constexpr int kPollsPerStep = 1000;
#else
    constexpr int kSteps = 1000;
    constexpr int kPollsPerStep = 4000;
#endif
    for (int n = 0; n < kSteps; ++n) {
        const std::string step = randomStep();
        std::vector<std::string> steps{step};
        if (step == "restore") {
            steps.clear();
            for (const auto &[box, text] : initialTexts_)
                steps.push_back(box + "=" + text);
        }
        const std::size_t messagesBefore = headless.messages.shown.size();
        // A user stops a command that runs too long: a fit of several starts over
        // two-dimensional disc runs takes minutes. Stopping after a budget of progress polls
        // (one a point of a simulation) keeps every step within seconds and walks the stopped
        // paths too.
        headless.progress.stopAtPoll = headless.progress.polls + kPollsPerStep;
        for (const std::string &one : steps)
            runner.run({one});
        expectAllFinite(app, step);
        if (HasFatalFailure())
            return;
        const bool quiet = headless.messages.shown.size() == messagesBefore;
        if (step == "mnuSimulate")
            ++(quiet ? drawnRuns : refusedRuns);
        // A Simulate that said nothing has drawn a whole new curve (E start = E end gives a
        // programme of one point).
        if (step == "mnuSimulate" && quiet) {
            ASSERT_TRUE(app.state().lastPoint == app.state().pointCount &&
                        app.state().pointCount >= 1 && app.state().pointCount <= kMaxPoints)
                << "silent Simulate after " << n << " steps";
        }
        if (headless.quitRequested)
            break;
    }
    EXPECT_GT(drawnRuns, 0);
    EXPECT_GT(refusedRuns, 0);
    EXPECT_FALSE(holdsNonFinite(out.str()));
    for (const std::string &message : headless.messages.shown)
        EXPECT_FALSE(holdsNonFinite(message)) << message;
    EXPECT_FALSE(holdsNonFinite(contentOf(file("out.csv"))));
    EXPECT_FALSE(holdsNonFinite(contentOf(file("run.par"))));
}

INSTANTIATE_TEST_SUITE_P(Seeds, Robustness, testing::Values(1u, 2u, 3u, 4u));

} // namespace
} // namespace kemvo
