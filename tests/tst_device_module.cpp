// Substitute device library: modules, handles, identity, unplugging, last error and the log.
#include "device/mdq4170.h"
#include "device/mdq4170_sim.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <cstring>
#include <thread>

namespace {
const char* const kSimVariables[] = {
    "MDQ4170_SIM_MODULES", "MDQ4170_SIM_UNPLUG", "MDQ4170_SIM_READ_FAIL_AFTER", "MDQ4170_SIM_READ_TIMEOUT_AFTER",
    "MDQ4170_SIM_CJC_FAIL_AFTER", "MDQ4170_SIM_CJC_TIMEOUT_AFTER", "MDQ4170_SIM_INIT_FAIL",
    "MDQ4170_SIM_RELEASE_FAIL", "MDQ4170_SIM_WRITE_LIMIT", "MDQ4170_SIM_FREE_BYTES", "MDQ4170_SIM_INFO_FAIL",
    "MDQ4170_SIM_DIO_FAIL", "MDQ4170_SIM_BROKEN_CHANNEL", "MDQ4170_SIM_UNPLUG_AFTER"};

QStringList logLines()
{
    QFile f(QString::fromUtf8(MDQ4170SIM_LogPath()));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
} // namespace

class TstDeviceModule : public QObject {
    Q_OBJECT
    QByteArray m_stateHome;

private slots:
    void initTestCase() { m_stateHome = qgetenv("XDG_STATE_HOME"); }

    void init()
    {
        for (const char* v : kSimVariables)
            qunsetenv(v);
        qputenv("XDG_STATE_HOME", m_stateHome);
        MDQ4170SIM_Reset();
    }

    void handlesAndCount()
    {
        QCOMPARE(MDQ4170_DEV_GetCount(), 1u);
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(h != MDQ4170_INVALID_HANDLE);
        QVERIFY(h != 0);
        QVERIFY(h < 0 || h > 126);   // never mistaken for an index
        QCOMPARE(MDQ4170SIM_HandleIndex(h), 0);

        // The selection dialog probes every index; only attached ones answer.
        for (uint32_t i = 1; i < 127; ++i) {
            QCOMPARE(MDQ4170_DEV_Create(i, 0), MDQ4170_INVALID_HANDLE);
            QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_DEVICE_NOT_CONNECTED);
        }

        const MDQ4170_HANDLE h2 = MDQ4170_DEV_Create(0, 0);
        QVERIFY(h2 != MDQ4170_INVALID_HANDLE && h2 != h);
        QVERIFY(MDQ4170_DEV_Release(h2));
        uint32_t speed = 0;
        QVERIFY(MDQ4170_DEV_GetSpeed(h, &speed));   // the other handle lives on
        QVERIFY(MDQ4170_DEV_Release(h));

        // Released, invalid and never-issued handles all fail with an invalid-handle error.
        for (MDQ4170_HANDLE bad : {h, h2, MDQ4170_INVALID_HANDLE, MDQ4170_HANDLE(0), MDQ4170_HANDLE(1)}) {
            speed = 7;
            QCOMPARE(MDQ4170_DEV_GetSpeed(bad, &speed), 0);
            QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
            QCOMPARE(speed, 7u);
            QCOMPARE(MDQ4170_DEV_Release(bad), 0);
            QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
        }
        // A fresh handle after a release is not the released one.
        const MDQ4170_HANDLE h3 = MDQ4170_DEV_Create(0, 0);
        QVERIFY(h3 != h && h3 != h2);
        MDQ4170_DEV_Release(h3);
    }

