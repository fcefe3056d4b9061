#include "views/chanstats.h"

#include "acquisition/aitypes.h"
#include "datafile/csvexport.h"
#include "datafile/fileheader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <bit>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <cstdint>
#include <cstring>
#include <vector>

namespace nuv::measure {

int RecordingDecodes(const HistLayout& l, ChannelDecode out[8])
{
    int n = 0;
    for (int k = 0; k < l.EnabledCount && k < 8; ++k) {
        const int c = l.Enabled[k];
        ChannelDecode& d = out[n++];
        d.channel = c;
        d.rangeCode = l.Param.Range[c];
        d.offset = l.Info.Range[c].RangeMin;
        d.gain = PlaybackGain(l.Info.Range[c]);
    }
    return n;
}

void CodeSummary::Merge(const CodeSummary& o)
{
    count += o.count;
    broken += o.broken;
    sum += o.sum;
    min = std::min(min, o.min);
    max = std::max(max, o.max);
}

bool Breakable(uint32_t rangeCode)
{
    return IsBreakCode(rangeCode, 0xFFFFu);
}

ChannelStats StatsOf(const CodeSummary& s, const ChannelDecode& d)
{
    ChannelStats st;
    st.count = s.count;
    st.broken = s.broken;
    if (s.count == 0)
        return st;
    st.valid = true;
    const double lo = CodeToValue(s.min, d.offset, d.gain);
    const double hi = CodeToValue(s.max, d.offset, d.gain);
    st.max = std::max(lo, hi);
    st.min = std::min(lo, hi);
    st.mid = (st.max + st.min) / 2.0;
    st.amplitude = st.max - st.min;
    st.mean = d.offset + double(s.sum) / double(s.count) * d.gain;
    return st;
}

StatsRowText StatsRow(const ChannelStats& st, const ChannelDecode& d, int decimals)
{
    StatsRowText t;
    t.channel = QStringLiteral("AI%1").arg(d.channel);
    const QString unit = RangeUnitText(d.rangeCode);
    if (st.valid) {
        const double v[5] = {st.max, st.mid, st.min, st.amplitude, st.mean};
        for (int i = 0; i < 5; ++i)
            t.cells[i] = QString::number(v[i] + 0.0, 'f', decimals) + QLatin1Char(' ') + unit;
    }
    t.tip = QStringLiteral("AI%1: 统计了%2个读数").arg(d.channel).arg(st.count);
    if (st.broken > 0 || Breakable(d.rangeCode))
        t.tip += QStringLiteral(", 剔除了%1个断偶读数").arg(st.broken);
    return t;
}

CodeSummary SummariseCodes(const uint16_t* codes, int64_t count, uint32_t rangeCode)
{
    CodeSummary s;
    const bool brk = Breakable(rangeCode);
    uint64_t sum = 0, broken = 0;
    uint16_t lo = 0xFFFF, hi = 0;
    for (int64_t i = 0; i < count; ++i) {
        const uint16_t v = codes[i];
        const bool b = brk && v == 0xFFFFu;
        broken += b;
        sum += b ? 0u : v;
        hi = std::max<uint16_t>(hi, b ? 0 : v);
        lo = std::min(lo, v);   // a break code (65535) never lowers the minimum
    }
    s.count = uint64_t(count) - broken;
    s.broken = broken;
    s.sum = sum;
    if (s.count > 0) {
        s.min = lo;
        s.max = hi;
    }
    return s;
}

namespace {

void SummariseRecordsScalar(const uint8_t* p, uint64_t records, int n, const bool* brk, CodeSummary* out)
{
    for (uint64_t r = 0; r < records; ++r)
        for (int c = 0; c < n; ++c, p += 2)
            out[c].Add(uint16_t(p[0] | (p[1] << 8)), brk[c]);
}

#if defined(__GNUC__)
typedef uint16_t U16x8 __attribute__((vector_size(16)));
typedef int16_t I16x8 __attribute__((vector_size(16)));
typedef uint32_t U32x4 __attribute__((vector_size(16)));

// Eight records of N codes are N vectors of eight codes; lane l of vector j always holds
// channel (8j + l) mod N, so each vector position keeps its own accumulators and the lanes
// are given to their channels at the end.
template <int N>
void SummariseGroups(const uint8_t* p, uint64_t groups, const bool* brk, CodeSummary* out)
{
    const U16x8 flip = U16x8{} + 0x8000;
    uint64_t sum[N][8]{}, broken[N][8]{};
    // Sign-flipped codes: the signed compare orders them as the unsigned codes.
    I16x8 mx[N], mn[N];
    for (int j = 0; j < N; ++j) {
        mx[j] = I16x8{} + int16_t(INT16_MIN);   // code 0
        mn[j] = I16x8{} + int16_t(INT16_MAX);   // code 65535
    }
    // A slice of groups stays in the cache while each vector position runs over it with
    // its accumulators in registers. Lane sums fit 32 bits and break counts 16 bits for
    // 65535 groups.
    constexpr uint64_t kSlice = 2048;
    while (groups > 0) {
        const uint64_t slice = std::min<uint64_t>(groups, kSlice);
        for (int j = 0; j < N; ++j) {
            U16x8 bmask;
            for (int l = 0; l < 8; ++l)
                bmask[l] = brk[(8 * j + l) % N] ? 0xFFFF : 0;
            U32x4 slo = U32x4{}, shi = U32x4{};
            U16x8 bc = U16x8{};
            I16x8 hi = mx[j], lo = mn[j];
            const uint8_t* q = p + 16 * j;
            for (uint64_t g = 0; g < slice; ++g, q += 16 * N) {
                U16x8 v;
                std::memcpy(&v, q, 16);
                const U16x8 isb = U16x8(v == 0xFFFF) & bmask;
                bc -= isb;   // 0xFFFF counts one
                const I16x8 s = I16x8(v ^ flip);
                const I16x8 sm = s ^ I16x8(isb);   // a break code becomes code 0 for the maximum
                hi = sm > hi ? sm : hi;
                lo = s < lo ? s : lo;
                U32x4 w;
                std::memcpy(&w, &v, 16);
                slo += w & 0xFFFF;
                shi += w >> 16;
            }
            mx[j] = hi;
            mn[j] = lo;
            for (int k = 0; k < 4; ++k) {
                sum[j][2 * k] += slo[k];
                sum[j][2 * k + 1] += shi[k];
            }
            for (int l = 0; l < 8; ++l)
                broken[j][l] += bc[l];
        }
        p += slice * 16 * N;
        groups -= slice;
    }
    for (int j = 0; j < N; ++j)
        for (int l = 0; l < 8; ++l) {
            CodeSummary& o = out[(8 * j + l) % N];
            o.broken += broken[j][l];
            o.sum += sum[j][l] - 65535ull * broken[j][l];
            o.max = std::max(o.max, uint16_t(uint16_t(mx[j][l]) ^ 0x8000u));
            o.min = std::min(o.min, uint16_t(uint16_t(mn[j][l]) ^ 0x8000u));
        }
}

template <int N>
void SummariseVector(const uint8_t* p, uint64_t records, const bool* brk, CodeSummary* out)
{
    const uint64_t groups = records / 8;
    // Counts first: the lanes only add breaks, sums and extremes.
    uint64_t brokenBefore[N];
    for (int c = 0; c < N; ++c)
        brokenBefore[c] = out[c].broken;
    SummariseGroups<N>(p, groups, brk, out);
    for (int c = 0; c < N; ++c)
        out[c].count += groups * 8 - (out[c].broken - brokenBefore[c]);
    SummariseRecordsScalar(p + groups * 16 * N, records - groups * 8, N, brk, out);
}
#endif

} // namespace

void SummariseRecords(const uint8_t* bytes, uint64_t records, int channels, const uint32_t* rangeCodes,
                      CodeSummary* out)
{
    if (channels <= 0 || channels > 8 || records == 0)
        return;
    bool brk[8]{};
    for (int c = 0; c < channels; ++c)
        brk[c] = Breakable(rangeCodes[c]);
#if defined(__GNUC__)
    if constexpr (std::endian::native == std::endian::little) {
        // A channel whose every reading broke keeps an empty summary: its maximum lane
        // saw only the masked code 0.
        CodeSummary acc[8];
        switch (channels) {
        case 1: SummariseVector<1>(bytes, records, brk, acc); break;
        case 2: SummariseVector<2>(bytes, records, brk, acc); break;
        case 3: SummariseVector<3>(bytes, records, brk, acc); break;
        case 4: SummariseVector<4>(bytes, records, brk, acc); break;
        case 5: SummariseVector<5>(bytes, records, brk, acc); break;
        case 6: SummariseVector<6>(bytes, records, brk, acc); break;
        case 7: SummariseVector<7>(bytes, records, brk, acc); break;
        default: SummariseVector<8>(bytes, records, brk, acc); break;
        }
        for (int c = 0; c < channels; ++c) {
            if (acc[c].count == 0) {
                acc[c].min = 0xFFFF;
                acc[c].max = 0;
            }
            out[c].Merge(acc[c]);
        }
        return;
    }
#endif
    SummariseRecordsScalar(bytes, records, channels, brk, out);
}

// ---- SweepStats ----

void SweepStats::Configure(int channels, const uint32_t* rangeCodes, int window)
{
    m_nChannels = std::clamp(channels, 0, 8);
    m_nWindow = std::clamp(window, 1, kCapacity);
    for (int c = 0; c < 8; ++c) {
        m_Range[c] = c < m_nChannels ? rangeCodes[c] : 0;
        m_bBreakable[c] = c < m_nChannels && Breakable(m_Range[c]);
    }
    Reset();
}

void SweepStats::Reset()
{
    m_nSize = 0;
    for (int c = 0; c < 8; ++c) {
        m_Sum[c] = 0;
        m_Count[c] = 0;
        m_Broken[c] = 0;
        m_Max[c].head = m_Max[c].tail = 0;
        m_Min[c].head = m_Min[c].tail = 0;
    }
}

void SweepStats::Push(const uint16_t* codes)
{
    const uint32_t seq = m_nNext++;
    if (m_nSize == m_nWindow) {
        const uint32_t old = seq - uint32_t(m_nWindow);
        for (int c = 0; c < m_nChannels; ++c) {
            const uint16_t v = Code(old, c);
            if (m_bBreakable[c] && v == 0xFFFFu) {
                --m_Broken[c];
                continue;
            }
            m_Sum[c] -= v;
            --m_Count[c];
            // The oldest reading is the front of a queue when it is in the queue at all.
            Queue& mx = m_Max[c];
            if (mx.head != mx.tail && mx.seq[mx.head & kMask] == old)
                ++mx.head;
            Queue& mn = m_Min[c];
            if (mn.head != mn.tail && mn.seq[mn.head & kMask] == old)
                ++mn.head;
        }
    } else {
        ++m_nSize;
    }
    uint16_t* slot = m_Ring[seq & kMask];
    for (int c = 0; c < m_nChannels; ++c) {
        const uint16_t v = codes[c];
        slot[c] = v;
        if (m_bBreakable[c] && v == 0xFFFFu) {
            ++m_Broken[c];
            continue;
        }
        m_Sum[c] += v;
        ++m_Count[c];
        Queue& mx = m_Max[c];
        while (mx.tail != mx.head && Code(mx.seq[(mx.tail - 1) & kMask], c) <= v)
            --mx.tail;
        mx.seq[mx.tail++ & kMask] = seq;
        Queue& mn = m_Min[c];
        while (mn.tail != mn.head && Code(mn.seq[(mn.tail - 1) & kMask], c) >= v)
            --mn.tail;
        mn.seq[mn.tail++ & kMask] = seq;
    }
}

CodeSummary SweepStats::Summary(int slot) const
{
    CodeSummary s;
    if (slot < 0 || slot >= m_nChannels)
        return s;
    s.count = m_Count[slot];
    s.broken = m_Broken[slot];
    s.sum = m_Sum[slot];
    if (s.count > 0) {
        s.max = Code(m_Max[slot].seq[m_Max[slot].head & kMask], slot);
        s.min = Code(m_Min[slot].seq[m_Min[slot].head & kMask], slot);
    }
    return s;
}

} // namespace nuv::measure
