#include "app/tabs/barsizing.h"

#include <algorithm>

namespace nuv {

int DraggedBarSize(int cur, int d, int avail, int minimum)
{
    return std::max(minimum, std::min(cur + d, cur + avail));
}

int InwardDistance(BarSide side, int from, int to)
{
    switch (side) {
    case BarSide::Top:
    case BarSide::Left:
        return to - from;
    case BarSide::Bottom:
    case BarSide::Right:
        return from - to;
    default:
        return 0;
    }
}

int FloatingWidth(int requested)
{
    return std::max(BarLimits::kMinWidth, std::min(BarLimits::kMaxWidth, requested));
}

int FloatingHeight(int requested)
{
    return std::max(BarLimits::kMinHeight, std::min(BarLimits::kMaxHeight, requested));
}

QSize ClampFloatingSize(QSize requested)
{
    return {FloatingWidth(requested.width()), FloatingHeight(requested.height())};
}

QRect EdgeRect(BarSide side, QSize bar)
{
    const int e = BarLimits::kEdge;
    switch (side) {
    case BarSide::Top:
        return QRect(0, bar.height() - e, bar.width(), e);
    case BarSide::Bottom:
        return QRect(0, 0, bar.width(), e);
    case BarSide::Left:
        return QRect(bar.width() - e, 0, e, bar.height());
    case BarSide::Right:
        return QRect(0, 0, e, bar.height());
    default:
        return {};
    }
}

TabBarLayout LayoutTabBar(BarSide side, int w, int h)
{
    const bool flatSide = IsHorzSide(side) || side == BarSide::Floating || side == BarSide::None;
    const int h2 = h - (flatSide ? 12 : 14);
    TabBarLayout l;
    l.tabs = QRect(7, 7, std::max(0, w - 14), std::max(0, h2));
    l.view = QRect(9, 29, std::max(0, w - 18), std::max(0, h2 - 25));
    return l;
}

int ClampLeftPane(int col0, int clientWidth)
{
    const int third = std::max(0, clientWidth / 3);
    return col0 > third ? third : col0;
}

QRect GreetingRect(const QRect& client, int textWidth, int textHeight, int avgCharWidth, int lineHeight)
{
    const int right = client.x() + client.width();
    const int bottom = client.y() + client.height();
    const int left = right - (textWidth + avgCharWidth);
    const int top = bottom - (textHeight + lineHeight);
    return QRect(left, top, right - left, bottom - top);
}

QList<int> TileLengths(const QList<int>& minimum, int total)
{
    const int n = int(minimum.size());
    QList<int> lengths;
    if (n == 0)
        return lengths;
    long long need = 0;
    for (int m : minimum)
        need += std::max(0, m);
    if (need > total) {
        for (int i = 0; i < n; ++i)
            lengths.append(total / n);
        return lengths;
    }
    const int spare = int(total - need);
    for (int i = 0; i < n; ++i)
        lengths.append(std::max(0, minimum[i]) + spare / n);
    return lengths;
}

} // namespace nuv
