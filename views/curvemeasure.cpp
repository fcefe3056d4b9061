#include "views/curvemeasure.h"

#include "acquisition/aitypes.h"

#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace nuv::measure {

// ---- time axis ----

TimeForm TimeFormFor(double spanMs)
{
    if (spanMs < 60000.0)
        return TimeForm::Seconds;
    if (spanMs < 3600000.0)
        return TimeForm::MinSec;
    return TimeForm::HourMinSec;
}

int TimeDecimals(double stepMs)
{
    const int64_t ms = std::llround(std::fabs(stepMs));
    if (ms % 1000 == 0)
        return 0;
    if (ms % 100 == 0)
        return 1;
    if (ms % 10 == 0)
        return 2;
    return 3;
}

QString ElapsedText(double ms, TimeForm form, int decimals)
{
    decimals = std::clamp(decimals, 0, 3);
    int64_t unit = 1;   // parts of a second counted
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    const double t = std::isfinite(ms) && ms > 0.0 ? ms : 0.0;
    const int64_t n = std::llround(t * double(unit) / 1000.0);
    const int64_t whole = n / unit;
    const int64_t part = n % unit;
    QString frac;
    if (decimals > 0)
        frac = QStringLiteral(".%1").arg(part, decimals, 10, QLatin1Char('0'));
    switch (form) {
    case TimeForm::Seconds: return QString::number(whole) + frac + QLatin1Char('s');
    case TimeForm::MinSec:
        return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0')) + frac;
    case TimeForm::HourMinSec:
        return QStringLiteral("%1:%2:%3")
                   .arg(whole / 3600)
                   .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
                   .arg(whole % 60, 2, 10, QLatin1Char('0')) +
               frac;
    }
    return {};
}

int TimeAxisLabels(const curve::Layout& lay, int position, int extent, double periodMs, int64_t origin,
                   curve::Label* out, int capacity)
{
    const TimeForm form = TimeFormFor(double(origin + extent) * periodMs);
    const int decimals = TimeDecimals(curve::kGridSpacing * periodMs);
    const QString zero = origin == 0 ? QStringLiteral("0") : ElapsedText(double(origin) * periodMs, form, decimals);
    return curve::AxisLabels(
        lay, position, extent, QStringLiteral("Time"), zero,
        [&](int64_t v) { return ElapsedText(double(origin + v) * periodMs, form, decimals); }, out, capacity);
}

QString ClockText(const QDateTime& start, double periodMs, int64_t index)
{
    const int64_t ms = std::llround(double(std::max<int64_t>(index, 0)) * std::max(periodMs, 0.0));
    if (start.isValid())
        return start.addMSecs(ms).time().toString(QStringLiteral("hh:mm:ss.zzz"));
    const int64_t s = ms / 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// ---- fitted scales ----

namespace {

// The smallest step 1, 2 or 5 times a power of ten that is at least `raw`.
double NiceStep(double raw)
{
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw * (1.0 - 1e-12))
            return m * p;
    return 10.0 * p;
}

double NextStep(double step)
{
    const double p = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double m = step / p;
    return m < 1.5 ? 2.0 * p : (m < 3.5 ? 5.0 * p : 10.0 * p);
}

} // namespace

