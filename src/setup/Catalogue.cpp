#include "setup/Catalogue.h"

#include <algorithm>
#include <stdexcept>

namespace kemvo {
namespace {

constexpr std::array<std::string_view, kTechniqueCount> kTechniques = {
    "1)  Linear sweep and cyclic voltammetry", "2)  DC voltammetry", "3)  Normal pulse voltammetry",
    "4)  Differential pulse voltammetry", "5)  Square wave voltammetry"};

constexpr std::array<std::string_view, kElectrodeCount> kElectrodes = {
    "1)  Planar",    "2)  (Micro)Spherical",   "3)  (Micro)Hemispherical",
    "4)  Microdisc", "5)  (Micro)Cylindrical", "6)  (Micro)Hemicylindrical",
    "7)  Thin film", "8)  Rotating disk"};

constexpr std::array<MechanismEntry, kMechanismCount> kMechanisms = {{
    {"1)  A + ne = B", "simple charge reaction", 2, {"A+ne=B"}, {}, true},
    {"2)  A + ne = B, B + ne = C", "2-step charge reaction", 3, {"A+ne=B", "B+ne=C"}, {}, false},
    {"3)  A + ne = B, B + ne = C, C + ne = D",
     "3-step charge reaction",
     4,
     {"A+ne=B", "B+ne=C", "C+ne=D"},
     {},
     false},
    {"4)  A + ne = B, C + ne = D",
     "multicompoment charge reaction",
     4,
     {"A+ne=B", "C+ne=D"},
     {},
     true},
    {"5)  C = A, A + ne = B", "preceding (CE) reaction", 3, {"A+ne=B"}, {"C=A"}, false},
    {"6)  C = A, A + ne = B, B = D",
     "preceding and following (CEC) reaction",
     4,
     {"A+ne=B"},
     {"C=A", "B=D"},
     false},
    {"7)  A + ne = B, B = C", "following (EC) reaction", 3, {"A+ne=B"}, {"B=C"}, false},
    {"8)  A + ne = B, 2B = C",
     "second order following (EC2) reaction",
     3,
     {"A+ne=B"},
     {"2B=C"},
     false},
    {"9)  A + ne = B, B = A", "catalytic (EC') reaction", 2, {"A+ne=B"}, {"B=A"}, true},
    {"10)  A + ne = B, 2B = A",
     "second order catalytic (EC'2) reaction",
     2,
     {"A+ne=B"},
     {"2B=A"},
     false},
    {"11)  A + ne = B, B = C, C + ne = D", "ECE reaction", 4, {"A+ne=B", "C+ne=D"}, {"B=C"}, false},
    {"12)  A + ne = B, B = D, C + ne = D", "", 4, {"A+ne=B", "C+ne=D"}, {"B=D"}, false},
    {"13)  A + ne = B, B = D, C + ne = D, C = A",
     "square reaction",
     4,
     {"A+ne=B", "C+ne=D"},
     {"B=D", "C=A"},
     false},
    {"14)  A + ne = B, B + ne = C, C = D", "EEC reaction", 4, {"A+ne=B", "B+ne=C"}, {"C=D"}, false},
    {"15)  A + ne = B, B + ne = C, B = D", "", 4, {"A+ne=B", "B+ne=C"}, {"B=D"}, false},
    {"16)  A + ne = B, B + C = A + D",
     "catalytic (EC') reaction",
     4,
     {"A+ne=B"},
     {"B+C=A+D"},
     false},
    {"17)  C = A + pD, A + ne = B", "complex reaction", 4, {"A+ne=B"}, {"C=A+pD"}, false},
}};

template <std::size_t N> Int16 countFilled(const std::array<std::string_view, N> &steps) {
    return static_cast<Int16>(
        std::count_if(steps.begin(), steps.end(), [](std::string_view s) { return !s.empty(); }));
}

template <std::size_t N>
std::string_view captionOf(const std::array<std::string_view, N> &table, int code) {
    if (code < 1 || code > static_cast<int>(N))
        throw std::out_of_range("no catalogue entry " + std::to_string(code));
    return table[static_cast<std::size_t>(code - 1)];
}

} // namespace

Int16 MechanismEntry::chargeCount() const {
    return countFilled(chargeSteps);
}
Int16 MechanismEntry::chemCount() const {
    return countFilled(chemSteps);
}

std::string_view techniqueCaption(int code) {
    return captionOf(kTechniques, code);
}
std::string_view electrodeCaption(int code) {
    return captionOf(kElectrodes, code);
}

const MechanismEntry *findMechanism(int code) {
    if (code < 1 || code > kMechanismCount)
        return nullptr;
    return &kMechanisms[static_cast<std::size_t>(code - 1)];
}

bool resistanceInUse(const ExperimentState &state) {
    return state.digital != 0 || state.technique != static_cast<Int16>(Technique::LinearSweep);
}

} // namespace kemvo
