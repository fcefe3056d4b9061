// Range table, unit rule, the unsigned run test, conversions and derived periods.
#include "acquisition/aitypes.h"
#include "device/mdq4170_sim.h"

#include <QTest>
#include <cstring>

using namespace nuv;

class TstCoreAiTypes : public QObject {
    Q_OBJECT
private slots:
    void rangeNamesAndUnits()
    {
        QCOMPARE(RangeName(0), QStringLiteral("-50～+50mV"));
        QCOMPARE(RangeName(1), QStringLiteral("-100 ～ +100mV"));
        QCOMPARE(RangeName(8), QStringLiteral("4 ～ +20mA"));
        QCOMPARE(RangeName(11), QStringLiteral("T型(-200～400℃)"));
        QCOMPARE(RangeName(15), QStringLiteral("B型(0～1800℃)"));
        QVERIFY(RangeName(16).isEmpty());
        QVERIFY(RangeName(-1).isEmpty());
        // Each range's unit is the one its name ends with.
        for (uint32_t c = 0; c < 16; ++c) {
            QString name = RangeName(int(c));
            name.remove(QLatin1Char(')'));
            qsizetype digits = name.size();
            while (digits > 0 && !name[digits - 1].isDigit())
                --digits;
            QCOMPARE(RangeUnitText(c), name.mid(digits));
        }
        QCOMPARE(RangeUnitText(16), QStringLiteral("V"));
        QVERIFY(!IsThermocouple(8));
        QVERIFY(IsThermocouple(9));
    }

    void runTest()
    {
        AIParam p{};
        p.FirstChannel = 2;
        p.ChannelCount = 3;
        int ch[8];
        QCOMPARE(EnabledChannels(p, ch), 3);
        QCOMPARE(ch[0], 2);
        QCOMPARE(ch[2], 4);
        QVERIFY(!IsChannelEnabled(p, 1));
        QVERIFY(!IsChannelEnabled(p, 5));

        // No channel: first 0xFFFFFFFF with count 0 enables nothing, and a large count
        // from a huge first channel never wraps into small channel numbers.
        p.FirstChannel = kNoChannel;
        p.ChannelCount = 0;
        QCOMPARE(EnabledChannels(p, ch), 0);
        p.ChannelCount = 5;
        QCOMPARE(EnabledChannels(p, ch), 0);
        p.FirstChannel = 6;
        p.ChannelCount = 0xFFFFFFFFu;
        QCOMPARE(EnabledChannels(p, ch), 2);
    }

    void conversion()
    {
        const double min = -10.0, step = 20.0 / 65536.0;
        QCOMPARE(CodeToValue(0, min, step), -10.0);
        QCOMPARE(CodeToValue(65535, min, step), -10.0 + 65535 * step);
        QVERIFY(CodeToValue(0x8000, min, step) >= 0.0); // top bit set is never negative
        QCOMPARE(CodeToValue(0x8000, min, step), 0.0);
    }

    // Without a module the displays fall back to the nominal ranges; they must be the
    // ranges a module reports, record for record.
    void nominalRangesAgreeWithModule()
    {
        MDQ4170SIM_Reset();
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(h != MDQ4170_INVALID_HANDLE);
        for (uint32_t code = 0; code < uint32_t(kRangeCount); ++code) {
            RangeInfo module{};
            QVERIFY(MDQ4170_AI_GetRangeInfo(h, code, &module));
            const RangeInfo nominal = NominalRangeInfo(code);
            QVERIFY2(std::memcmp(&nominal, &module, sizeof module) == 0, qPrintable(RangeName(int(code))));
            const RangeInfo shown = DisplayRangeInfo(MDQ4170_INVALID_HANDLE, code);
            QVERIFY(std::memcmp(&shown, &nominal, sizeof shown) == 0);
        }
        QCOMPARE(NominalRangeInfo(16).RangeSpan, 0.0);
        MDQ4170_DEV_Release(h);
    }

    void periods()
    {
        QCOMPARE(CJCPeriod(499.0f), 500u);
        QCOMPARE(CJCPeriod(500.0f), 1000u);
        QCOMPARE(NotifyInterval(50.0f), 100.0f);
        QCOMPARE(NotifyInterval(1000.0f), 1000.0f);
        const AIParam d = DefaultAIParam();
        QCOMPARE(d.FirstChannel, 0u);
        QCOMPARE(d.ChannelCount, 8u);
    }
};

QTEST_GUILESS_MAIN(TstCoreAiTypes)
#include "tst_core_aitypes.moc"
