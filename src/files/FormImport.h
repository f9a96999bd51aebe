#pragma once
// The modal window "Import" that lists the curves of an instrument file holding several (cycles,
// segments, scans) and takes the chosen one at OK. Nothing is imported before OK; Cancel, closing
// the window or leaving it for another window drops the file.

#include "files/MeasuredCurve.h"
#include "shell/controls/Form.h"

#include <optional>

namespace kemvo {

class Application;

class FormImport : public Form {
public:
    explicit FormImport(Application &app);

    // Lists the curves of a file read and checked whole, presets the check boxes and shows the
    // window. The list's entries are numbered from 1: the file's curves (sweeps, segments,
    // scans), each full cycle of the file when its curves are sweeps, and last "all,
    // concatenated" where the curves follow each other in time (not for the columns of a
    // curve table). The
    // caption says how many curves past the most listed (kMaxCurves) the file left out.
    void offer(MeasuredFile file);

    // Takes the chosen curve; one that cannot be thinned to the store's size without losing
    // its sweeps is refused with the window still open, to choose a cycle instead.
    void OK_Click();
    void Cancel_Click() { hide(); }

    Label &LabelFile;
    ComboBox &ListCurve; // a list box
    CheckBox &CheckProgramme;
    CheckBox &CheckReverseSign;
    Button &OK;
    Button &Cancel;

private:
    MeasuredCurve concatenated() const;
    // Whether the file's curves state scan rates more than 2 % apart.
    bool differentScanRates() const;
    // The file's curves, then each full cycle of the whole (when it has two or more), then all.
    void listCurves();

    Application &app_;
    std::optional<MeasuredFile> file_;
    std::vector<MeasuredCurve> offered_; // the curves of the list's entries, in order
};

// "3  cycle 3  812 points  -0.2 to 0.6 V  0.1 V/s": the list entry of curve `number`.
std::string curveEntry(std::size_t number, const MeasuredCurve &curve);

} // namespace kemvo
