#include "shell/StateFields.h"

#include "shell/NumberText.h"

#include <functional>
#include <map>
#include <regex>

namespace kemvo {
namespace {

struct Field {
    int arity; // number of indices
    std::function<double(Application &, int, int)> read;
};

template <typename T> Field scalar(T ExperimentState::*member) {
    return {0, [member](Application &app, int, int) { return double(app.state().*member); }};
}

// A potential of the programme that follows E start while it is not set.
Field followingStart(std::optional<double> ExperimentState::*member) {
    return {0, [member](Application &app, int, int) {
                const ExperimentState &state = app.state();
                return (state.*member).value_or(state.eStart);
            }};
}

Field table(StepTable ExperimentState::*member) {
    return {1, [member](Application &app, int i, int) { return (app.state().*member).at(i); }};
}

const std::map<std::string, Field> &fields() {
    using S = ExperimentState;
    static const std::map<std::string, Field> all = {
        {"technique", scalar(&S::technique)},
        {"mechanism", scalar(&S::mechanism)},
        {"electrode", scalar(&S::electrode)},
        {"digital", scalar(&S::digital)},
        {"speciesCount", scalar(&S::speciesCount)},
        {"chargeCount", scalar(&S::chargeCount)},
        {"chemCount", scalar(&S::chemCount)},
        {"caseCode", scalar(&S::caseCode)},
        {"eStart", scalar(&S::eStart)},
        {"eEnd", scalar(&S::eEnd)},
        {"eVertex2", followingStart(&S::eVertex2)},
        {"eFinal", followingStart(&S::eFinal)},
        {"quietTime", scalar(&S::quietTime)},
        {"vertexHold", scalar(&S::vertexHold)},
        {"eStep", scalar(&S::eStep)},
        {"scanRate", scalar(&S::scanRate)},
        {"dropTime", scalar(&S::dropTime)},
        {"pulseTime", scalar(&S::pulseTime)},
        {"pulseAmplitude", scalar(&S::pulseAmplitude)},
        {"noisePercent", scalar(&S::noisePercent)},
        {"cdl", scalar(&S::cdl)},
        {"temperatureK", scalar(&S::temperatureK)},
        {"area", scalar(&S::area)},
        {"radius", scalar(&S::radius)},
        {"length", scalar(&S::length)},
        {"electrodeVolume", scalar(&S::electrodeVolume)},
        {"viscosity", scalar(&S::viscosity)},
        {"rotationRate", scalar(&S::rotationRate)},
        {"cycles", scalar(&S::cycles)},
        {"supportConc", scalar(&S::supportConc)},
        {"supportCond", scalar(&S::supportCond)},
        {"electrons", table(&S::electrons)},
        {"alpha", table(&S::alpha)},
        {"e0", table(&S::e0)},
        {"ks", table(&S::ks)},
        {"kf", table(&S::kf)},
        {"kb", table(&S::kb)},
        {"keq", table(&S::keq)},
        {"stoich", table(&S::stoich)},
        {"diffusion", table(&S::diffusion)},
        {"cInit", table(&S::cInit)},
        {"speciesCond", table(&S::speciesCond)},
        {"fOverRT", scalar(&S::fOverRT)},
        {"scanSign", scalar(&S::scanSign)},
        {"pointsPerSweep", scalar(&S::pointsPerSweep)},
        {"pointCount", scalar(&S::pointCount)},
        {"firstPoint", scalar(&S::firstPoint)},
        {"lastPoint", scalar(&S::lastPoint)},
        {"curveCount", scalar(&S::curveCount)},
        {"currentCurve", scalar(&S::currentCurve)},
        {"simSlot", scalar(&S::simSlot)},
        {"columnCount", scalar(&S::columnCount)},
        {"fitMode", scalar(&S::fitMode)},
        {"yMax", scalar(&S::yMax)},
        {"yMin", scalar(&S::yMin)},
        {"xMin", scalar(&S::xMin)},
        {"xMax", scalar(&S::xMax)},
        {"gridOn", scalar(&S::gridOn)},
        {"overlapMode", scalar(&S::overlapMode)},
        {"lineStyle",
         {1, [](Application &app, int i, int) { return double(app.state().lineStyle.at(i)); }}},
        {"potential", {1, [](Application &app, int i, int) { return app.store().potential(i); }}},
        {"curves", {2, [](Application &app, int i, int k) { return app.store().curves(i, k); }}},
        {"reactionCurrent",
         {2, [](Application &app, int i, int k) { return app.store().reactionCurrent(i, k); }}},
        {"surfaceConc",
         {2, [](Application &app, int i, int k) { return app.store().surfaceConc(i, k); }}},
    };
    return all;
}

} // namespace

std::optional<std::string> stateFieldValue(Application &app, const std::string &field) {
    static const std::regex pattern(R"(([A-Za-z0-9]+)(?:\((\d+)(?:,(\d+))?\))?)");
    std::smatch match;
    if (!std::regex_match(field, match, pattern))
        return std::nullopt;
    auto found = fields().find(match[1].str());
    if (found == fields().end())
        return std::nullopt;
    int given = match[2].matched ? (match[3].matched ? 2 : 1) : 0;
    if (given != found->second.arity)
        return std::nullopt;
    try {
        int i = given >= 1 ? std::stoi(match[2].str()) : 0;
        int k = given == 2 ? std::stoi(match[3].str()) : 0;
        return generalNumber(found->second.read(app, i, k));
    } catch (const std::exception &) {
        return std::nullopt; // an index outside the array
    }
}

std::vector<std::string> stateFieldNames() {
    std::vector<std::string> names;
    for (const auto &[name, field] : fields())
        names.push_back(field.arity == 0 ? name : name + (field.arity == 1 ? "(i)" : "(i,k)"));
    return names;
}

} // namespace kemvo
