// Substitute device library: the stored parameter record, its check, and calibration.
#include "device/mdq4170.h"
#include "device/mdq4170_sim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cmath>
#include <cstring>

namespace {
const char* const kSimVariables[] = {
    "MDQ4170_SIM_MODULES", "MDQ4170_SIM_UNPLUG", "MDQ4170_SIM_READ_FAIL_AFTER", "MDQ4170_SIM_READ_TIMEOUT_AFTER",
    "MDQ4170_SIM_CJC_FAIL_AFTER", "MDQ4170_SIM_CJC_TIMEOUT_AFTER", "MDQ4170_SIM_INIT_FAIL",
    "MDQ4170_SIM_RELEASE_FAIL", "MDQ4170_SIM_WRITE_LIMIT", "MDQ4170_SIM_FREE_BYTES", "MDQ4170_SIM_INFO_FAIL",
    "MDQ4170_SIM_DIO_FAIL", "MDQ4170_SIM_BROKEN_CHANNEL"};

AIParam record(uint32_t first, uint32_t count, std::initializer_list<uint32_t> ranges, int32_t r0 = 0, int32_t r1 = 0)
{
    AIParam p{};
    p.FirstChannel = first;
    p.ChannelCount = count;
    int k = 0;
    for (uint32_t r : ranges)
        p.Range[k++] = r;
    p.Reserved0 = r0;
    p.Reserved1 = r1;
    return p;
}

bool same(const AIParam& a, const AIParam& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
} // namespace

Q_DECLARE_METATYPE(AIParam)

class TstDeviceParam : public QObject {
    Q_OBJECT
    MDQ4170_HANDLE h = MDQ4170_INVALID_HANDLE;

    // One scan of channels 0..2, all in range `code`; returns channel 2.
    float readChannel2(uint32_t code)
    {
        const AIParam p = record(0, 3, {code, code, code});
        if (!MDQ4170_AI_InitTask(h, &p, nullptr))
            return NAN;
        ScanBlock scan{};
        const bool ok = MDQ4170_AI_ReadData(h, &scan) && MDQ4170_AI_ReleaseTask(h);
        return ok ? scan.Channel[2].Value : NAN;
    }

private slots:
    void init()
    {
        for (const char* v : kSimVariables)
            qunsetenv(v);
        MDQ4170SIM_Reset();
        QDir(QString::fromUtf8(MDQ4170SIM_StorePath())).removeRecursively();
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(h != MDQ4170_INVALID_HANDLE);
    }

    void defaultRecordWhenNothingStored()
    {
        AIParam p = record(5, 1, {9, 9, 9, 9, 9, 9, 9, 9}, 77, 88);
        QVERIFY(MDQ4170_AI_LoadParam(h, &p));
        QVERIFY(same(p, record(0, 8, {})));
        QVERIFY(MDQ4170_AI_VerifyParam(h, &p));   // the default is legal

        // A store that is not a 48-byte record is ignored, not half-read.
        QDir().mkpath(QString::fromUtf8(MDQ4170SIM_StorePath()));
        const QString file = QString::fromUtf8(MDQ4170SIM_StorePath()) + QStringLiteral("/MDQ4170-41700001.aiparam");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("short");
        f.close();
        p = record(5, 1, {}, 1, 2);
        QVERIFY(MDQ4170_AI_LoadParam(h, &p));
        QVERIFY(same(p, record(0, 8, {})));
    }

    void saveLoadIsBitForBit()
    {
        const AIParam saved = record(2, 3, {15, 1, 8, 9, 14, 0, 6, 11}, int32_t(0x89ABCDEF), -1);
        QVERIFY(MDQ4170_AI_SaveParam(h, &saved));
        const QString file = QString::fromUtf8(MDQ4170SIM_StorePath()) + QStringLiteral("/MDQ4170-41700001.aiparam");
        QCOMPARE(QFileInfo(file).size(), qint64(48));
        AIParam loaded{};
        QVERIFY(MDQ4170_AI_LoadParam(h, &loaded));
        QVERIFY(same(loaded, saved));

        // Stored per module and across restarts of the library; the record is stored as given.
        MDQ4170SIM_SetModuleCount(2);
        const MDQ4170_HANDLE h1 = MDQ4170_DEV_Create(1, 0);
        QVERIFY(MDQ4170_AI_LoadParam(h1, &loaded));
        QVERIFY(same(loaded, record(0, 8, {})));
        const AIParam odd = record(0xFFFFFFFF, 0, {99, 0, 0, 0, 0, 0, 0, 1234}, 1, 0x7FFFFFFF);
        QVERIFY(MDQ4170_AI_SaveParam(h1, &odd));
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_AI_LoadParam(h, &loaded));
        QVERIFY(same(loaded, saved));
        MDQ4170SIM_SetModuleCount(2);
        QVERIFY(MDQ4170_AI_LoadParam(MDQ4170_DEV_Create(1, 0), &loaded));
        QVERIFY(same(loaded, odd));
        // No temporary files are left behind by the atomic write.
        QCOMPARE(QDir(QString::fromUtf8(MDQ4170SIM_StorePath())).entryList(QDir::Files).filter(QStringLiteral("aiparam")).size(), 2);
    }

