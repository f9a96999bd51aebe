#pragma once
// A fresh workbench without a display, with the set-up windows at hand.

#include "setup/FormExpr.h"
#include "setup/FormMech.h"
#include "setup/FormTech.h"
#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"

#include <gtest/gtest.h>

namespace kemvo::test {

class SetupTest : public ::testing::Test {
protected:
    HeadlessPlatform platform;
    Application app{platform.platform()};
    ExperimentState &state = app.state();
    FormTech &tech = app.form<FormTech>();
    FormMech &mech = app.form<FormMech>();
    FormExpr &expr = app.form<FormExpr>();

    // What the user gets from "&Experimental..." after choosing a mechanism.
    void openWithMechanism(int code) {
        mech.mech(code).select();
        app.mainWindow().menu("mnuExperimental").click();
    }
};

} // namespace kemvo::test
