#pragma once
// The window "Export Plot" that File > Export Plot shows before it asks for the file: the
// picture's width and height in millimetres at a resolution (160 x 100 mm at 300 dpi, a
// journal's single column), or in pixels. Its boxes keep what was typed for the run, so a
// script types them before choosing the menu entry.

#include "shell/Platform.h"
#include "shell/controls/Form.h"

namespace kemvo {

class FormExportPlot : public Form {
public:
    FormExportPlot();

    OptionButton &optPlotMm;
    OptionButton &optPlotPx;
    Label &LabelWidthMm;
    TextBox &PlotWidthMm;
    Label &LabelHeightMm;
    TextBox &PlotHeightMm;
    Label &LabelDpi;
    TextBox &PlotDpi;
    Label &LabelWidthPx;
    TextBox &PlotWidthPx;
    Label &LabelHeightPx;
    TextBox &PlotHeightPx;
    Label &LabelPixels;
    Button &OK;
    Button &Cancel;

    // Shows the window to be answered; accepted() tells how it was left.
    void ask();
    bool accepted() const { return accepted_; }
    void OK_Click();
    void Cancel_Click() { hide(); }

    // The size the boxes give. Raises RuntimeError naming a value out of its range.
    PictureSize pictureSize() const;

private:
    void showPixels();

    OptionGroup units_;
    bool accepted_ = false;
};

// Limits of a picture file.
inline constexpr double kLeastPictureMm = 10, kMostPictureMm = 2000;
inline constexpr double kLeastPictureDpi = 50, kMostPictureDpi = 2400;
inline constexpr double kLeastPicturePx = 50, kMostPicturePx = 20000;
inline constexpr double kMostPicturePixels = 50e6; // an image of 200 MB

} // namespace kemvo
