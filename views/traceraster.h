// Rasterising of the waveform traces. A trace has one point per pixel column, so it can
// be drawn pixel by pixel here, exactly as the raster paint engine draws a one-pixel
// aliased polyline with square caps, at a fraction of its cost, and straight into a
// composed layer.
#pragma once

#include <QPoint>
#include <cstdint>

namespace nuv::curve {

// Where trace pixels go: dst = bg | colour, inside the inclusive box clip*. Both are
// addressed in the same coordinates: `dst` may point at where (0, 0) lies in a larger image.
// Without `bg`, dst |= colour: for a trace no other trace of the picture can cross, over
// a dst that holds the background.
struct TraceTarget {
    uint32_t* dst = nullptr;
    qsizetype dstStride = 0;    // in pixels
    const uint32_t* bg = nullptr;
    qsizetype bgStride = 0;
    int width = 0, height = 0;  // the device: points must lie inside it
    int clipLeft = 0, clipTop = 0, clipRight = -1, clipBottom = -1;
};

// True when `pts` can be drawn by RasterTrace: x grows by exactly one pixel per point and
// every point lies inside the device.
bool IsColumnTrace(const QPoint* pts, int n, int width, int height);

// Draws the polyline through `pts` (n >= 1; IsColumnTrace must hold) in `color`.
// Segments ending left of the clip box are walked without drawing.
void RasterTrace(const QPoint* pts, int n, uint32_t color, const TraceTarget& t);

} // namespace nuv::curve
