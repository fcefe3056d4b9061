// Size arithmetic of the docking tab bars and of the split panes; pure functions.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace nuv {

enum class BarSide { None, Top, Left, Right, Bottom, Floating };

struct BarLimits {
    static constexpr int kMinWidth = 128;
    static constexpr int kMinHeight = 128;
    static constexpr int kMaxWidth = 1024;   // floating only
    static constexpr int kMaxHeight = 768;   // floating only
    static constexpr int kEdge = 6;          // sizing strip
};

inline bool IsHorzSide(BarSide s) { return s == BarSide::Top || s == BarSide::Bottom; }
inline bool IsVertSide(BarSide s) { return s == BarSide::Left || s == BarSide::Right; }

// New size across a docked bar after its inner edge was dragged: `cur` the stored size
// across the bar, `d` the distance moved towards the inside of the window, `avail` the
// frame's client height (top/bottom) or width (left/right), `minimum` the bar's minimum.
int DraggedBarSize(int cur, int d, int avail, int minimum);

// Distance a drag from `from` to `to` (along the bar's sizing axis) moved towards the
// inside of the window for a bar on `side`.
int InwardDistance(BarSide side, int from, int to);

// Floating size requests: the requested length clamped to the floating limits.
int FloatingWidth(int requested);
int FloatingHeight(int requested);
QSize ClampFloatingSize(QSize requested);

// The 6-pixel sizing strip inside a bar of size `bar` docked on `side` (empty when
// floating): on the side facing the inside of the window.
QRect EdgeRect(BarSide side, QSize bar);

// Layout of a tab bar's content for a client of size (w, h): the tab control and the area
// every view takes.
struct TabBarLayout {
    QRect tabs;
    QRect view;
};
TabBarLayout LayoutTabBar(BarSide side, int w, int h);

// A label on a bar tab keeps its first 31 characters.
constexpr int kBarLabelMax = 31;
// A window tab draws its first 63 characters.
constexpr int kWindowTabTextMax = 63;

// Width of the split window's left pane after a resize to `clientWidth`: never more than a
// third of it. Returns `col0` when it already fits.
int ClampLeftPane(int col0, int clientWidth);

// Lengths of `minimum.size()` tiled windows sharing `total` pixels: each gets its minimum
// and an equal part of what is left; when the minimums do not fit, equal shares.
QList<int> TileLengths(const QList<int>& minimum, int total);

// Where the greeting goes in a client rectangle: the rectangle whose right and bottom
// edges are the client's and whose left/top edges lie text width + average character
// width and text height + line height from them.
QRect GreetingRect(const QRect& client, int textWidth, int textHeight, int avgCharWidth, int lineHeight);

} // namespace nuv
