// What changed in the history document: the hint CAIHistDoc hands its views with
// UpdateAllViews. The document has changed its own state already; each view reads what it
// shows from it. The document knows its views only as CView.
#pragma once

namespace nuv {

enum class HistHint : int {
    None = 0,
    // Another file is open: its channel configuration, the ranges of the enabled channels
    // (m_RangeInfo), the counts and the scroll range. The window is not loaded yet.
    FileOpened,
    // The window at m_nPosition was loaded afresh (after an open); nobody scrolled.
    WindowLoaded,
    // A scroll moved m_nPosition and the window holds the readings from there. The
    // waveform's cursors keep their place on screen, so the readings under them change.
    PositionMoved,
    // The readings under the waveform cursors (m_nCursorScan) changed.
    CursorsMoved,
    // Tiled or overlaid strips (m_bTile).
    DisplayMode,
    // The table's number format (m_nDigitMode).
    DigitMode,
};

} // namespace nuv
