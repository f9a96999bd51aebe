#pragma once
// The drawing of the plot window: every curve of the store against the potential, with the
// axis ranges found or taken from the options, frame, labels, captions, the dashed zero line
// and the grid. A run-time failure ends the drawing where it happened, without a message;
// what was drawn so far stays.

namespace kemvo {

class Application;

// Draws the whole plot afresh on FormPlot's picture. Writes xMin, xMax (X auto), yMin, yMax
// (Y auto, rounded outward to the decade of the data) and the plot options into the state.
void DrawPlot(Application &app);

} // namespace kemvo
