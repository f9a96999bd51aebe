#include "app/BatchFit.h"

#include "app/Workbench.h"
#include "files/FileReplacement.h"
#include "files/FormImport.h"
#include "shell/CommandGuard.h"
#include "shell/HeadlessPlatform.h"
#include "shell/RuntimeError.h"
#include "shell/ScriptRunner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>

namespace kemvo {
namespace {

struct Row {
    std::string file;
    std::string curve;
    std::optional<FitRecord> fit;
    std::string status; // the outcome, or the message that ended the file
};

std::string number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// One workbench for one file: the import answered with the file, then, when the import window
// lists several curves, the entry chosen.
class FileRun {
public:
    FileRun() : runner_(app_, platform_, stepOutput_, stepOutput_) {}

    // Imports the file; returns the entries of the import window's list (empty when the file
    // held one curve and was taken at once).
    std::vector<std::string> import(const std::string &file) {
        platform_.files.answers.push_back(file);
        runUserAction(app_, [&] { app_.mainWindow().menu("mnuImport").click(); });
        platform_.files.answers.clear();
        FormImport &window = app_.form<FormImport>();
        return window.visible() ? window.ListCurve.items() : std::vector<std::string>{};
    }
    void choose(int entry) {
        FormImport &window = app_.form<FormImport>();
        window.ListCurve.setListIndex(entry);
        runUserAction(app_, [&] { window.OK.click(); });
    }
    void cancelImport() {
        FormImport &window = app_.form<FormImport>();
        if (window.visible())
            runUserAction(app_, [&] { window.hide(); });
    }
    std::string firstMessage() const {
        return platform_.messages.shown.empty() ? "" : platform_.messages.shown.front();
    }
    int runSteps(const std::vector<std::string> &steps) { return runner_.run(steps); }
    std::string curveLabel() {
        const ExperimentState &state = app_.state();
        if (state.currentCurve < 1)
            return "";
        return state.curveLabel[static_cast<std::size_t>(state.currentCurve)];
    }
    const std::optional<FitRecord> &fit() const { return app_.lastFit; }
    std::string output() const { return stepOutput_.str(); }

private:
    HeadlessPlatform platform_;
    Workbench app_{platform_.platform()};
    std::ostringstream stepOutput_;
    ScriptRunner runner_;
};

void logOutput(std::ostream &log, const std::string &file, const std::string &text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        log << file << ": " << line << '\n';
}

// Imports the file and takes the entry (-1: the file's one curve, or its "all" entry), runs the
// steps and returns the row.
Row fitOne(const BatchRequest &request, const std::string &file, int entry, std::ostream &log) {
    Row row{std::filesystem::path(file).filename().string(), "", std::nullopt, ""};
    FileRun run;
    std::vector<std::string> entries = run.import(file);
    if (!entries.empty())
        run.choose(entry >= 0 ? entry : static_cast<int>(entries.size()) - 1);
    row.curve = run.curveLabel();
    std::string message = run.firstMessage();
    if (message.empty() && row.curve.empty())
        message = "ReadData Error: no curve was imported";
    if (message.empty()) {
        const int status = run.runSteps(request.steps);
        message = run.firstMessage();
        if (status == ScriptRunner::kRefused && message.empty())
            message = "a step was refused";
    }
    logOutput(log, row.file, run.output());
    row.fit = run.fit();
    if (!message.empty() || !row.fit) {
        row.status = message.empty() ? "no fit: the steps ran no Auto Fit" : message;
        row.fit.reset();
    } else {
        row.status = row.fit->outcome;
    }
    return row;
}

// The cycles the import window lists for the file ("cycle k"), by entry; none when it lists no
// cycle.
std::vector<int> cycleEntries(const std::string &file) {
    FileRun probe;
    std::vector<std::string> entries = probe.import(file);
    probe.cancelImport();
    std::vector<int> cycles;
    for (std::size_t e = 0; e < entries.size(); ++e)
        if (entries[e].find("  cycle ") != std::string::npos)
            cycles.push_back(static_cast<int>(e));
    return cycles;
}

std::string table(const std::vector<Row> &rows) {
    std::vector<std::string> names;
    for (const Row &row : rows)
        if (row.fit)
            for (const FittedParameter &p : row.fit->parameters)
                if (std::find(names.begin(), names.end(), p.name) == names.end())
                    names.push_back(p.name);
    // The outcome comes before the parameters, so that a failed file's short row lines up
    // with the header of any run of the same steps.
    std::ostringstream out;
    out << "file,curve,status,least square,rms residual (A)";
    for (const std::string &name : names)
        out << ',' << csvField(name) << ',' << csvField(name + " std. error") << ','
            << csvField(name + " flag");
    out << '\n';
    for (const Row &row : rows) {
        out << csvField(row.file) << ',' << csvField(row.curve) << ',' << csvField(row.status);
        if (!row.fit) {
            out << '\n';
            continue;
        }
        out << ',' << number(row.fit->leastSquare) << ',' << number(row.fit->rmsResidual);
        for (const std::string &name : names) {
            const FittedParameter *found = nullptr;
            for (const FittedParameter &p : row.fit->parameters)
                if (p.name == name)
                    found = &p;
            if (found == nullptr) {
                out << ",,,";
                continue;
            }
            out << ',' << number(found->value) << ','
                << (found->standardError ? number(*found->standardError) : "") << ','
                << csvField(found->remark);
        }
        out << '\n';
    }
    return out.str();
}

} // namespace

std::string csvField(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

std::string readBatchRequest(const std::vector<std::string> &args, BatchRequest &request) {
    std::size_t i = 0;
    if (i >= args.size() || args[i] != "--batch")
        return "the first argument must be --batch";
    if (++i >= args.size() || args[i] == "--")
        return "--batch needs the results file: --batch RESULTS.csv FILE... -- STEP...";
    request.results = args[i++];
    for (; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] == "--curves=cycles")
            request.cycles = true;
        else if (args[i] == "--curves=all")
            request.cycles = false;
        else if (args[i].rfind("--", 0) == 0)
            return "unknown option " + args[i] + " (--curves=cycles or --curves=all)";
        else
            request.files.push_back(args[i]);
    }
    if (request.files.empty())
        return "--batch needs at least one file before --";
    if (i >= args.size())
        return "--batch needs -- and the steps after the files";
    request.steps.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    if (request.steps.empty())
        return "--batch needs steps after --";
    return "";
}

int runBatch(const BatchRequest &request, std::ostream &log) {
    std::vector<Row> rows;
    for (const std::string &file : request.files) {
        std::vector<int> entries{-1};
        if (request.cycles) {
            std::vector<int> cycles = cycleEntries(file);
            if (!cycles.empty())
                entries = cycles;
        }
        for (int entry : entries)
            rows.push_back(fitOne(request, file, entry, log));
    }
    try {
        replaceFile(request.results, table(rows));
    } catch (const RuntimeError &error) {
        log << "batch: " << request.results << ": " << error.what() << '\n';
        return 2;
    }
    for (const Row &row : rows)
        if (!row.fit)
            return 1;
    return 0;
}

} // namespace kemvo
