#include "display/FormExportPlot.h"

#include "shell/BoxValue.h"
#include "shell/RuntimeError.h"

#include <cmath>
#include <cstdio>

namespace kemvo {
namespace {

constexpr double kMmPerInch = 25.4;

std::string shown(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The box's number, read whole as every box is; one outside [least, most] is refused.
double within(const TextBox &box, const Label &caption, const char *what, double least, double most,
              const char *unit) {
    const double value = strictBoxValue(box.text(), caption.caption(), Allowed::Positive);
    if (!(value >= least && value <= most))
        throw RuntimeError("the " + std::string(what) + " must lie between " + shown(least) +
                           " and " + shown(most) + " " + unit + ", not \"" + box.text() + "\"");
    return value;
}

} // namespace

FormExportPlot::FormExportPlot()
    : Form("FormExportPlot", "Export Plot"),
      optPlotMm(add<OptionButton>("optPlotMm", -1, "Millimetres at a resolution")),
      optPlotPx(add<OptionButton>("optPlotPx", -1, "Pixels")),
      LabelWidthMm(add<Label>("LabelWidthMm", -1, "Width /mm")),
      PlotWidthMm(add<TextBox>("PlotWidthMm", -1, "160")),
      LabelHeightMm(add<Label>("LabelHeightMm", -1, "Height /mm")),
      PlotHeightMm(add<TextBox>("PlotHeightMm", -1, "100")),
      LabelDpi(add<Label>("LabelDpi", -1, "Resolution /dpi")),
      PlotDpi(add<TextBox>("PlotDpi", -1, "300")),
      LabelWidthPx(add<Label>("LabelWidthPx", -1, "Width /px")),
      PlotWidthPx(add<TextBox>("PlotWidthPx", -1, "900")),
      LabelHeightPx(add<Label>("LabelHeightPx", -1, "Height /px")),
      PlotHeightPx(add<TextBox>("PlotHeightPx", -1, "600")),
      LabelPixels(add<Label>("LabelPixels", -1, "")), OK(add<Button>("OK", -1, "OK")),
      Cancel(add<Button>("Cancel", -1, "Cancel")) {
    units_.add(optPlotMm);
    units_.add(optPlotPx);
    optPlotMm.select();
    // Typing a size chooses its kind.
    for (TextBox *box : {&PlotWidthMm, &PlotHeightMm, &PlotDpi})
        box->onChange = [this] {
            optPlotMm.select();
            showPixels();
        };
    for (TextBox *box : {&PlotWidthPx, &PlotHeightPx})
        box->onChange = [this] {
            optPlotPx.select();
            showPixels();
        };
    optPlotMm.onClick = [this] { showPixels(); };
    optPlotPx.onClick = [this] { showPixels(); };
    OK.onClick = [this] { OK_Click(); };
    Cancel.onClick = [this] { Cancel_Click(); };
    showPixels();
}

void FormExportPlot::ask() {
    accepted_ = false;
    show();
}

void FormExportPlot::OK_Click() {
    pictureSize(); // a size out of range is refused here, and the window stays
    accepted_ = true;
    hide();
}

// "1890 x 1181 pixels": what the choice gives, as the user types.
void FormExportPlot::showPixels() {
    try {
        PictureSize size = pictureSize();
        LabelPixels.setCaption(std::to_string(size.widthPx) + " x " +
                               std::to_string(size.heightPx) + " pixels");
    } catch (const RuntimeError &error) {
        LabelPixels.setCaption(error.what());
    }
}

PictureSize FormExportPlot::pictureSize() const {
    PictureSize size;
    if (optPlotPx.value()) {
        size.widthPx = static_cast<int>(std::lround(
            within(PlotWidthPx, LabelWidthPx, "width", kLeastPicturePx, kMostPicturePx, "px")));
        size.heightPx = static_cast<int>(std::lround(
            within(PlotHeightPx, LabelHeightPx, "height", kLeastPicturePx, kMostPicturePx, "px")));
        size.dpi = 96;
    } else {
        const double width =
            within(PlotWidthMm, LabelWidthMm, "width", kLeastPictureMm, kMostPictureMm, "mm");
        const double height =
            within(PlotHeightMm, LabelHeightMm, "height", kLeastPictureMm, kMostPictureMm, "mm");
        size.dpi =
            within(PlotDpi, LabelDpi, "resolution", kLeastPictureDpi, kMostPictureDpi, "dpi");
        size.widthPx = static_cast<int>(std::lround(width / kMmPerInch * size.dpi));
        size.heightPx = static_cast<int>(std::lround(height / kMmPerInch * size.dpi));
    }
    if (static_cast<double>(size.widthPx) * size.heightPx > kMostPicturePixels)
        throw RuntimeError("a picture of " + std::to_string(size.widthPx) + " x " +
                           std::to_string(size.heightPx) +
                           " pixels is too large; at most 50 million pixels are written");
    return size;
}

} // namespace kemvo
