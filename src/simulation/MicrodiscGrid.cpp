#include "simulation/MicrodiscGrid.h"

#include "shell/Constants.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kemvo::disc {
namespace {

constexpr double kHalfPi = kPi / 2;

// Along u: the first box a fraction of the shortest diffusion length (in u, (2/pi) xi at the
// disc), boxes growing by kGrowth to at most kLargestBox in u and, far out where u crowds
// towards 1, to at most kGrowth in xi.
constexpr double kFirstBoxPerLength = 0.1;
constexpr double kSmallestFirstBox = 1e-9;
constexpr double kLargestFirstBox = 0.02;
constexpr double kGrowth = 1.15;
constexpr double kFarGrowth = 1.2;
constexpr double kLargestBox = 0.05;
constexpr double kExtent = 6.0; // diffusion lengths of the run beyond the disc

// Along eta: near the edge (eta = 0) a distance rho from the rim is a (xi^2 + eta^2)/2, so a
// layer of thickness delta needs eta boxes of a fraction of sqrt(2 delta); they grow by
// kGrowth to the uniform width 1/kEtaBoxes.
constexpr int kEtaBoxes = 8;
constexpr double kEtaGrowth = 1.25;
constexpr double kEdgeBoxPerLength = 0.2;

double xiOf(double u) {
    return std::tan(kHalfPi * u);
}

// Boxes along one coordinate, the concentrations at their centres.
struct Axis {
    std::vector<double> faces;
    std::vector<double> nodes;
};

Axis centred(std::vector<double> faces) {
    Axis axis{std::move(faces), {}};
    for (std::size_t i = 0; i + 1 < axis.faces.size(); ++i)
        axis.nodes.push_back((axis.faces[i] + axis.faces[i + 1]) / 2);
    return axis;
}

// Along u from the disc: the first box a fraction of the shortest diffusion length (in u,
// (2/pi) xi at the disc), the boxes growing by kGrowth to at most kLargestBox in u and, far
// out where u crowds towards 1, to at most kFarGrowth in xi, up to `outer`.
Axis uAxis(double shortest, double longest) {
    const double first =
        std::clamp(kFirstBoxPerLength * shortest / kHalfPi, kSmallestFirstBox, kLargestFirstBox);
    const double outer = std::atan(1.0 + kExtent * longest) / kHalfPi;
    std::vector<double> faces{0.0};
    double width = first;
    while (faces.back() < outer) {
        const double u = faces.back();
        // Far out 1 - u is nearly (2/pi)/xi: a width (1 - u)(1 - 1/g) grows xi by g.
        const double step = std::min({width, kLargestBox, (1.0 - u) * (1.0 - 1.0 / kFarGrowth)});
        faces.push_back(std::min(outer, u + step));
        width = step * kGrowth;
    }
    return centred(std::move(faces));
}

// Along eta from the plane: near the edge a distance from the rim is a (xi^2 + eta^2)/2, so a
// layer of thickness delta needs boxes of a fraction of sqrt(2 delta); they grow by kGrowth to
// the uniform width 1/kEtaBoxes, and the last box ends on the axis, eta = 1.
Axis etaAxis(double shortest) {
    const double uniform = 1.0 / kEtaBoxes;
    double width = std::min(uniform, kEdgeBoxPerLength * std::sqrt(2.0 * shortest));
    std::vector<double> faces{0.0};
    while (1.0 - faces.back() > 1.5 * width) {
        faces.push_back(faces.back() + width);
        width = std::min(uniform, width * kEtaGrowth);
    }
    faces.push_back(1.0);
    return centred(std::move(faces));
}

} // namespace

DiscGrid discGrid(double shortest, double longest) {
    if (!(shortest > 0) || !(longest > 0) || !std::isfinite(longest))
        throw RuntimeError(kDivisionByZero);
    const Axis u = uAxis(shortest, longest);
    const Axis eta = etaAxis(shortest);
    DiscGrid g;
    g.nu = static_cast<int>(u.nodes.size());
    g.ne = static_cast<int>(eta.nodes.size());
    std::vector<double> un = u.nodes;
    un.push_back(1.0); // the bulk, xi = infinity, reached through the steady field
    const std::vector<double> &uf = u.faces;
    const std::vector<double> &ef = eta.faces;
    const std::vector<double> &en = eta.nodes;
    g.volume.resize(g.boxes());
    g.uLink.resize(g.boxes());
    g.etaLink.resize(g.boxes());
    g.electrode.resize(g.ne);
    g.stripWeight.resize(g.ne);
    for (int j = 0; j < g.ne; ++j) {
        const double e0 = ef[j];
        const double e1 = ef[j + 1];
        const double width = e1 - e0;
        g.electrode[j] = width / (kHalfPi * un[0]);
        g.stripWeight[j] = (e1 * e1 - e0 * e0) / 2;
        for (int i = 0; i < g.nu; ++i) {
            const double x0 = xiOf(uf[i]);
            const double x1 = xiOf(uf[i + 1]);
            const int k = i * g.ne + j;
            g.volume[k] = (x1 * x1 * x1 - x0 * x0 * x0) / 3 * width +
                          (x1 - x0) * (e1 * e1 * e1 - e0 * e0 * e0) / 3;
            g.uLink[k] = width / (kHalfPi * (un[i + 1] - un[i]));
            g.etaLink[k] = j + 1 < g.ne ? (x1 - x0) * (1 - e1 * e1) / (en[j + 1] - en[j]) : 0.0;
        }
    }
    return g;
}

} // namespace kemvo::disc
