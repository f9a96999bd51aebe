#pragma once
// The drawing of the plot window: every curve of the store against the potential, inside a
// frame that spans the axis ranges found or taken from the options, with ticks at 1-2-5 steps
// and their labels, captions whose units carry a metric prefix chosen from the data, the
// dashed zero line, the grid and the legend. The room around the frame is measured on the
// surface in pixels, so that the frame and every label stay on it at any size. A run-time
// failure ends the drawing where it happened, without a message; what was drawn so far stays.

namespace kemvo {

class Application;

// Draws the whole plot afresh on FormPlot's picture. Writes xMin, xMax (X auto), yMin, yMax
// (Y auto, rounded outward to the decade of the data) and the plot options into the state.
void DrawPlot(Application &app);

} // namespace kemvo
