// The parameters window guiding its user: it follows a new choice of technique or mechanism
// while it is shown, every box says what it means and in which unit, a disabled option says
// why, and ticking a fit box on a value outside its range proposes a range around it.

#include "SetupFixture.h"

#include <string>

namespace kemvo::test {
namespace {

class Guidance : public SetupTest {
protected:
    bool toolTipHas(const Control &control, const std::string &part) {
        return control.toolTip().find(part) != std::string::npos;
    }
};

TEST_F(Guidance, ShownWindowFollowsTheChosenMechanismAndTechniqueAtOnce) {
    openWithMechanism(1);
    ASSERT_TRUE(expr.visible());
    EXPECT_FALSE(expr.kf(1).visible());
    mech.mech(7).select(); // EC: one chemical step
    EXPECT_TRUE(expr.kf(1).visible());
    EXPECT_EQ(expr.homo(1).caption(), "B=C");
    EXPECT_FALSE(expr.TextF.visible());
    tech.optTech(5).select(); // square wave: its frequency
    EXPECT_TRUE(expr.TextF.visible());
}

TEST_F(Guidance, EveryBoxSaysWhatItMeansAndADisabledOptionSaysWhy) {
    for (const Control *control : expr.controls())
        if (control->kind() == ControlKind::TextBox)
            EXPECT_FALSE(control->toolTip().empty()) << control->name() << control->index();
    EXPECT_TRUE(toolTipHas(expr.D(1), "[cm²/s]"));
    EXPECT_TRUE(toolTipHas(expr.ks(2), "[cm/s]"));
    // Digital simulation ticked: the thin film and the rotating disk are closed forms only.
    EXPECT_TRUE(toolTipHas(expr.optElectrode(7), "closed forms"));
    EXPECT_FALSE(toolTipHas(expr.Ru, "needs"));
    tech.CheckDigital.setValue(0);
    EXPECT_FALSE(mech.mech(2).enabled());
    EXPECT_EQ(mech.mech(2).toolTip(), "2-step charge reaction: needs the digital simulation");
    EXPECT_EQ(mech.mech(9).toolTip(), "catalytic (EC') reaction"); // offered analytically
    EXPECT_TRUE(toolTipHas(expr.Ru, "needs the digital simulation"));
    EXPECT_TRUE(expr.optElectrode(7).toolTip().empty());
}

// Mass action: a rate constant of order n has the unit M^(1-n) s^-1.
TEST_F(Guidance, RateConstantsCarryTheUnitOfTheirStepsOrder) {
    struct Case {
        int mechanism;
        const char *p; // stoichiometric number of step 1
        const char *kf, *kb;
    };
    for (const Case &c : {Case{7, "1", "[s⁻¹]", "[s⁻¹]"},        // B=C
                          Case{8, "1", "[M⁻¹s⁻¹]", "[s⁻¹]"},     // 2B=C
                          Case{16, "1", "[M⁻¹s⁻¹]", "[M⁻¹s⁻¹]"}, // B+C=A+D
                          Case{17, "2", "[s⁻¹]", "[M⁻²s⁻¹]"}}) { // C=A+pD
        SCOPED_TRACE(c.mechanism);
        expr.pl(1).setText(c.p);
        openWithMechanism(c.mechanism);
        EXPECT_TRUE(toolTipHas(expr.kf(1), c.kf)) << expr.kf(1).toolTip();
        EXPECT_TRUE(toolTipHas(expr.kb(1), c.kb)) << expr.kb(1).toolTip();
    }
}

TEST_F(Guidance, TickingAFitBoxOnAValueOutsideItsRangeProposesOneAroundIt) {
    openWithMechanism(7);
    struct Case {
        int entry;
        TextBox *value;
        const char *typed, *low, *high;
    };
    for (const Case &c : {Case{fitKf(1), &expr.kf(1), "1000", "10", "100000"}, // from 1..100
                          Case{fitE0(1), &expr.Eze(1), "0.5", "0.3", "0.7"},   // from -0.2..0.2
                          Case{fitConcentration(2), &expr.C(2), "0.5", "0.005", "50"},
                          Case{fitKs(1), &expr.ks(1), "5", "1e-4", "100"}}) { // inside: kept
        SCOPED_TRACE(c.entry);
        c.value->setText(c.typed);
        expr.CheckFitted(c.entry).setValue(1);
        EXPECT_EQ(expr.TextCmin(c.entry).text(), c.low);
        EXPECT_EQ(expr.TextCmax(c.entry).text(), c.high);
    }
}

} // namespace
} // namespace kemvo::test