    void moduleCountFromEnvironmentAndControl()
    {
        qputenv("MDQ4170_SIM_MODULES", "0");
        MDQ4170SIM_Reset();
        QCOMPARE(MDQ4170_DEV_GetCount(), 0u);
        QCOMPARE(MDQ4170_DEV_Create(0, 0), MDQ4170_INVALID_HANDLE);

        qputenv("MDQ4170_SIM_MODULES", "3");
        MDQ4170SIM_Reset();
        QCOMPARE(MDQ4170_DEV_GetCount(), 3u);
        const MDQ4170_HANDLE h2 = MDQ4170_DEV_Create(2, 0);
        QCOMPARE(MDQ4170SIM_HandleIndex(h2), 2);

        // Shrinking detaches the modules beyond the count and their handles die with them.
        MDQ4170SIM_SetModuleCount(2);
        QCOMPARE(MDQ4170_DEV_GetCount(), 2u);
        uint32_t serial = 0;
        QCOMPARE(MDQ4170_DEV_GetSerialNum(h2, &serial), 0);
        QCOMPARE(MDQ4170SIM_HandleIndex(h2), -1);

        // Reset forgets every handle.
        const MDQ4170_HANDLE h0 = MDQ4170_DEV_Create(0, 0);
        MDQ4170SIM_Reset();
        QCOMPARE(MDQ4170_DEV_GetSerialNum(h0, &serial), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
    }

    void identityDiffersPerModule()
    {
        MDQ4170SIM_SetModuleCount(3);
        QSet<uint32_t> serials, physIds;
        QSet<QByteArray> pids;
        for (uint32_t i = 0; i < 3; ++i) {
            const MDQ4170_HANDLE h = MDQ4170_DEV_Create(i, 0);
            uint32_t speed = 0, phys = 99, lib = 0, drv = 0, fw = 0, serial = 0;
            char pid[16];
            std::memset(pid, 0, sizeof pid);
            QVERIFY(MDQ4170_DEV_GetSpeed(h, &speed));
            QCOMPARE(speed, 2u);
            QVERIFY(MDQ4170_DEV_GetPhysIdx(h, &phys));
            QVERIFY(MDQ4170_DEV_GetVersion(h, &lib, &drv, &fw));
            QVERIFY(lib && drv && fw);
            QVERIFY(MDQ4170_DEV_GetSerialNum(h, &serial));
            QVERIFY(MDQ4170_DEV_GetUserPID(h, pid));
            for (char c : pid)
                QVERIFY(c != 0);
            serials.insert(serial);
            physIds.insert(phys);
            pids.insert(QByteArray(pid, 16));
            MDQ4170_DEV_Release(h);
        }
        QCOMPARE(serials.size(), 3);
        QCOMPARE(physIds.size(), 3);
        QCOMPARE(pids.size(), 3);

        MDQ4170SIM_SetUserPID(1, "ABCDEFGHIJKLMNOP");
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(1, 0);
        char pid[16];
        QVERIFY(MDQ4170_DEV_GetUserPID(h, pid));
        QCOMPARE(QByteArray(pid, 16), QByteArray("ABCDEFGHIJKLMNOP"));
        MDQ4170_DEV_Release(h);
    }

    void infoQueryFaults()
    {
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(0, 0);
        uint32_t a, b, c;
        char pid[16];
        auto results = [&] {
            return QList<int>{MDQ4170_DEV_GetSpeed(h, &a) != 0, MDQ4170_DEV_GetPhysIdx(h, &a) != 0,
                              MDQ4170_DEV_GetVersion(h, &a, &b, &c) != 0, MDQ4170_DEV_GetSerialNum(h, &a) != 0,
                              MDQ4170_DEV_GetUserPID(h, pid) != 0};
        };
        for (int bit = 0; bit < 5; ++bit) {
            MDQ4170SIM_FailInfoQueries(0, 1u << bit);
            QList<int> expected{1, 1, 1, 1, 1};
            expected[bit] = 0;
            QCOMPARE(results(), expected);
        }
        MDQ4170SIM_FailInfoQueries(0, 0);
        QCOMPARE(results(), (QList<int>{1, 1, 1, 1, 1}));

        qputenv("MDQ4170_SIM_INFO_FAIL", "0x8");
        MDQ4170SIM_Reset();
        const MDQ4170_HANDLE h2 = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_DEV_GetSpeed(h2, &a));
        QCOMPARE(MDQ4170_DEV_GetSerialNum(h2, &a), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_READ_FAULT);
    }

