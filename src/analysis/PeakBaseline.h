#pragma once
// The baselines a chemist measures a peak current from: for a peak of a forward sweep the
// straight line through the foot of its wave, for a peak of the sweep back the decay of the
// forward current continued past the vertex.

#include "analysis/CurveSweeps.h"
#include "numerics/LocalPolynomial.h"

#include <optional>
#include <string>

namespace kemvo {

// "Baseline from E ... to E ...": the potentials [V] the user typed, in either order.
struct BaselineRange {
    double from = 0;
    double to = 0;
};

// A straight baseline y = line(E) under the peaks of a sweep, or why there is none.
struct FootLine {
    std::optional<Polynomial> line;
    std::string why; // when there is no line: "no foot", "no points in range"
};

// The line through the points of the sweep within the typed range, or, without one, through
// the flattest stretch of the foot: of the windows of a third of the points before the wave's
// steepest rise (at least 5), the one whose least-squares line has the smallest slope. The
// line keeps its slope only when the background is linear (lines through the two halves of
// the foot agree within 30 %) and the slope stands out of the noise [y] by two standard
// errors; otherwise the baseline is flat at the mean of that stretch. firstPeak: the sweep's
// first peak, 0-based.
FootLine footLine(const SweepData &sweep, int firstPeak, double noise,
                  const std::optional<BaselineRange> &typed);

// The current of a forward sweep after its last peak, continued in time past the vertex: the
// background held at its value at the vertex plus the diffusion decay k / sqrt(tau - tau0) of
// a potential step at an effective time tau0 (Cottrell; Bard and Faulkner, Electrochemical
// Methods, 2nd ed., section 6.2: beyond the peak the current falls as t^-1/2), fitted to the
// last two thirds of the points between the peak and the vertex. At the vertex the charging
// current changes its sign while the diffusion current goes on: `shift` is the step between
// the continued decay and the first points of the sweep back.
struct ForwardDecay {
    double background = 0;
    double k = 0;
    double tau0 = 0; // [V] effective start, in potential swept
    double shift = 0;
    double operator()(double tau) const;
};

// None when the forward sweep has fewer than three points past its peak or no decay in the
// direction of its wave. peak: 0-based in forward; anchorPoints: how many points of the sweep
// back after its switching point measure the shift.
std::optional<ForwardDecay> forwardDecay(const SweepData &forward, int peak, double background,
                                         const SweepData &back, int anchorPoints);

} // namespace kemvo
