#include "shell/controls/Controls.h"
#include "shell/ReportLine.h"

#include <gtest/gtest.h>

using namespace kemvo;

TEST(ReportLine, JoinsDirectlyOrAtTheNextPrintZone) {
    EXPECT_EQ(ReportLine().text("Curve Number is ").number(1).str(), "Curve Number is  1 ");
    EXPECT_EQ(ReportLine().text("No.").nextZone().text("x").str(), "No.           x");
    // A text that fills a zone exactly moves on to the zone after.
    EXPECT_EQ(ReportLine().text(std::string(14, 'a')).nextZone().str().size(), 28u);
    EXPECT_EQ(ReportLine().nextZone().str().size(), 14u);
    EXPECT_EQ(ReportLine().number(-2.5).str(), "-2.5 ");
}

TEST(Controls, ChangeEventsFireOnlyOnRealChanges) {
    TextBox box("Estart", -1, "0.3");
    int changes = 0;
    box.onChange = [&] { ++changes; };
    box.setText("0.3");
    box.setText("0.2");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.text(), "0.2");

    CheckBox check("CheckDigital", -1, "digital simulation", 1);
    int clicks = 0;
    check.onClick = [&] { ++clicks; };
    check.setValue(1);
    check.click();
    EXPECT_EQ(check.value(), 0);
    EXPECT_EQ(clicks, 1);
}

TEST(Controls, AnOptionGroupHoldsOneSelection) {
    OptionButton single("option9", -1, "Single"), cycle("option10", -1, "Cycle");
    OptionGroup scan;
    scan.add(single);
    scan.add(cycle);
    single.select();
    int clicks = 0;
    cycle.onClick = [&] { ++clicks; };
    cycle.select();
    EXPECT_FALSE(single.value());
    EXPECT_TRUE(cycle.value());
    EXPECT_EQ(clicks, 1);
}
