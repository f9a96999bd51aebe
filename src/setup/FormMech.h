#pragma once
// The mechanism chooser "Mechanism": seventeen mechanisms, each with its class as tool tip.

#include "shell/controls/Form.h"

namespace kemvo {

class Application;

class FormMech : public Form {
public:
    explicit FormMech(Application &app);

    // Reads the technique and mechanism into the state, then hides the chooser.
    void Command1_Click();

    Frame &Frame1;
    ControlArray<OptionButton> mech; // 1..17, index = mechanism code
    Button &Command1;

private:
    Application &app_;
    OptionGroup mechanisms_;
};

} // namespace kemvo
