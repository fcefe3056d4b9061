// Painting of the waveform views: the background layer (frame, dotted grid, separators,
// labels, index axis, start marker), the trace layer, their OR composition and the XOR
// cursor lines. Both views describe what to draw in a CurveScene and share one painter.
#pragma once

#include <QHash>
#include <QStaticText>

#include "views/curvegeom.h"
#include "views/curvemeasure.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QRgb>

#include <cstdint>
#include <vector>

class QPainter;

namespace nuv {

struct CurveScene {
    curve::Layout layout;
    int strips = 0;                        // live 8, history: channels in the file
    const curve::Scale* scales = nullptr;  // per strip
    const curve::StripGeom* geoms = nullptr;
    int inner = 0;                         // trace band height of a strip
    const int* channelNo = nullptr;        // channel named in the strip's labels
    const QRgb* colors = nullptr;          // per strip
    bool history = false;
    bool tiled = true;
    bool allStrips = true;
    int selected = 0;
    int position = 0;
    int extent = 800;                      // last index of grid and axis
    int bandWidth = 800;                   // width of the selected band
    // traces of all-strips mode
    const QPoint* const* points = nullptr; // per strip
    const int* pointCount = nullptr;
    // the enlarged channel's trace
    const QPoint* enlarged = nullptr;
    int enlargedCount = 0;
    // cursor lines
    int cursorCount = 2;
    int cursorX[2]{0, 0};
    QRgb cursorColor[2]{0xFFFF0000u, 0xFFFFFFFFu};
    // measuring: value scales fitted to the readings (per strip, null for the ranges'
    // scales; the enlarged channel's own), and the index axis read as time
    const measure::FittedScale* fitted = nullptr;
    measure::FittedScale fittedEnlarged;
    double periodMs = 0.0;                 // > 0: elapsed time instead of the index
    int64_t timeOrigin = 0;                // readings of the run before index 0
};

class CCurvePainter {
public:
    CCurvePainter();

    // Drops the layers (size change); the next paint re-creates them and redraws all.
    void DropLayers();
    // Paints `region` of the client (all of it when empty): the background layer is drawn
    // again on new layers and when `fullRedraw` asks and anything it shows changed; the traces
    // are ORed over it and the cursor lines XORed onto `target`. `dpr` is the target's
    // device pixel ratio; the layers are kept in device pixels. `reference` draws the
    // traces with the paint engine into a layer of their own (the slow way, kept for
    // output devices and to check the fast one against).
    void Paint(QPainter& target, const CurveScene& scene, bool fullRedraw, qreal dpr,
               const QRegion& region = QRegion(), bool reference = false);
    // True when the background layer already shows what `scene` asks for.
    bool BackgroundCurrent(const CurveScene& scene) const;

    // The cursor lines, XORed onto what `target` shows: drawn twice they leave no trace.
    static void DrawCursors(QPainter& target, const CurveScene& scene);

    // The same picture for a vector device (PDF): background, grid, labels, traces and
    // cursor lines drawn straight onto `target`, without layers or raster operations
    // (on the black background the traces and cursors look as the OR and XOR leave them).
    void PaintVector(QPainter& target, const CurveScene& scene);

    const QImage& Background() const { return m_bg; }

    // Label font: "Arial" with a 14-pixel character cell.
    static QFont LabelFont();
    static constexpr int kLabelCellHeight = 14;
    // Advance of `text` in the label font.
    int TextWidth(const QString& text) const;

private:
    // Device size of the layers for `scene` at `dpr`.
    static QSize LayerSize(const CurveScene& scene, qreal dpr);
    bool EnsureLayers(const CurveScene& scene, qreal dpr);
    void PaintReference(QPainter& target, const CurveScene& scene);
    // Background and traces of `region` composed straight into the target's pixels (or a
    // layer of ours when they cannot be reached); false when the traces need the engine.
    bool PaintComposed(QPainter& target, const CurveScene& scene, const QRegion& region);
    bool TracesRasterizable(const CurveScene& scene) const;
    static void BackgroundKey(const CurveScene& scene, std::vector<uint64_t>& key);
    // A scroll that changes only the grid and the index axis redraws just those.
    bool CanMoveBackground(const CurveScene& scene) const;
    void MoveBackground(const CurveScene& scene);
    static void DrawFrame(QPainter& p, const curve::Rect& plot);
    static void FrameEdges(const curve::Rect& plot, QRect* edges);
    void KeepFrameEdges(const curve::Rect& plot);
    void RestoreFrameEdges(const curve::Rect& plot);
    // The index axis; labels left of `fromX` are left out.
    void DrawIndexLabels(QPainter& p, const CurveScene& scene, const QFontMetrics& fm, int fromX);
    static QRect IndexStrip(const curve::Layout& layout);   // the rows of the index axis
    // What XORing cursor line k from `top` to `bottom` does to each row (0: a gap).
    const std::vector<uint32_t>& CursorXors(int k, int top, int bottom, QRgb color);
    void DrawBackground(const CurveScene& scene);
    void DrawBackgroundOn(QPainter& p, const CurveScene& scene, bool bandDrawn);
    static QRect SelectedBand(const CurveScene& scene);   // empty when there is none
    static void DrawCursorLines(QPainter& p, const CurveScene& scene);
    void DrawGrid(QPainter& p, const CurveScene& scene);
    void DrawLabels(QPainter& p, const CurveScene& scene);
    void DrawTraces(const CurveScene& scene);
    QRect DrawTracesOn(QPainter& p, const CurveScene& scene);   // returns the area drawn
    void Dot(int x, int y, QRgb c);   // a grid dot where the layer is not written directly
    void DrawText(QPainter& p, const QFontMetrics& fm, int x, int baseline, const QString& text, bool rightAligned);

    QImage m_bg;
    QImage m_trace;        // the reference way's trace layer, made when first needed
    QImage m_composed;     // background and traces when the target's pixels are out of reach
    std::vector<uint64_t> m_bgKey;           // what the background layer shows
    mutable std::vector<uint64_t> m_keyScratch;
    int m_bgPosition = 0;             // position the background layer shows
    std::vector<QRgb> m_frameEdges;   // the frame's reach into the plot, before the grid
    bool m_bFrameEdges = false;
    bool m_indexStripClear = false;   // no value label reaches into the index axis's rows
    struct CursorPattern {
        int top = -1, bottom = -1;
        QRgb color = 0;
        std::vector<uint32_t> xors;
    };
    CursorPattern m_cursorPattern[2];
    QRect m_traceDirty;    // logical area of the trace layer that is not black
    qreal m_dpr = 1.0;
    QPainter* m_vector = nullptr;   // grid dots go here instead of into the layer
    QFont m_font;
    QFontMetrics m_metrics;
    mutable QHash<QString, int> m_widthCache;
    // Laid-out label texts: the same few dozen strings come back on every redraw, and
    // shaping them anew is most of the background's cost.
    struct CachedText {
        QStaticText text;
        int width = 0;
    };
    QHash<QString, CachedText> m_textCache;
    QColor m_textColor{220, 220, 220};   // colour the last value label left set
};

} // namespace nuv
