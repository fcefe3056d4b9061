// "保存波形图片...": the waveform pane as shown, saved as a PNG at 1x or 2x the screen's
// scale, or as a vector PDF with a caption line (file or run, time span, channels and
// ranges). Command 32876 of the AI and history windows.
#pragma once

#include <QString>

class QWidget;

namespace nuv {

class CCmdUI;
class CCurveViewBase;
class CAICurveView;
class CAICurveVw;

enum class WaveImageKind { Png1x, Png2x, Pdf };

// Writes the pane of `view` to `path`. PNG: the pane's size times the screen's scale (times
// 2 for Png2x). PDF: one page of the pane's size with `caption` above it. A failed save
// leaves no file; false with the reason in `error`.
bool SaveWaveImage(CCurveViewBase& view, const QString& path, WaveImageKind kind, const QString& caption,
                   QString* error = nullptr);

// Caption lines: what the pane shows, its time span, the channels and their ranges.
QString WaveCaption(const CAICurveVw& view);
QString WaveCaption(const CAICurveView& view);

// The command: asks for the file and its kind (by the file type chosen) and saves; the
// outcome is told through the message seam. Enabled while the pane has a document (the
// history pane: a file is open). Always true: the command is handled.
bool SaveWaveImageCmd(CCmdUI* pUI, CAICurveVw* view, QWidget* parent);
bool SaveWaveImageCmd(CCmdUI* pUI, CAICurveView* view, QWidget* parent);

} // namespace nuv
