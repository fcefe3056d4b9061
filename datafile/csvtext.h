// Text of the CSV export's cells, written straight into a buffer: values with a fixed
// number of decimals from their exact binary form, and ISO 8601 local times. Used by the
// exporter only.
#pragma once

#include "acquisition/aitypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace nuv::csvtext {

inline constexpr uint64_t kPow10[10] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// `v` with D decimals (5..9) as the history table writes it (Qt's "%.*f"): the exact
// binary value, its mantissa times 10^D shifted down, an exact half rounded away from
// zero. Values too large for that (never a module's) are written in the shortest exact form.
// Decimal digits of `v`; the integer parts of readings are short.
inline char* PutUInt(char* p, uint64_t v)
{
    if (v < 10) {
        *p = char('0' + v);
        return p + 1;
    }
    if (v < 100000) {
        char tmp[5];
        int n = 0;
        for (; v != 0; v /= 10)
            tmp[n++] = char('0' + v % 10);
        while (n > 0)
            *p++ = tmp[--n];
        return p;
    }
    return std::to_chars(p, p + 20, v).ptr;
}

template <int D> char* PutFixed(char* p, double v, double limit)
{
    if (!(std::fabs(v) < limit))
        return std::to_chars(p, p + 32, v).ptr;
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    const int field = int((bits >> 52) & 0x7FF);
    uint64_t m = bits & ((uint64_t(1) << 52) - 1);
    int e = -1074;
    if (field != 0) {
        m |= uint64_t(1) << 52;
        e = field - 1075;
    }
    constexpr uint64_t scale = kPow10[D];
    const unsigned __int128 n = static_cast<unsigned __int128>(m) * scale;
    uint64_t q = 0;
    if (e >= 0) {
        q = uint64_t(n << e);
    } else if (e > -120) {
        const unsigned __int128 one = 1;
        const int s = -e;
        q = uint64_t(n >> s);
        const unsigned __int128 rest = n & ((one << s) - 1), half = one << (s - 1);
        if (rest >= half)
            ++q;
    }
    if (bits >> 63)
        *p++ = '-';
    uint64_t frac = q % scale;
    p = PutUInt(p, q / scale);
    *p = '.';
    for (int i = D; i > 0; --i, frac /= 10)
        p[i] = char('0' + frac % 10);
    return p + D + 1;
}

// How one channel's codes become text.
struct ValueForm {
    double Offset = 0;
    double Gain = 0;
    int Decimals = 5;
    double Limit = 0;   // values below it in magnitude are written in fixed notation
    ValueForm(double offset, double gain) : Offset(offset), Gain(gain)
    {
        // Enough decimals that neighbouring codes never print alike; playback's table
        // shows five, and so does every range of the module.
        const double step = std::fabs(gain);
        while (Decimals < 9 && step > 0 && std::pow(10.0, -Decimals) >= step)
            ++Decimals;
        Limit = 1e18 / double(kPow10[Decimals]);
    }
    char* Put(char* p, uint16_t code) const
    {
        const double v = CodeToValue(code, Offset, Gain);
        switch (Decimals) {
        case 5: return PutFixed<5>(p, v, Limit);
        case 6: return PutFixed<6>(p, v, Limit);
        case 7: return PutFixed<7>(p, v, Limit);
        case 8: return PutFixed<8>(p, v, Limit);
        default: return PutFixed<9>(p, v, Limit);
        }
    }
};

// ISO 8601 local time with milliseconds of reading i: the start time plus i periods. The
// date and the minute are formatted once per minute; a zone whose offset is not whole
// minutes is formatted reading by reading.
class TimeTexts {
public:
    TimeTexts(const QDateTime& start, double periodMs)
        : m_valid(start.isValid()), m_start(m_valid ? start.toMSecsSinceEpoch() : 0), m_period(periodMs),
          m_wholeMs(periodMs == std::floor(periodMs) && periodMs < 1e9 ? int64_t(periodMs) : 0)
    {
    }

    char* Put(char* p, uint64_t index)
    {
        if (!m_valid)
            return p;
        const int64_t t = m_start + (m_wholeMs > 0 ? int64_t(index) * m_wholeMs : std::llround(double(index) * m_period));
        if (m_perReading)
            return PutWhole(p, t);
        const int64_t minute = t >= 0 ? t / 60000 : -((-t + 59999) / 60000);
        if (minute != m_minute) {
            const QDateTime local = QDateTime::fromMSecsSinceEpoch(minute * 60000);
            if (local.time().second() != 0 || local.time().msec() != 0) {
                m_perReading = true;
                return PutWhole(p, t);
            }
            m_minute = minute;
            const QByteArray prefix = local.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:")).toLatin1();
            m_prefixLength = std::min<int>(int(prefix.size()), int(sizeof m_prefix));
            std::memcpy(m_prefix, prefix.constData(), size_t(m_prefixLength));
        }
        const int rest = int(t - minute * 60000);
        std::memcpy(p, m_prefix, size_t(m_prefixLength));
        p += m_prefixLength;
        const int sec = rest / 1000, ms = rest % 1000;
        *p++ = char('0' + sec / 10);
        *p++ = char('0' + sec % 10);
        *p++ = '.';
        *p++ = char('0' + ms / 100);
        *p++ = char('0' + ms / 10 % 10);
        *p++ = char('0' + ms % 10);
        return p;
    }

private:
    static char* PutWhole(char* p, int64_t t)
    {
        const QByteArray all =
            QDateTime::fromMSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")).toLatin1();
        const size_t n = std::min<size_t>(size_t(all.size()), 40);
        std::memcpy(p, all.constData(), n);
        return p + n;
    }

    bool m_valid;
    int64_t m_start;
    double m_period;
    int64_t m_wholeMs;   // the period when it is whole milliseconds, else 0
    int64_t m_minute = std::numeric_limits<int64_t>::min();
    bool m_perReading = false;
    char m_prefix[40]{};
    int m_prefixLength = 0;
};

} // namespace nuv::csvtext
