// What the analytical simulation refuses, and how: before the run, with a message that names
// the technique and the electrode, and with nothing changed. And the double-layer charging
// that the window's caption promises.

#include "simulation/ClosedFormCatalogue.h"
#include "Simulation.h"
#include "simulation/SimulationCommands.h"

#include "app/Workbench.h"
#include "setup/FormExpr.h"
#include "setup/FormTech.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kemvo {
namespace {

TEST(ClosedFormCatalogue, PulsesHaveClosedFormsOnPlanesAndSpheresOnly) {
    // A sequence of potential steps has an exact closed form where one step has: the plane
    // and the radial diffusion of a sphere or hemisphere. The thin film and the rotating disk
    // are not offered by the digital simulation either. A sweep at a cylinder has none (no
    // steady state, no similarity solution).
    const std::string digital = "! Tick the digital simulation or choose another electrode.";
    const std::string nowhere = "! Choose another technique or electrode.";
    const char *techniques[] = {nullptr,
                                "Linear sweep and cyclic voltammetry",
                                nullptr,
                                "Normal pulse voltammetry",
                                "Differential pulse voltammetry",
                                "Square wave voltammetry"};
    const char *electrodes[] = {nullptr,
                                nullptr,
                                nullptr,
                                nullptr,
                                "Microdisc",
                                "(Micro)Cylindrical",
                                "(Micro)Hemicylindrical",
                                "Thin film",
                                "Rotating disk"};
    for (int technique = 1; technique <= 5; ++technique)
        for (int electrode = 1; electrode <= 8; ++electrode) {
            auto refusal = closedFormRefusal(experiment(technique, electrode));
            const bool sweepAtCylinder = technique == 1 && (electrode == 5 || electrode == 6);
            if ((technique <= 2 || electrode <= 3) && !sweepAtCylinder) {
                EXPECT_FALSE(refusal) << technique << " " << electrode;
                continue;
            }
            ASSERT_TRUE(refusal) << technique << " " << electrode;
            EXPECT_EQ(refusal->description, std::string(techniques[technique]) +
                                                " has no closed form on the " +
                                                electrodes[electrode]);
            EXPECT_EQ(refusal->tail, electrode >= 7 ? nowhere : digital);
        }

    // The catalytic EC' reaction's closed form is a steady sweep or DC wave.
    ExperimentState s = experiment(4);
    setMechanism(s, 9);
    ASSERT_TRUE(closedFormRefusal(s));
    EXPECT_EQ(closedFormRefusal(s)->description,
              "Differential pulse voltammetry has no closed form for the catalytic (EC') "
              "reaction");
}

struct Bench {
    HeadlessPlatform platform;
    Workbench app{platform.platform()};
    Bench() { app.control<CheckBox>("FormTech", "CheckDigital").setValue(0); }
    void choose(int technique, int electrode) {
        app.form<FormTech>().optTech(technique).select();
        app.form<FormExpr>().optElectrode(electrode).select();
    }
    void simulate() { app.mainWindow().menu("mnuSimulate").click(); }
    const std::vector<std::string> &messages() const { return platform.messages.shown; }
};

TEST(ClosedFormCatalogue, SimulateRefusesBeforeItRunsAndChangesNothing) {
    Bench bench;
    bench.simulate(); // a sweep to keep
    const double kept = bench.app.store().reactionCurrent(60, 2);
    const ExperimentState before = bench.app.state();

    bench.choose(5, 7);
    bench.simulate();
    bench.choose(3, 4);
    bench.simulate();
    EXPECT_EQ(bench.messages(),
              (std::vector<std::string>{
                  "Analytical simulation Error: Square wave voltammetry has no closed form on "
                  "the Thin film! Choose another technique or electrode.",
                  "Analytical simulation Error: Normal pulse voltammetry has no closed form on "
                  "the Microdisc! Tick the digital simulation or choose another electrode."}));
    EXPECT_EQ(bench.app.store().reactionCurrent(60, 2), kept);
    EXPECT_EQ(bench.app.state().pointCount, before.pointCount);
    EXPECT_EQ(bench.app.state().curveCount, before.curveCount);
    EXPECT_EQ(bench.app.state().yMin, before.yMin);
}

TEST(Charging, CaptionPerAreaAndCurrentCdlAv) {
    // 1e-5 F/cm^2 on 0.01 cm^2 at 0.1 V/s charge with 1e-8 A, negative while the potential
    // falls: the difference that Cdl makes to the total.
    Bench bench;
    EXPECT_EQ(bench.app.form<FormExpr>().LabelCdl.caption(), "C dl (F/cm\u00B2)");
    for (int digital : {0, 1}) {
        ExperimentState s = experiment(1, 1, digital);
        s.area = 0.01;
        s.scanRate = 0.1;
        const double faradaic = simulated(s).total(60);
        s.cdl = 1e-5;
        EXPECT_NEAR(simulated(s).total(60) - faradaic, -1e-8, 1e-20) << digital;
    }
}

} // namespace
} // namespace kemvo