    void saveFailureIsReported()
    {
        // The store folder is a plain file: nothing can be written below it.
        const QString dir = QString::fromUtf8(MDQ4170SIM_StorePath());
        QDir().mkpath(QFileInfo(dir).path());
        QFile f(dir);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const AIParam p = record(0, 1, {});
        QCOMPARE(MDQ4170_AI_SaveParam(h, &p), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_WRITE_FAULT);
        QFile::remove(dir);
    }

    void verifyCorrections_data()
    {
        QTest::addColumn<AIParam>("given");
        QTest::addColumn<AIParam>("expected");
        QTest::addColumn<bool>("legal");
        QTest::newRow("legal run") << record(2, 3, {1, 2, 3}, 5, 6) << record(2, 3, {1, 2, 3}, 5, 6) << true;
        QTest::newRow("no channel") << record(0xFFFFFFFF, 0, {}) << record(0xFFFFFFFF, 0, {}) << true;
        QTest::newRow("count 0, first valid") << record(3, 0, {}) << record(3, 0, {}) << true;
        QTest::newRow("all eight") << record(0, 8, {15, 15}) << record(0, 8, {15, 15}) << true;
        QTest::newRow("run beyond channel 7") << record(6, 5, {}) << record(6, 2, {}) << false;
        QTest::newRow("first beyond 7") << record(9, 3, {}) << record(5, 3, {}) << false;
        QTest::newRow("none but counted") << record(0xFFFFFFFF, 2, {}) << record(6, 2, {}) << false;
        QTest::newRow("count too large") << record(0, 0xFFFFFFFF, {}) << record(0, 8, {}) << false;
        QTest::newRow("range code 16") << record(0, 2, {0, 16, 0, 0, 0, 0, 0, 0xFFFFFFFF}, -7, 9)
                                       << record(0, 2, {}, -7, 9) << false;
    }

    void verifyCorrections()
    {
        QFETCH(AIParam, given);
        QFETCH(AIParam, expected);
        QFETCH(bool, legal);
        QCOMPARE(MDQ4170_AI_VerifyParam(h, &given) != 0, legal);
        QVERIFY(same(given, expected));
        // What was corrected is legal now, and the task accepts it if it enables a channel.
        QVERIFY(MDQ4170_AI_VerifyParam(h, &given));
        if (given.ChannelCount)
            QVERIFY(MDQ4170_AI_InitTask(h, &given, nullptr));
    }

    void verifyLogsWhatItChanged()
    {
        AIParam p = record(6, 5, {});
        QCOMPARE(MDQ4170_AI_VerifyParam(h, &p), 0);
        QFile log(QString::fromUtf8(MDQ4170SIM_LogPath()));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray last = log.readAll().trimmed().split('\n').last();
        QVERIFY2(last.contains("MDQ4170_AI_VerifyParam") && last.contains("ChannelCount 5 cut to 2"), last.constData());
    }

    void calibrationNeedsRestoreFirst()
    {
        QCOMPARE(MDQ4170_AI_Cal_Zero(h), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_NOT_READY);
        QCOMPARE(MDQ4170_AI_Cal_Full(h, 1.0f), 0);
        QCOMPARE(MDQ4170_AI_Cal_Restore(h, 8, 0), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_PARAMETER);
        QCOMPARE(MDQ4170_AI_Cal_Restore(h, 0, 16), 0);
        QVERIFY(MDQ4170_AI_Cal_Restore(h, 0, 5));
        QCOMPARE(MDQ4170_AI_Cal_Full(h, 0.0f), 0);   // no full-scale signal
        QCOMPARE(MDQ4170_AI_Cal_Full(h, NAN), 0);
        QVERIFY(MDQ4170_AI_Cal_Zero(h));
        QVERIFY(MDQ4170_AI_Cal_Full(h, 4.5f));
        // Starting acquisition disconnects the calibrator; Zero needs a new Restore.
        const AIParam p = record(0, 1, {5});
        QVERIFY(MDQ4170_AI_InitTask(h, &p, nullptr));
        QCOMPARE(MDQ4170_AI_Cal_Zero(h), 0);
    }