    void unpluggedModuleFailsEverything()
    {
        MDQ4170SIM_SetModuleCount(2);
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(0, 0);
        const MDQ4170_HANDLE other = MDQ4170_DEV_Create(1, 0);
        MDQ4170SIM_SetUnplugged(0, 1);
        uint32_t v = 0, states[8];
        AIParam p{};
        RangeInfo ri;
        ScanBlock scan;
        double t;
        const QList<int> results{
            MDQ4170_DEV_GetSpeed(h, &v), MDQ4170_AI_LoadParam(h, &p), MDQ4170_AI_InitTask(h, &p, nullptr),
            MDQ4170_AI_ReadData(h, &scan), MDQ4170_AI_ReadCJCTemp(h, &v, &t), MDQ4170_AI_GetRangeInfo(h, 0, &ri),
            MDQ4170_AI_Cal_Restore(h, 0, 0), MDQ4170_DIO_ReadLines(h, 0, states), MDQ4170_DIO_WriteLine(h, 1, 0, 1)};
        for (int r : results)
            QCOMPARE(r, 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_DEVICE_NOT_CONNECTED);
        QCOMPARE(MDQ4170_DEV_Create(0, 0), MDQ4170_INVALID_HANDLE);
        QVERIFY(MDQ4170_DEV_GetSpeed(other, &v));   // the neighbour is unaffected

        MDQ4170SIM_SetUnplugged(0, 0);
        QVERIFY(MDQ4170_DEV_GetSpeed(h, &v));
        MDQ4170_DEV_Release(h);
        MDQ4170_DEV_Release(other);

        qputenv("MDQ4170_SIM_MODULES", "3");
        qputenv("MDQ4170_SIM_UNPLUG", "0,0x2");
        MDQ4170SIM_Reset();
        QCOMPARE(MDQ4170_DEV_GetCount(), 3u);
        QCOMPARE(MDQ4170_DEV_Create(0, 0), MDQ4170_INVALID_HANDLE);
        QVERIFY(MDQ4170_DEV_Create(1, 0) != MDQ4170_INVALID_HANDLE);
        QCOMPARE(MDQ4170_DEV_Create(2, 0), MDQ4170_INVALID_HANDLE);
    }

    void lastErrorIsPerThread()
    {
        uint32_t v;
        QCOMPARE(MDQ4170_DEV_GetSpeed(MDQ4170_INVALID_HANDLE, &v), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
        uint32_t other = 12345;
        std::thread([&] { other = MDQ4170_GetLastError(); }).join();
        QCOMPARE(other, MDQ4170_ERROR_SUCCESS);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
        // A successful call clears it.
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_DEV_GetSpeed(h, &v));
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_SUCCESS);
        MDQ4170_DEV_Release(h);
    }

    void failuresAreLogged()
    {
        const QString path = QString::fromUtf8(MDQ4170SIM_LogPath());
        QVERIFY(path.endsWith(QLatin1String("/nuv-mdq4170/MDQ4170.log")));
        QVERIFY(path.startsWith(QString::fromLocal8Bit(m_stateHome)));
        const int before = logLines().size();
        uint32_t v;
        MDQ4170_DEV_GetSpeed(MDQ4170_INVALID_HANDLE, &v);
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), before + 1);
        static const QRegularExpression re(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} MDQ4170_DEV_GetSpeed: .+"));
        QVERIFY2(re.match(lines.last()).hasMatch(), qPrintable(lines.last()));

        // The selection dialog's sweep over all indices leaves one line, each time it sweeps.
        for (int sweep = 0; sweep < 2; ++sweep)
            for (uint32_t i = 0; i < 127; ++i)
                if (const MDQ4170_HANDLE h = MDQ4170_DEV_Create(i, 0); h != MDQ4170_INVALID_HANDLE)
                    MDQ4170_DEV_Release(h);
        const QStringList sweeps = logLines().mid(lines.size());
        QCOMPARE(sweeps.size(), 2);
        QVERIFY2(sweeps[0].contains(QLatin1String("no module at index 1 ")), qPrintable(sweeps[0]));
    }

    void unwritableLogNeverFailsACall()
    {
        // The state "folder" is a plain file: the log cannot be created.
        const QString blocker = QDir::tempPath() + QStringLiteral("/nuv-mdq4170-blocker-%1").arg(QCoreApplication::applicationPid());
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("XDG_STATE_HOME", blocker.toLocal8Bit());
        MDQ4170SIM_Reset();
        uint32_t v;
        QCOMPARE(MDQ4170_DEV_GetSpeed(MDQ4170_INVALID_HANDLE, &v), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_DEV_GetSpeed(h, &v));
        QFile::remove(blocker);
    }
};

QTEST_GUILESS_MAIN(TstDeviceModule)
#include "tst_device_module.moc"
