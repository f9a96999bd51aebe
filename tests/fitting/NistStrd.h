#pragma once
// The nonlinear regression problems of the NIST Statistical Reference Datasets: the file's
// starting points, certified values, certified standard deviations and data, and the model
// each file states.

#include "fitting/Marquardt.h"
#include "shell/RuntimeError.h"

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace kemvo::nist {

struct Problem {
    std::string name;
    std::vector<double> start1, start2, certified, certifiedSd;
    double certifiedRss = 0;
    std::vector<double> x, y;
};

// Read from ../shared/reference/nist-strd/ relative to the project root (tests/data/../..).
inline Problem load(const std::string &name) {
    std::ifstream file(std::string(KEMVO_TEST_DATA) + "/../../../shared/reference/nist-strd/" +
                       name + ".dat");
    if (!file)
        throw std::runtime_error("cannot read " + name);
    Problem p;
    p.name = name;
    static const std::regex parameter(R"(^\s*b\d+\s*=\s*(\S+)\s+(\S+)\s+(\S+)\s+(\S+)\s*$)");
    static const std::regex rss(R"(^Residual Sum of Squares:\s+(\S+))");
    std::string line;
    bool inData = false;
    while (std::getline(file, line)) {
        std::smatch m;
        if (inData) {
            std::istringstream in(line);
            double y = 0, x = 0;
            if (in >> y >> x) {
                p.y.push_back(y);
                p.x.push_back(x);
            }
        } else if (std::regex_match(line, m, parameter)) {
            p.start1.push_back(std::stod(m[1]));
            p.start2.push_back(std::stod(m[2]));
            p.certified.push_back(std::stod(m[3]));
            p.certifiedSd.push_back(std::stod(m[4]));
        } else if (std::regex_search(line, m, rss)) {
            p.certifiedRss = std::stod(m[1]);
        } else if (line.rfind("Data:", 0) == 0 && line.find(" y") != std::string::npos) {
            inData = true;
        }
    }
    return p;
}

// y(x; b) as each file states its model.
inline double model(const std::string &name, const std::vector<double> &b, double x) {
    if (name == "Misra1a" || name == "BoxBOD")
        return b[0] * (1 - std::exp(-b[1] * x));
    if (name == "Misra1b")
        return b[0] * (1 - std::pow(1 + b[1] * x / 2, -2));
    if (name == "Chwirut2")
        return std::exp(-b[0] * x) / (b[1] + b[2] * x);
    if (name == "DanWood")
        return b[0] * std::pow(x, b[1]);
    if (name == "Lanczos3")
        return b[0] * std::exp(-b[1] * x) + b[2] * std::exp(-b[3] * x) + b[4] * std::exp(-b[5] * x);
    if (name == "Eckerle4")
        return (b[0] / b[1]) * std::exp(-0.5 * std::pow((x - b[2]) / b[1], 2));
    if (name == "MGH09")
        return b[0] * (x * x + x * b[1]) / (x * x + x * b[2] + b[3]);
    if (name == "Rat43")
        return b[0] / std::pow(1 + std::exp(b[1] - b[2] * x), 1 / b[3]);
    if (name == "Thurber")
        return (b[0] + b[1] * x + b[2] * x * x + b[3] * x * x * x) /
               (1 + b[4] * x + b[5] * x * x + b[6] * x * x * x);
    throw std::runtime_error("no model for " + name);
}

// The problem for the engine, unbounded, with the statistics of the data as the driver forms
// them; a value that is not finite is the model's overflow.
inline MarquardtProblem engineProblem(const Problem &p) {
    MarquardtProblem e;
    e.model = [p](const std::vector<double> &b, std::vector<double> &y) {
        for (std::size_t i = 0; i < p.x.size(); ++i)
            y[i] = checkedFinite(model(p.name, b, p.x[i]));
    };
    e.ymeas = p.y;
    const std::size_t np = p.certified.size();
    e.lower.assign(np, -1e300);
    e.upper.assign(np, 1e300);
    e.free.assign(np, true);
    double mean = 0;
    for (double v : p.y)
        mean += v / static_cast<double>(p.y.size());
    for (double v : p.y)
        e.dataVar += (v - mean) * (v - mean) / static_cast<double>(p.y.size());
    e.derivStep0 = std::sqrt(e.dataVar);
    return e;
}

} // namespace kemvo::nist
