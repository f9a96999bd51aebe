#pragma once
// kemvo-cli --batch: the same steps run on each of a list of files, each file (or each of its
// cycles) in a workbench of its own, as if the user had imported it and worked the windows;
// one CSV row per file and curve: the file, the curve, the outcome, the least square, the rms
// residual, then every fitted parameter with its standard error and remark. A file that cannot
// be imported or fitted gives its row (file, curve, message) and the rest go on.

#include <iosfwd>
#include <string>
#include <vector>

namespace kemvo {

struct BatchRequest {
    std::string results;            // the CSV file written
    std::vector<std::string> files; // imported as by mnuImport
    std::vector<std::string> steps; // kemvo-cli steps run after each import
    bool cycles = false;            // each cycle of a file on a row of its own; else its "all"
};

// Reads `--batch RESULTS.csv [--curves=cycles|all] FILE... -- STEP...` (args after the program
// name); returns the refusal of a malformed request, empty when it was read.
std::string readBatchRequest(const std::vector<std::string> &args, BatchRequest &request);

// Runs the request and writes its rows; `log` takes each step's output and messages, the
// lines prefixed with the file. Returns 0 when every row was fitted, 1 when a row holds a
// failure, 2 when the results cannot be written.
int runBatch(const BatchRequest &request, std::ostream &log);

// One field of a CSV row, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string &text);

} // namespace kemvo
