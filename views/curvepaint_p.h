// Colours the waveform painter's files share.
#pragma once

#include <QColor>
#include <QRgb>

namespace nuv::curvepaint {

inline const QRgb kBackground = qRgb(0, 0, 0);
inline const QColor kSelectedBand(8, 16, 16);
inline const QColor kFrame1(120, 120, 120);
inline const QColor kFrame2(134, 134, 134);
inline const QColor kFrame3(220, 220, 220);
inline const QRgb kGridDot = qRgb(80, 80, 80);
inline const QColor kStartMarker(196, 128, 0);

} // namespace nuv::curvepaint
