#include "fitting/FitProblem.h"

#include "fitting/FitCandidates.h"
#include "fitting/SimulationObjective.h"
#include "setup/FormExpr.h"
#include "shell/BoxValue.h"
#include "shell/Constants.h"
#include "shell/NumberText.h"

#include <cmath>

namespace kemvo {
namespace {

// Share of the 1 % difference step given to a candidate whose value is 0 and whose unit is not
// that of the curve (Cdl, Ru): a hundredth of its upper bound.
constexpr double kZeroStepOfRange = 0.01;

} // namespace

std::vector<int> selectedCandidates(FormExpr &form) {
    std::vector<int> fitIndex;
    for (int k = 1; k <= kFitEntryCount; ++k)
        if (form.CheckFitted(k).checked() && form.CheckFitted(k).visible())
            fitIndex.push_back(k);
    return fitIndex;
}

// The values a candidate may take, as its box in the parameters window allows them: rate
// constants, concentrations, Cdl and Ru 0 or more, alpha from 0 to 1, E0 any number.
Allowed allowedRange(int k) {
    if (isStandardPotential(k))
        return Allowed::AnyNumber;
    if (k >= fitAlpha(1) && k <= fitAlpha(3))
        return Allowed::UnitInterval;
    return Allowed::NonNegative;
}

double boundValue(const TextBox &box, int k, const char *which) {
    const std::string name = fitCandidateName(k);
    const std::string &text = box.text();
    if (text.find_first_not_of(" \t") == std::string::npos)
        throw FitRefusal("Fit Error: the " + std::string(which) + " bound of " + name +
                         " is empty. Please enter a number.");
    if (!isNumber(text))
        throw FitRefusal("Fit Error: the " + std::string(which) + " bound of " + name + " (" +
                         text + ") is not a number.");
    const double value = strictValue(text);
    if (!isAllowed(value, allowedRange(k)))
        throw FitRefusal("Fit Error: the " + std::string(which) + " bound of " + name + " " +
                         allowedText(allowedRange(k)) + ", not " + quotedText(text) + ".");
    return value;
}

// The bounds of every fitted parameter, read before anything is simulated.
void readBounds(FormExpr &form, const std::vector<int> &fitIndex, MarquardtProblem &problem) {
    for (int k : fitIndex) {
        double lower = boundValue(form.TextCmin(k), k, "lower");
        double upper = boundValue(form.TextCmax(k), k, "upper");
        if (lower > upper)
            throw FitRefusal("Fit Error: the lower bound of " + fitCandidateName(k) + " (" +
                             form.TextCmin(k).text() + ") is above its upper bound (" +
                             form.TextCmax(k).text() + ").");
        problem.lower.push_back(lower);
        problem.upper.push_back(upper);
    }
}

void setStatistics(MarquardtProblem &problem) {
    const double n = static_cast<double>(problem.ymeas.size());
    double mean = 0;
    for (double y : problem.ymeas)
        mean += y;
    mean /= n;
    double variance = 0;
    for (double y : problem.ymeas)
        variance += (mean - y) * (mean - y);
    problem.dataVar = checkedFinite(variance / n);
    problem.derivStep0 = std::sqrt(problem.dataVar);
}

// The difference steps: 0.01 RT/F for a standard potential; for a zero Cdl or Ru a share of
// its range, since derivStep0 is a current.
void setDifferenceSteps(const ExperimentState &state, const std::vector<int> &fitIndex,
                        MarquardtProblem &problem) {
    const double thermalVoltage = kGasConstant * state.temperatureK / kFaraday; // RT/F [V]
    for (std::size_t m = 0; m < fitIndex.size(); ++m) {
        int k = fitIndex[m];
        problem.fixedStep.push_back(isStandardPotential(k) ? 0.01 * thermalVoltage : 0.0);
        bool ownUnit = k == fitCdl() || k == fitRu();
        problem.zeroStep.push_back(ownUnit && problem.upper[m] > 0
                                       ? kZeroStepOfRange * problem.upper[m]
                                       : problem.derivStep0);
    }
}

// The box of a candidate, as the refusal of a start names it.
std::string startRefusal(int k, double start, const MarquardtProblem &problem, std::size_t m) {
    return "Fit Error: the start of " + fitCandidateName(k) + " (" + generalNumber(start) +
           ") lies outside its bounds " + generalNumber(problem.lower[m]) + " to " +
           generalNumber(problem.upper[m]) +
           ". Type a start within the bounds or widen them (TextCmin, TextCmax).";
}

// Candidates whose value is a positive scale: stepped in the logarithm when their lower bound
// is above 0.
bool isScaleParameter(int k) {
    return !isStandardPotential(k) && !(k >= fitAlpha(1) && k <= fitAlpha(3));
}

bool isCellParameter(int k) {
    return k == fitCdl() || k == fitRu();
}

int furtherStarts(FormExpr &form) {
    const std::string &text = form.TextStarts.text();
    if (!isNumber(text))
        throw FitRefusal("Fit Error: the number of further starts (" + text + ") is not a number.");
    const double value = strictValue(text);
    if (!(value >= 0 && value <= 1000))
        throw FitRefusal("Fit Error: the number of further starts must be from 0 to 1000, not " +
                         quotedText(text) + ".");
    return static_cast<int>(value);
}

} // namespace kemvo