FittedScale FitScale(bool any, double lo, double hi, int divisions, double rangeSpan)
{
    FittedScale f;
    if (!any || !std::isfinite(lo) || !std::isfinite(hi))
        return f;
    if (hi < lo)
        std::swap(lo, hi);
    double a, b;
    const double spread = hi - lo;
    const double size = std::max({std::fabs(lo), std::fabs(hi), 1e-300});
    if (spread <= size * 1e-9) {
        double pad = 0.05 * std::fabs(lo);
        if (!(pad > 0.0))
            pad = std::isfinite(rangeSpan) && rangeSpan > 0.0 ? 0.001 * rangeSpan : 1e-3;
        a = lo - pad;
        b = hi + pad;
    } else {
        a = lo - 0.05 * spread;
        b = hi + 0.05 * spread;
    }
    const int n = std::max(1, divisions);
    double step = NiceStep((b - a) / n);
    if (!std::isfinite(step) || !(step > 0.0))
        return f;
    for (int tries = 0; tries < 8; ++tries) {
        // Both ends on multiples of the step; the first step that needs no more divisions
        // than the strip's grid has.
        const double first = std::floor(a / step + 1e-9);
        const double last = std::ceil(b / step - 1e-9);
        const int k = std::max(1, int(last - first));
        if (k <= n) {
            f.fitted = true;
            f.lower = first * step;
            f.upper = (first + k) * step;
            f.step = step;
            f.divisions = k;
            f.decimals = std::clamp(int(-std::floor(std::log10(step) + 1e-9)), 1, 9);
            return f;
        }
        step = NextStep(step);
    }
    return f;
}

bool FittedRow(const FittedScale& f, double base, int inner, double value, int* y)
{
    const double span = f.upper - f.lower;
    if (!f.fitted || inner <= 0 || !(span > 0.0) || !std::isfinite(value))
        return false;
    const double off = (value - f.lower) * double(inner) / span;
    if (!std::isfinite(off) || std::fabs(off) > double(curve::kCoordLimit))
        return false;
    *y = int(base) - int(std::trunc(off));
    return true;
}

int FittedPoints(const uint16_t* codes, int count, int x0, double offset, double gain, const FittedScale& f,
                 double base, int inner, QPoint* out, int capacity)
{
    const double span = f.upper - f.lower;
    if (!f.fitted || inner <= 0 || !(span > 0.0) || codes == nullptr)
        return 0;
    // off = (offset + code * gain - lower) * inner / span, as one multiply-add per code
    const double a = gain * double(inner) / span;
    const double b = (offset - f.lower) * double(inner) / span;
    const int b0 = int(base);
    int n = 0;
    for (int j = 0; j < count && n < capacity; ++j) {
        const double off = b + double(codes[j]) * a;
        if (!(std::fabs(off) <= double(curve::kCoordLimit)))
            continue;
        out[n++] = QPoint(x0 + j, b0 - int(std::trunc(off)));
    }
    return n;
}

int FittedLabels(const FittedScale& f, double base, int inner, int x, int group, int channelNo, uint32_t rangeCode,
                 bool named, curve::Label* out, int capacity)
{
    if (!f.fitted || f.divisions <= 0)
        return 0;
    const QString unit = QLatin1Char(' ') + RangeUnitText(rangeCode);
    const int n = f.divisions;
    int count = 0;
    for (int e = 0; e <= n && count < capacity; ++e) {
        // From the top, as the range labels run; each value from its multiple of the step,
        // so no rounding piles up.
        const double v = f.lower + double(n - e) * f.step;
        int row = 0;
        if (!FittedRow(f, base, inner, v, &row))
            continue;
        curve::Label& l = out[count++];
        const QString num = QString::number(std::fabs(v) < f.step * 1e-9 ? 0.0 : v, 'f', f.decimals);
        l.text = named && e == n / 2 ? QStringLiteral("AI%1 ").arg(channelNo) + num + unit : num + unit;
        l.rank = named && e == n / 2 ? curve::kRankName
                                     : (e == 0 ? curve::kRankTop : (e == n ? curve::kRankBottom : curve::kRankOther));
        l.group = group;
        l.x = x;
        l.y = row + 4;
    }
    return count;
}

// ---- cursor read-out ----

namespace {

QString CodeText(ReadoutMode mode, int64_t code)
{
    if (mode == ReadoutMode::Hex)
        return code < 0 ? QStringLiteral("-") + QString::number(-code, 16) : QString::number(code, 16);
    return QString::number(code);
}

} // namespace

