// A small data-file writer for the playback tests, written from the file layout alone
// (it shares no code with the recorder): a 1312-byte header and interleaved 16-bit codes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace histtest {

struct Spec {
    uint32_t first = 0;               // FirstChannel of the parameter block
    uint32_t count = 8;               // ChannelCount
    int64_t codesPerRecord = -1;      // byte 272; -1: same as count
    uint64_t readings = 0;            // bytes 256 and 264
    int64_t records = -1;             // records written; -1: readings
    uint32_t range[8] = {6, 6, 6, 6, 6, 6, 6, 6};
    double rangeMin[8] = {-10, -10, -10, -10, -10, -10, -10, -10};
    double codeStep[8] = {20.0 / 65536, 20.0 / 65536, 20.0 / 65536, 20.0 / 65536,
                          20.0 / 65536, 20.0 / 65536, 20.0 / 65536, 20.0 / 65536};
    uint32_t productId = 0x4170;
    bool marks = true;                // head and tail marks
    int64_t trailingBytes = 0;        // extra bytes after the records (a torn record)
};

inline void le16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void le32(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i)); }
inline void le64(uint8_t* p, uint64_t v) { for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i)); }
inline void ledouble(uint8_t* p, double d) { uint64_t b; std::memcpy(&b, &d, 8); le64(p, b); }

inline uint32_t CodesPerRecord(const Spec& s) { return s.codesPerRecord < 0 ? s.count : uint32_t(s.codesPerRecord); }

// The code stored at byte offset `offset` of the file: half the offset, so a test can
// tell from any value where it was read; each 4 GiB above the first adds 0x1111, so a
// read from an offset cut to 32 bits shows other codes.
inline uint16_t CodeAt(uint64_t offset) { return uint16_t(((offset / 2) + 0x1111 * (offset >> 32)) & 0xFFFF); }

inline QByteArray Header(const Spec& s)
{
    QByteArray h(1312, '\0');
    auto* p = reinterpret_cast<uint8_t*>(h.data());
    if (s.marks) {
        le32(p, 0x55AA55AA);
        le32(p + 1308, 0xAA55AA55);
    }
    le32(p + 4, 1312);
    le32(p + 8, 0x00060001);
    std::memcpy(p + 16, "MDQ4170", 7);
    le32(p + 188, s.productId);
    le64(p + 256, s.readings);
    le64(p + 264, s.readings);
    le32(p + 272, CodesPerRecord(s));
    le32(p + 276, 296);
    le32(p + 280, 960);
    le32(p + 284, 48);
    for (int c = 0; c < 8; ++c) {
        uint8_t* d = p + 296 + 120 * c;
        le32(d, uint32_t(c));
        d[4] = 'A';
        d[5] = 'I';
        d[6] = char('0' + c);
        uint8_t* ri = d + 40;
        le32(ri, s.range[c]);
        ledouble(ri + 8, s.rangeMin[c] + 65536 * s.codeStep[c]);
        ledouble(ri + 16, s.rangeMin[c]);
        ledouble(ri + 24, 65536 * s.codeStep[c]);
        ledouble(ri + 32, s.codeStep[c]);
    }
    uint8_t* ap = p + 1256;
    le32(ap, s.first);
    le32(ap + 4, s.count);
    for (int c = 0; c < 8; ++c)
        le32(ap + 8 + 4 * c, s.range[c]);
    le32(ap + 40, 0x12345678);
    le32(ap + 44, 0x9ABCDEF0);
    return h;
}

// Whole file in memory (small files only).
inline QByteArray Build(const Spec& s)
{
    QByteArray f = Header(s);
    const uint64_t records = s.records < 0 ? s.readings : uint64_t(s.records);
    const uint64_t bytes = 2ull * CodesPerRecord(s) * records + uint64_t(s.trailingBytes);
    const qsizetype start = f.size();
    f.resize(start + qsizetype(bytes));
    auto* p = reinterpret_cast<uint8_t*>(f.data());
    for (uint64_t off = uint64_t(start); off + 1 < uint64_t(f.size()); off += 2)
        le16(p + off, CodeAt(off));
    return f;
}

inline bool Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline bool Write(const QString& path, const Spec& s) { return Write(path, Build(s)); }

// Writes the codes CodeAt gives for bytes [from, to) of an open file.
inline bool FillBytes(int fd, uint64_t from, uint64_t to)
{
    QByteArray b(qsizetype(to - from), '\0');
    auto* p = reinterpret_cast<uint8_t*>(b.data());
    for (uint64_t off = from; off + 1 < to; off += 2)
        le16(p + (off - from), CodeAt(off));
    return ::pwrite(fd, b.constData(), size_t(b.size()), off_t(from)) == b.size();
}

// A large file without the disk cost: the header, a hole, and real codes (CodeAt) only
// in the first and the last `edge` records.
inline bool WriteSparse(const QString& path, const Spec& s, uint64_t edge)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const uint64_t records = s.records < 0 ? s.readings : uint64_t(s.records);
    const uint64_t rec = 2ull * CodesPerRecord(s);
    const uint64_t size = 1312 + rec * records + uint64_t(s.trailingBytes);
    bool ok = ::ftruncate(fd, off_t(size)) == 0;
    const QByteArray h = Header(s);
    ok = ok && ::pwrite(fd, h.constData(), size_t(h.size()), 0) == h.size();
    if (records > 0 && rec > 0) {
        const uint64_t n = std::min(edge, records);
        ok = ok && FillBytes(fd, 1312, 1312 + rec * n);
        ok = ok && FillBytes(fd, 1312 + rec * (records - n), 1312 + rec * records);
    }
    ::close(fd);
    return ok;
}

// Real codes for records [first, first + n) of a file written by WriteSparse.
inline bool FillRecords(const QString& path, const Spec& s, uint64_t first, uint64_t n)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    if (fd < 0)
        return false;
    const uint64_t rec = 2ull * CodesPerRecord(s);
    const bool ok = FillBytes(fd, 1312 + rec * first, 1312 + rec * (first + n));
    ::close(fd);
    return ok;
}

} // namespace histtest
