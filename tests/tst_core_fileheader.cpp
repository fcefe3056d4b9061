// The 1312-byte data-file header against its table, and the readers' identification check.
#include "datafile/fileheader.h"
#include "device/mdq4170_sim.h"

#include <QTest>
#include <cstring>

using namespace nuv;

class TstCoreFileHeader : public QObject {
    Q_OBJECT

    MDQ4170_HANDLE m_h = MDQ4170_INVALID_HANDLE;

    static AIParam Param()
    {
        AIParam p{};
        p.FirstChannel = 2;
        p.ChannelCount = 3;
        for (uint32_t c = 0; c < 8; ++c)
            p.Range[c] = (c * 3) % 16;
        p.Reserved0 = int32_t(0xDEADBEEF);
        p.Reserved1 = 0x7F00FF01;
        return p;
    }

private slots:
    void initTestCase()
    {
        MDQ4170SIM_Reset();
        m_h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(m_h != MDQ4170_INVALID_HANDLE);
    }
    void cleanupTestCase() { MDQ4170_DEV_Release(m_h); }

    void fixedFieldsFollowTheTable()
    {
        HeaderBytes h;
        h.fill(0xCC);
        StartTime st{2026, 12, 2, 8, 13, 45, 7, 321};
        BuildFileHeader(m_h, Param(), st, 3, 1234567890123ull, h);
        const uint8_t* b = h.data();
        QCOMPARE(GetLE32(b + 0), 0x55AA55AAu);
        QCOMPARE(GetLE32(b + 4), 1312u);
        QCOMPARE(GetLE32(b + 8), 0x00060001u);
        QCOMPARE(GetLE32(b + 12), 0u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(b + 16), 32),
                 QByteArray("MDQ4170").leftJustified(32, '\0'));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(b + 48), 128),
                 QByteArray("Test_MDQ4170").leftJustified(128, '\0'));
        const uint32_t words[][2] = {{176, 0}, {180, 2}, {184, 1}, {188, 0x4170}, {192, 0},
                                     {224, 0}, {228, 0}, {232, 0xFFFF}, {236, 0}, {240, 3},
                                     {244, 2}, {248, 1}, {252, 0}, {272, 3}, {276, 296},
                                     {280, 960}, {284, 48}, {288, 0}, {292, 0}, {1304, 0},
                                     {1308, 0xAA55AA55u}};
        for (const auto& w : words)
            QVERIFY2(GetLE32(b + w[0]) == w[1], qPrintable(QString("offset %1").arg(w[0])));
        uint32_t lib = 0, drv = 0, fw = 0;
        QVERIFY(MDQ4170_DEV_GetVersion(m_h, &lib, &drv, &fw));
        QCOMPARE(GetLE32(b + 196), lib);
        QCOMPARE(GetLE32(b + 200), drv);
        QCOMPARE(GetLE32(b + 204), fw);
        const uint16_t st16[8] = {2026, 12, 2, 8, 13, 45, 7, 321};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(GetLE16(b + 208 + 2 * i), st16[i]);
        QCOMPARE(GetLE64(b + 256), 1234567890123ull);
        QCOMPARE(GetLE64(b + 264), 1234567890123ull);
    }

    void descriptorsAndParameterBlock()
    {
        HeaderBytes h;
        const AIParam p = Param();
        BuildFileHeader(m_h, p, StartTime{}, 3, 7, h);
        for (uint32_t c = 0; c < 8; ++c) {
            const uint8_t* d = h.data() + 296 + 120 * c;
            QCOMPARE(GetLE32(d), c);
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(d + 4), 36),
                     QByteArray("AI" + QByteArray::number(c)).leftJustified(36, '\0'));
            RangeInfo want{};
            MDQ4170_AI_GetRangeInfo(m_h, p.Range[c], &want);
            // Disabled channels carry their range information too.
            QCOMPARE(std::memcmp(&want, d + 40, 64) == 0, true);
            for (int i = 104; i < 120; ++i)
                QCOMPARE(d[i], uint8_t(0));
        }
        const AIParam back = GetAIParam(h.data() + 1256);
        QCOMPARE(std::memcmp(&back, &p, sizeof p), 0); // reserved words bit for bit
    }

    void readerRoundTrip()
    {
        HeaderBytes h;
        const AIParam p = Param();
        StartTime st{2025, 1, 3, 2, 4, 5, 6, 7};
        BuildFileHeader(m_h, p, st, 3, 42, h);
        FileHeaderInfo info;
        QVERIFY(ReadFileHeader(h.data(), h.size(), info));
        QCOMPARE(info.ReadingCount, 42ull);
        QCOMPARE(info.CodesPerRecord, 3u);
        QCOMPARE(std::memcmp(&info.Param, &p, sizeof p), 0);
        QCOMPARE(info.Start.Year, uint16_t(2025));
        QCOMPARE(info.Start.Millisecond, uint16_t(7));
        RangeInfo r5{};
        MDQ4170_AI_GetRangeInfo(m_h, p.Range[5], &r5);
        QCOMPARE(std::memcmp(&info.Range[5], &r5, 64), 0);
        QCOMPARE(RecordOffset(3, 100), 1912ull);
    }

    void identificationCheck()
    {
        HeaderBytes h;
        BuildFileHeader(m_h, Param(), StartTime{}, 3, 1, h);
        FileHeaderInfo info;
        // Wrong marks with the right identification: accepted.
        PutLE32(h.data(), 0);
        PutLE32(h.data() + 1308, 0);
        PutLE32(h.data() + 4, 99);
        QVERIFY(ReadFileHeader(h.data(), h.size(), info));
        // Right marks, wrong identification: refused.
        BuildFileHeader(m_h, Param(), StartTime{}, 3, 1, h);
        PutLE32(h.data() + 188, 0x4171);
        QVERIFY(!ReadFileHeader(h.data(), h.size(), info));
        // Too short: refused.
        BuildFileHeader(m_h, Param(), StartTime{}, 3, 1, h);
        QVERIFY(!ReadFileHeader(h.data(), 1311, info));
        QVERIFY(!ReadFileHeader(nullptr, 1312, info));
    }

    void noDeviceGivesZeroVersions()
    {
        HeaderBytes h;
        BuildFileHeader(MDQ4170_INVALID_HANDLE, Param(), StartTime{}, 0, 0, h);
        QCOMPARE(GetLE32(h.data() + 196), 0u);
        QCOMPARE(GetLE32(h.data() + 200), 0u);
        QCOMPARE(GetLE32(h.data() + 204), 0u);
        QCOMPARE(GetLE32(h.data() + 188), 0x4170u);
    }
};

QTEST_GUILESS_MAIN(TstCoreFileHeader)
#include "tst_core_fileheader.moc"
