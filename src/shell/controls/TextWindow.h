#pragma once
// A window that collects printed lines in a fixed-width font: the result window and the
// about window.

#include "shell/ReportLine.h"
#include "shell/controls/Form.h"

#include <string>
#include <vector>

namespace kemvo {

class TextWindow : public Form {
public:
    using Form::Form;
    void print(const std::string &line);
    void print(const ReportLine &line) { print(line.str()); }
    // Clears the window (the fit reports start on an empty window).
    void cls();
    const std::vector<std::string> &lines() const { return lines_; }

    Signal<const std::string &> printed;
    Signal<> cleared;

private:
    std::vector<std::string> lines_;
};

} // namespace kemvo