void MakeReadout(const ReadoutInput& in, Readout& out)
{
    const int cursors = std::clamp(in.cursors, 1, 2);
    const int channels = std::clamp(in.channels, 0, 8);
    const bool times = in.periodMs > 0.0 && std::isfinite(in.periodMs);
    const int first = times ? 3 : 2;   // first channel column
    out.columns = first + channels;
    out.rows = 1 + cursors + (cursors == 2 ? 1 : 0);
    const QString none = QStringLiteral("--");

    // Heading
    out.cell[0][0].clear();
    out.cell[0][1] = QStringLiteral("序号");
    if (times)
        out.cell[0][2] = QStringLiteral("时间");
    for (int k = 0; k < channels; ++k) {
        const ChannelDecode& d = in.ch[k].decode;
        const QString what = in.mode == ReadoutMode::Decimal ? QStringLiteral("Dec")
                             : in.mode == ReadoutMode::Hex   ? QStringLiteral("Hex")
                                                             : RangeUnitText(d.rangeCode);
        out.cell[0][first + k] = QStringLiteral("AI%1(%2)").arg(d.channel).arg(what);
    }

    auto value = [&](const ReadoutChannel& c, int i) {
        return CodeToValue(c.code[i], c.decode.offset, c.decode.gain);
    };
    for (int i = 0; i < cursors; ++i) {
        QString* row = out.cell[1 + i];
        row[0] = i == 0 ? QStringLiteral("光标1") : QStringLiteral("光标2");
        row[1] = QString::number(in.index[i]);
        if (times)
            row[2] = ElapsedText(double(in.timeOrigin + in.index[i]) * in.periodMs, in.form, 3);
        for (int k = 0; k < channels; ++k) {
            const ReadoutChannel& c = in.ch[k];
            if (!c.has[i])
                row[first + k] = none;
            else if (in.mode == ReadoutMode::Value && Breakable(c.decode.rangeCode) && c.code[i] == 0xFFFFu)
                row[first + k] = QStringLiteral("断偶");
            else if (in.mode == ReadoutMode::Value)
                row[first + k] = QString::number(value(c, i), 'f', in.decimals);
            else
                row[first + k] = CodeText(in.mode, c.code[i]);
        }
    }
    if (cursors < 2)
        return;
    QString* row = out.cell[3];
    row[0] = QStringLiteral("Δ");
    const int64_t di = in.index[1] - in.index[0];
    row[1] = QString::number(di);
    if (times)
        row[2] = (di < 0 ? QStringLiteral("-") : QString()) +
                 ElapsedText(std::fabs(double(di) * in.periodMs), in.form, 3);
    for (int k = 0; k < channels; ++k) {
        const ReadoutChannel& c = in.ch[k];
        const bool broken = Breakable(c.decode.rangeCode) && (c.code[0] == 0xFFFFu || c.code[1] == 0xFFFFu);
        if (!c.has[0] || !c.has[1] || (in.mode == ReadoutMode::Value && broken))
            row[first + k] = none;
        else if (in.mode == ReadoutMode::Value)
            row[first + k] = QString::number(value(c, 1) - value(c, 0) + 0.0, 'f', in.decimals);
        else
            row[first + k] = CodeText(in.mode, int64_t(c.code[1]) - int64_t(c.code[0]));
    }
}

QString ReadoutLine(const Readout& r, const ReadoutInput& in, int row)
{
    if (row <= 0 || row >= r.rows)
        return {};
    const bool times = r.columns - std::clamp(in.channels, 0, 8) == 3;
    const int first = times ? 3 : 2;
    QString line = r.cell[row][0] + QStringLiteral("  #") + r.cell[row][1];
    if (times)
        line += QStringLiteral("  ") + r.cell[row][2];
    for (int k = first; k < r.columns; ++k) {
        const ReadoutChannel& c = in.ch[k - first];
        line += QStringLiteral("  AI%1 ").arg(c.decode.channel) + r.cell[row][k];
        if (in.mode == ReadoutMode::Value && r.cell[row][k] != QLatin1String("--") &&
            r.cell[row][k] != QStringLiteral("断偶"))
            line += QLatin1Char(' ') + RangeUnitText(c.decode.rangeCode);
    }
    return line;
}

} // namespace nuv::measure
