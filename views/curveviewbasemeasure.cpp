// The measuring side of the waveform views: reading period, statistics of the shown
// readings, fitted scales, the time axis and the cursor read-out.
#include "views/curveviewbase.h"

#include "views/readoutbar.h"
#include "acquisition/aitypes.h"
#include "datafile/csvexport.h"

#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

namespace nuv {

using namespace curve;

double CCurveViewBase::ReadingPeriod() const
{
    if (!m_source.readInterval || !HasDoc())
        return 0.0;
    uint32_t traced = 0;
    for (int i = 0; i < std::min(StripCount(), kMaxStrips); ++i)
        traced += StripCodes(i) != nullptr ? 1u : 0u;
    const double ms = ReadingPeriodMs(m_source.readInterval(), traced);
    return std::isfinite(ms) && ms > 0.0 ? ms : 0.0;
}

measure::ReadoutMode CCurveViewBase::ReadoutDisplayMode() const
{
    const int mode = m_source.displayMode ? m_source.displayMode() : int(measure::ReadoutMode::Value);
    return mode == 0 ? measure::ReadoutMode::Decimal
                     : (mode == 1 ? measure::ReadoutMode::Hex : measure::ReadoutMode::Value);
}

measure::ChannelDecode CCurveViewBase::StripDecode(int strip) const
{
    measure::ChannelDecode d;
    d.channel = m_nChannelNo[strip];
    d.rangeCode = uint32_t(m_nRangeCode[strip]);
    d.offset = m_scale[strip].lower;
    d.gain = m_scale[strip].step;
    if (IsHistory()) {
        RangeInfo ri{};
        ri.CodeStep = m_scale[strip].step;
        d.gain = PlaybackGain(ri);   // as the playback table decodes
    }
    return d;
}

void CCurveViewBase::UpdateSummaries(bool data, int count)
{
    const int n = StripCount();
    if (!data) {
        std::fill(std::begin(m_bHasSummary), std::end(m_bHasSummary), false);
        m_nFed = 0;
        if (m_sweep)
            m_sweep->Reset();
        return;
    }
    const int first = std::clamp(FirstShownReading(), 0, count);
    if (!SweepData()) {
        for (int i = 0; i < kMaxStrips; ++i) {
            const uint16_t* codes = i < n ? StripCodes(i) : nullptr;
            m_bHasSummary[i] = codes != nullptr;
            if (codes != nullptr)
                m_summary[i] = measure::SummariseCodes(codes + first, count - first, uint32_t(m_nRangeCode[i]));
        }
        return;
    }
    // A sweep grows reading by reading: only the readings since the last change are added.
    // It starts afresh when it started again (fewer samples than summarised), or when the
    // channels with a trace or their ranges changed.
    const uint16_t* codes[kMaxStrips]{};
    uint32_t key[kMaxStrips + 1]{};
    uint32_t ranges[kMaxStrips]{};
    for (int i = 0; i < n && i < kMaxStrips; ++i) {
        codes[i] = StripCodes(i);
        ranges[i] = uint32_t(m_nRangeCode[i]);
        key[i] = ranges[i];
        key[kMaxStrips] |= codes[i] != nullptr ? 1u << i : 0u;
    }
    if (!m_sweep) {
        m_sweep = std::make_unique<measure::SweepStats>();
        m_sweep->Configure(n, ranges, measure::SweepStats::kCapacity);
        std::copy(std::begin(key), std::end(key), std::begin(m_sweepKey));
        m_nFed = 0;
    } else if (!std::equal(std::begin(key), std::end(key), std::begin(m_sweepKey)) || m_sweep->Channels() != n) {
        m_sweep->Configure(n, ranges, measure::SweepStats::kCapacity);
        std::copy(std::begin(key), std::end(key), std::begin(m_sweepKey));
        m_nFed = 0;
    }
    if (count < m_nFed || count - first > measure::SweepStats::kCapacity) {
        m_sweep->Reset();
        m_nFed = 0;
    }
    uint16_t reading[kMaxStrips]{};
    for (int j = std::max(m_nFed, first); j < count; ++j) {
        for (int i = 0; i < n; ++i)
            reading[i] = codes[i] != nullptr ? codes[i][j] : 0;
        m_sweep->Push(reading);
    }
    m_nFed = count;
    for (int i = 0; i < kMaxStrips; ++i) {
        m_bHasSummary[i] = i < n && codes[i] != nullptr;
        if (m_bHasSummary[i])
            m_summary[i] = m_sweep->Summary(i);
    }
}

void CCurveViewBase::FitToData()
{
    for (int i = 0; i < kMaxStrips; ++i) {
        m_fit[i] = measure::FittedScale();
        if (!m_bFitScales || !m_bHasSummary[i])
            continue;
        const measure::ChannelStats st = measure::StatsOf(m_summary[i], StripDecode(i));
        m_fit[i] = measure::FitScale(st.valid, st.min, st.max, m_layout.divisions, m_scale[i].span);
    }
}

void CCurveViewBase::ResetShownStatistics()
{
    m_nFed = 0;
    if (m_sweep)
        m_sweep->Reset();
}

int CCurveViewBase::ShownStatistics(measure::ChannelDecode* decode, measure::ChannelStats* stats) const
{
    int n = 0;
    const int strips = std::min(StripCount(), kMaxStrips);
    for (int i = 0; i < strips; ++i) {
        if (!m_bHasSummary[i])
            continue;
        decode[n] = StripDecode(i);
        stats[n] = measure::StatsOf(m_summary[i], decode[n]);
        ++n;
    }
    return n;
}

void CCurveViewBase::SetStatisticsWanted(bool on)
{
    if (on == m_bStatsWanted)
        return;
    m_bStatsWanted = on;
    if (on)
        ComputePoints();   // the summaries of what is on show now
}

void CCurveViewBase::SetTimeAxis(bool on)
{
    m_bTimeAxis = on;
    m_bFullRedraw = true;
    viewport()->update();
}

void CCurveViewBase::SetFitScales(bool on)
{
    m_bFitScales = on;
    RecalcLayout();   // fitted labels may need a wider label column
    RedrawAll();
}

void CCurveViewBase::SetSecondCursor(bool on)
{
    m_bSecondCursor = on;
    viewport()->update();
    if (m_bReadout)
        PlaceReadout();
}

void CCurveViewBase::SetReadout(bool on)
{
    m_bReadout = on;
    PlaceReadout();
}

void CCurveViewBase::PlaceReadout()
{
    const int rows = CursorCount() == 2 ? 4 : 2;
    const int h = m_bReadout ? m_pReadout->HeightFor(rows) : 0;
    if (h != viewportMargins().bottom()) {
        setViewportMargins(0, 0, 0, h);
        Relayout();
    }
    const QRect vg = viewport()->geometry();
    m_pReadout->setGeometry(vg.left(), vg.bottom() + 1, vg.width(), h);
    m_pReadout->setVisible(m_bReadout);
    if (m_bReadout)
        UpdateReadout();
}

void CCurveViewBase::UpdateReadout()
{
    measure::ReadoutInput& in = m_readoutIn;
    in.cursors = CursorCount();
    in.periodMs = ReadingPeriod();
    in.timeOrigin = in.periodMs > 0.0 && m_source.timeOrigin ? m_source.timeOrigin() : 0;
    CurveScene scene;
    if (HasDoc())
        DescribeScene(scene);
    in.form = measure::TimeFormFor(double(in.timeOrigin + scene.extent) * in.periodMs);
    in.mode = ReadoutDisplayMode();
    in.decimals = ValueDecimals();
    int count = 0, x0 = 0;
    const bool data = HasDoc() && DataWindow(count, x0);
    const int position = HasDoc() ? Position() : 0;
    QRgb colors[8]{};
    const QRgb* trace = TraceColors();
    in.channels = 0;
    const int strips = std::min(StripCount(), kMaxStrips);
    for (int i = 0; i < strips; ++i) {
        const uint16_t* codes = HasDoc() ? StripCodes(i) : nullptr;
        if (codes == nullptr)
            continue;
        measure::ReadoutChannel& c = in.ch[in.channels];
        colors[in.channels] = trace != nullptr ? trace[i] : 0;
        ++in.channels;
        c.decode = StripDecode(i);
        for (int k = 0; k < 2; ++k) {
            const int j = m_nCursorX[k] - x0;
            c.has[k] = data && j >= 0 && j < count;
            c.code[k] = c.has[k] ? codes[j] : 0;
        }
    }
    for (int k = 0; k < 2; ++k)
        in.index[k] = CursorIndex(m_nCursorX[k], m_layout.plot.left, position);
    measure::MakeReadout(in, m_readout);
    if (m_bReadout)
        m_pReadout->Show(m_readout, in.periodMs > 0.0 ? 3 : 2, colors, CursorColors());
}

} // namespace nuv
