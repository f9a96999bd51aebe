#include "display/AxisCaption.h"

#include "display/FormOption.h"
#include "shell/NumberText.h"

namespace kemvo {
namespace {

struct Quantity {
    std::string symbol;
    std::string unit;
};

// The symbol and unit of each entry of ComboY.
Quantity quantityOf(const std::string &entry) {
    if (entry == FormOption::kCurrent)
        return {"I", "A"};
    if (entry == FormOption::kResistance)
        return {"R", "Ohm"};
    if (entry == FormOption::kConductance)
        return {"Cond", "1/Ohm"};
    if (entry == FormOption::kSurfaceConcentration)
        return {"C", "M"};
    return {};
}

// `unit` to the power halfPowers/2, as a factor: "/V", " V", "/s^½", " s^½", ...
std::string unitFactor(const char *unit, int halfPowers) {
    if (halfPowers == 0)
        return "";
    int magnitude = halfPowers < 0 ? -halfPowers : halfPowers;
    std::string power;
    if (magnitude == 1)
        power = "^½";
    else if (magnitude % 2 == 1)
        power.append("^(").append(std::to_string(magnitude)).append("/2)");
    else if (magnitude > 2)
        power.append("^").append(std::to_string(magnitude / 2));
    std::string factor(halfPowers < 0 ? "/" : " ");
    factor.append(unit).append(power);
    return factor;
}

// The factor in front of a caption: "" for 1, "-" for -1, else " × factor".
std::string withFactor(const std::string &expression, double factor) {
    if (factor == 1)
        return expression;
    if (factor == -1)
        return "-" + expression;
    return expression + " × " + generalNumber(factor);
}

} // namespace

// The derivative and the integral act on the potential, so the unit gains V^-1 or V; the
// semi-derivative and semi-integral act in time (the scan rate turns potential into time), so
// it gains s^-1/2 or s^1/2. A scaling keeps the unit and shows its factor.
std::string yAxisCaption(const std::string &quantity, const CurveHistory &history,
                         const std::string &prefix) {
    Quantity base = quantityOf(quantity);
    if (base.symbol.empty())
        return "";
    if (!prefix.empty()) {
        std::string unit = prefix;
        unit.append(base.unit == "1/Ohm" ? std::string("S") : base.unit);
        base.unit = unit;
    }
    std::string expression = base.symbol;
    int voltHalves = 0, secondHalves = 0;
    for (CurveOperation operation : history.operations) {
        std::string operand = expression == base.symbol ? expression : "(" + expression + ")";
        switch (operation) {
        case CurveOperation::Derivative:
            expression = "d" + operand + "/dE";
            voltHalves -= 2;
            break;
        case CurveOperation::Integral:
            expression = "∫" + operand + " dE";
            voltHalves += 2;
            break;
        case CurveOperation::SemiDerivative:
            expression = "semi-derivative of " + operand;
            secondHalves -= 1;
            break;
        case CurveOperation::SemiIntegral:
            expression = "semi-integral of " + operand;
            secondHalves += 1;
            break;
        }
    }
    std::string factors = unitFactor("V", voltHalves) + unitFactor("s", secondHalves);
    bool compound = base.unit.find('/') != std::string::npos && !factors.empty();
    std::string unit = (compound ? "(" + base.unit + ")" : base.unit) + factors;
    return withFactor(expression, history.factor) + " /" + unit;
}

std::string xAxisCaption(double factor, const std::string &prefix) {
    if (factor == 1000)
        return "E /mV";
    if (factor == 1) {
        std::string caption("E /");
        caption.append(prefix).append("V");
        return caption;
    }
    return withFactor("E", factor) + " /V";
}

} // namespace kemvo