    void calibrationRemovesTheConverterError()
    {
        MDQ4170SIM_SetChannelInput(0, 2, 2.0);   // 2 V on the terminals of AI2
        const float before = readChannel2(5);
        const double step = 10.0 / 65536;
        QVERIFY2(std::fabs(before - 2.0f) > 5 * step, qPrintable(QString::number(before, 'f', 6)));

        // Offset at 0 V from the calibrator, gain at 4 V.
        MDQ4170SIM_SetChannelInput(0, 2, NAN);
        QVERIFY(MDQ4170_AI_Cal_Restore(h, 2, 5));
        QVERIFY(MDQ4170_AI_Cal_Zero(h));
        QVERIFY(MDQ4170_AI_Cal_Full(h, 4.0f));
        MDQ4170SIM_SetChannelInput(0, 2, 2.0);
        const float after = readChannel2(5);
        QVERIFY2(std::fabs(after - 2.0f) <= 1.5 * step, qPrintable(QString::number(after, 'f', 6)));
        QVERIFY(after != before);

        // Stored with the module: a restart reads the same; other ranges are untouched.
        QVERIFY(QFile::exists(QString::fromUtf8(MDQ4170SIM_StorePath()) + QStringLiteral("/MDQ4170-41700001.cal")));
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        MDQ4170SIM_SetChannelInput(0, 2, 2.0);
        QCOMPARE(readChannel2(5), after);
        const float otherRange = readChannel2(6);
        QVERIFY(std::fabs(otherRange - 2.0f) > 5 * (20.0 / 65536));

        // Restore brings the converter error back.
        QVERIFY(MDQ4170_AI_Cal_Restore(h, 2, 5));
        QCOMPARE(readChannel2(5), before);
    }

    void wrongCalibrationShiftsReadings()
    {
        // Zero calibration while 0.5 V is applied: everything reads 0.5 V low afterwards.
        QVERIFY(MDQ4170_AI_Cal_Restore(h, 2, 5));
        MDQ4170SIM_SetChannelInput(0, 2, 0.5);
        QVERIFY(MDQ4170_AI_Cal_Zero(h));
        MDQ4170SIM_SetChannelInput(0, 2, 2.0);
        QVERIFY(std::fabs(readChannel2(5) - 1.5f) < 0.01f);

        // Full scale claimed 10 % above what is applied: readings grow by 10 %.
        QVERIFY(MDQ4170_AI_Cal_Restore(h, 2, 5));
        MDQ4170SIM_SetChannelInput(0, 2, NAN);
        QVERIFY(MDQ4170_AI_Cal_Zero(h));
        MDQ4170SIM_SetChannelInput(0, 2, 4.0);
        QVERIFY(MDQ4170_AI_Cal_Full(h, 4.4f));
        MDQ4170SIM_SetChannelInput(0, 2, 2.0);
        QVERIFY(std::fabs(readChannel2(5) - 2.2f) < 0.01f);

        // Implausible measurements are refused and keep the calibration.
        QCOMPARE(MDQ4170_AI_Cal_Restore(h, 2, 5), 1);
        MDQ4170SIM_SetChannelInput(0, 2, 2.0);
        QCOMPARE(MDQ4170_AI_Cal_Zero(h), 0);          // 2 V is no zero
        QCOMPARE(MDQ4170_AI_Cal_Full(h, 4.0f), 0);    // gain 2 is no calibration
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_PARAMETER);
    }

    void thermocoupleRangesCalibrateInMillivolts()
    {
        QVERIFY(MDQ4170_AI_Cal_Restore(h, 0, 13));   // type R, full scale about 20 mV
        QVERIFY(MDQ4170_AI_Cal_Zero(h));
        QVERIFY(MDQ4170_AI_Cal_Full(h, 20.0f));
        QVERIFY(MDQ4170_AI_Cal_Restore(h, 0, 8));    // 4..20 mA
        QVERIFY(MDQ4170_AI_Cal_Zero(h));
        QVERIFY(MDQ4170_AI_Cal_Full(h, 20.0f));
        QCOMPARE(MDQ4170_AI_Cal_Full(h, 200.0f), 0);   // far beyond the range
    }
};

QTEST_GUILESS_MAIN(TstDeviceParam)
#include "tst_device_param.moc"
