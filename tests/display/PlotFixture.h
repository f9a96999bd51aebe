#pragma once
// An application without a display whose plot window draws on its recording canvas, with
// helpers to fill the curve store and to pick strokes out of the picture.

#include "display/FormOption.h"
#include "display/FormPlot.h"
#include "display/RecordingCanvas.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kemvo::test {

class PlotFixture : public ::testing::Test {
protected:
    HeadlessPlatform platform;
    Application app{platform.platform()};
    ExperimentState &state = app.state();
    CurveStore &store = app.store();
    FormOption &options = app.form<FormOption>();

    // Curve k at points 1..n, against the potentials xs; the range and count follow.
    void setCurve(int k, const std::vector<double> &xs, const std::vector<double> &ys) {
        for (std::size_t i = 0; i < xs.size(); ++i) {
            store.potential(static_cast<int>(i) + 1) = xs[i];
            store.curves(static_cast<int>(i) + 1, k) = ys[i];
        }
        state.firstPoint = 1;
        state.lastPoint = static_cast<int>(xs.size());
        if (state.curveCount < k)
            state.curveCount = static_cast<Int16>(k);
        state.currentCurve = 1;
    }

    // Fixed limits typed into the options window (both auto boxes cleared).
    void fixLimits(const std::string &xMin, const std::string &xMax, const std::string &yMin,
                   const std::string &yMax) {
        options.Xauto.setValue(0);
        options.Yauto.setValue(0);
        options.XminText.setText(xMin);
        options.XmaxText.setText(xMax);
        options.YminText.setText(yMin);
        options.YmaxText.setText(yMax);
    }

    const std::vector<Stroke> &drawn() {
        return dynamic_cast<RecordingCanvas &>(app.form<FormPlot>().picture()).strokes();
    }

    std::vector<Stroke> drawnOf(Stroke::Kind kind) {
        std::vector<Stroke> found;
        for (const Stroke &stroke : drawn())
            if (stroke.kind == kind)
                found.push_back(stroke);
        return found;
    }

    // The text stroke showing `text`; fails the test when there is none.
    Stroke textStroke(const std::string &text) {
        for (const Stroke &stroke : drawn())
            if (stroke.kind == Stroke::Kind::Text && stroke.text == text)
                return stroke;
        ADD_FAILURE() << "no text \"" << text << "\" drawn";
        return Stroke{Stroke::Kind::Text, 0, 0, 0, 0, 0, text};
    }

    // The lines drawn in dark red: the grid.
    std::vector<Stroke> gridLines() {
        std::vector<Stroke> found;
        bool inGrid = false;
        for (const Stroke &stroke : drawn()) {
            if (stroke.kind == Stroke::Kind::Color)
                inGrid = stroke.value == kDarkRed;
            else if (inGrid && stroke.kind == Stroke::Kind::Line)
                found.push_back(stroke);
        }
        return found;
    }
};

} // namespace kemvo::test
