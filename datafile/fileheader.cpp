#include "datafile/fileheader.h"

#include <QDateTime>
#include <cstdio>
#include <cstring>

namespace nuv {

void PutLE16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutLE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
void PutLE64(uint8_t* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
uint16_t GetLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t GetLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint64_t GetLE64(const uint8_t* p) { return uint64_t(GetLE32(p)) | (uint64_t(GetLE32(p + 4)) << 32); }

static void PutDouble(uint8_t* p, double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    PutLE64(p, bits);
}
static double GetDouble(const uint8_t* p)
{
    uint64_t bits = GetLE64(p);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

void PutRangeInfo(uint8_t* p, const RangeInfo& ri)
{
    PutLE32(p, ri.RangeCode);
    PutLE32(p + 4, ri.Unit);
    PutDouble(p + 8, ri.RangeMax);
    PutDouble(p + 16, ri.RangeMin);
    PutDouble(p + 24, ri.RangeSpan);
    PutDouble(p + 32, ri.CodeStep);
    for (int i = 0; i < 6; ++i)
        PutLE32(p + 40 + 4 * i, ri.Extra[i]);
}

RangeInfo GetRangeInfo(const uint8_t* p)
{
    RangeInfo ri{};
    ri.RangeCode = GetLE32(p);
    ri.Unit = GetLE32(p + 4);
    ri.RangeMax = GetDouble(p + 8);
    ri.RangeMin = GetDouble(p + 16);
    ri.RangeSpan = GetDouble(p + 24);
    ri.CodeStep = GetDouble(p + 32);
    for (int i = 0; i < 6; ++i)
        ri.Extra[i] = GetLE32(p + 40 + 4 * i);
    return ri;
}

void PutAIParam(uint8_t* p, const AIParam& ap)
{
    PutLE32(p, ap.FirstChannel);
    PutLE32(p + 4, ap.ChannelCount);
    for (int i = 0; i < 8; ++i)
        PutLE32(p + 8 + 4 * i, ap.Range[i]);
    PutLE32(p + 40, uint32_t(ap.Reserved0));
    PutLE32(p + 44, uint32_t(ap.Reserved1));
}

AIParam GetAIParam(const uint8_t* p)
{
    AIParam ap{};
    ap.FirstChannel = GetLE32(p);
    ap.ChannelCount = GetLE32(p + 4);
    for (int i = 0; i < 8; ++i)
        ap.Range[i] = GetLE32(p + 8 + 4 * i);
    ap.Reserved0 = int32_t(GetLE32(p + 40));
    ap.Reserved1 = int32_t(GetLE32(p + 44));
    return ap;
}

StartTime LocalStartTimeNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    StartTime s;
    s.Year = uint16_t(d.year());
    s.Month = uint16_t(d.month());
    s.DayOfWeek = uint16_t(d.dayOfWeek() % 7); // Qt: Monday 1 .. Sunday 7
    s.Day = uint16_t(d.day());
    s.Hour = uint16_t(t.hour());
    s.Minute = uint16_t(t.minute());
    s.Second = uint16_t(t.second());
    s.Millisecond = uint16_t(t.msec());
    return s;
}

void BuildFileHeader(MDQ4170_HANDLE device, const AIParam& param, const StartTime& start,
                     uint32_t codesPerRecord, uint64_t readingCount, HeaderBytes& out)
{
    out.fill(0);
    uint8_t* h = out.data();
    PutLE32(h + 0, kHeadMark);
    PutLE32(h + 4, kHeaderSize);
    PutLE32(h + 8, kFormatVersion);
    std::memcpy(h + 16, "MDQ4170", 7);
    std::memcpy(h + 48, "Test_MDQ4170", 12);
    PutLE32(h + 180, 2);
    PutLE32(h + 184, 1);
    PutLE32(h + 188, kProductId);

    PutHeaderStartTime(start, out);

    PutLE32(h + 232, 0xFFFF);
    PutLE32(h + 240, 3);
    PutLE32(h + 244, 2);
    PutLE32(h + 248, 1);
    PutHeaderCounts(codesPerRecord, readingCount, out);
    PutLE32(h + 276, kChannelBlockOffset);
    PutLE32(h + 280, kChannelBlockSize);
    PutLE32(h + 284, sizeof(AIParam));

    for (uint32_t c = 0; c < 8; ++c) {
        uint8_t* d = h + kChannelBlockOffset + kDescriptorSize * c;
        PutLE32(d, c);
        char name[8];
        const int n = std::snprintf(name, sizeof name, "AI%u", c);
        std::memcpy(d + 4, name, size_t(n));
    }
    // Versions and range information the library cannot give stay 0.
    PutHeaderDeviceInfo(device, param, out);
    PutAIParam(h + kParamBlockOffset, param);
    PutLE32(h + 1308, kTailMark);
}

void PutHeaderStartTime(const StartTime& start, HeaderBytes& out)
{
    const uint16_t st[8] = {start.Year, start.Month, start.DayOfWeek, start.Day,
                            start.Hour, start.Minute, start.Second, start.Millisecond};
    for (int i = 0; i < 8; ++i)
        PutLE16(out.data() + hdr::StartTime + 2 * i, st[i]);
}

void PutHeaderCounts(uint32_t codesPerRecord, uint64_t readingCount, HeaderBytes& out)
{
    PutLE64(out.data() + hdr::ReadingCount, readingCount);
    PutLE64(out.data() + hdr::ReadingCount2, readingCount);
    PutLE32(out.data() + hdr::CodesPerRecord, codesPerRecord);
}

void PutHeaderDeviceInfo(MDQ4170_HANDLE device, const AIParam& param, HeaderBytes& out)
{
    uint8_t* h = out.data();
    uint32_t lib = 0, drv = 0, fw = 0;
    if (MDQ4170_DEV_GetVersion(device, &lib, &drv, &fw)) {
        PutLE32(h + hdr::Versions, lib);
        PutLE32(h + hdr::Versions + 4, drv);
        PutLE32(h + hdr::Versions + 8, fw);
    }
    for (uint32_t c = 0; c < 8; ++c) {
        RangeInfo ri{};
        if (MDQ4170_AI_GetRangeInfo(device, param.Range[c], &ri))
            PutRangeInfo(h + hdr::RangeInfoOfChannel0 + kDescriptorSize * c, ri);
    }
}

bool ReadFileHeader(const uint8_t* data, size_t size, FileHeaderInfo& out)
{
    if (data == nullptr || size < kHeaderSize)
        return false;
    if (GetLE32(data + hdr::ProductId) != kProductId)
        return false;
    out.ReadingCount = GetLE64(data + hdr::ReadingCount);
    out.CodesPerRecord = GetLE32(data + hdr::CodesPerRecord);
    out.Param = GetAIParam(data + kParamBlockOffset);
    for (int c = 0; c < 8; ++c)
        out.Range[c] = GetRangeInfo(data + hdr::RangeInfoOfChannel0 + kDescriptorSize * size_t(c));
    uint16_t* st[8] = {&out.Start.Year, &out.Start.Month, &out.Start.DayOfWeek, &out.Start.Day,
                       &out.Start.Hour, &out.Start.Minute, &out.Start.Second, &out.Start.Millisecond};
    for (int i = 0; i < 8; ++i)
        *st[i] = GetLE16(data + hdr::StartTime + 2 * i);
    return true;
}

} // namespace nuv
