#pragma once
// The technique chooser "Techniques": the five techniques, the digital-simulation box, whose
// every click re-reads the flag and applies the availability rule, and the fine-grid box of
// the digital simulation.

#include "shell/controls/Form.h"

namespace kemvo {

class Application;

class FormTech : public Form {
public:
    explicit FormTech(Application &app);

    // Stores the index of the first selected technique option as the technique code; with
    // none selected the code keeps its value.
    void TechValue();

    void CmdOK_Click();
    // Re-reads the flag, then: ticked offers mechanisms 2..17, geometries 1..6 and the
    // resistance box; cleared offers mechanisms 1, 4, 9, all eight geometries and locks the
    // resistance. The fine grid is offered only with the digital simulation. Availability
    // only: every selection stays as it was.
    void CheckDigital_Click();

    Frame &Frame1;
    ControlArray<OptionButton> optTech; // 1..5, index = technique code
    CheckBox &CheckDigital;
    CheckBox &CheckFine; // the digital simulation's fine grid, ticked at start
    Button &CmdOK;

private:
    Application &app_;
    OptionGroup techniques_;
};

} // namespace kemvo
