#pragma once
// A fresh workbench without a display, with the set-up windows at hand.

#include "app/Workbench.h"
#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kemvo::test {

struct SetupBench {
    HeadlessPlatform platform;
    kemvo::Workbench app{platform.platform()};
    ExperimentState &state = app.state();
    FormTech &tech = app.form<FormTech>();
    FormMech &mech = app.form<FormMech>();
    FormExpr &expr = app.form<FormExpr>();

    // What the user gets from "&Experimental..." after choosing a mechanism.
    void openWithMechanism(int code) {
        mech.mech(code).select();
        app.mainWindow().menu("mnuExperimental").click();
    }
    // The initial concentrations the window shows for species 1..count.
    std::vector<std::string> cinit(int count) const {
        std::vector<std::string> shown;
        for (int j = 1; j <= count; ++j)
            shown.push_back(expr.Cinit(j).caption());
        return shown;
    }
};

class SetupTest : public ::testing::Test, public SetupBench {};

} // namespace kemvo::test
