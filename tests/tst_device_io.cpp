// Substitute device library: digital lines, data files and free disk space.
#include "device/mdq4170.h"
#include "device/mdq4170_sim.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QElapsedTimer>
#include <QFileInfo>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {
const char* const kSimVariables[] = {
    "MDQ4170_SIM_MODULES", "MDQ4170_SIM_UNPLUG", "MDQ4170_SIM_READ_FAIL_AFTER", "MDQ4170_SIM_READ_TIMEOUT_AFTER",
    "MDQ4170_SIM_CJC_FAIL_AFTER", "MDQ4170_SIM_CJC_TIMEOUT_AFTER", "MDQ4170_SIM_INIT_FAIL",
    "MDQ4170_SIM_RELEASE_FAIL", "MDQ4170_SIM_WRITE_LIMIT", "MDQ4170_SIM_FREE_BYTES", "MDQ4170_SIM_INFO_FAIL",
    "MDQ4170_SIM_DIO_FAIL", "MDQ4170_SIM_BROKEN_CHANNEL", "MDQ4170_SIM_UNPLUG_AFTER"};

uint32_t bits(const uint32_t states[8])
{
    uint32_t b = 0;
    for (int k = 0; k < 8; ++k)
        b |= (states[k] ? 1u : 0u) << k;
    return b;
}

QByteArray path(const QTemporaryDir& dir, const char* name) { return QFile::encodeName(dir.filePath(QString::fromLatin1(name))); }
} // namespace

class TstDeviceIo : public QObject {
    Q_OBJECT
    MDQ4170_HANDLE h = MDQ4170_INVALID_HANDLE;
    QTemporaryDir m_dir;

    // Inputs XOR outputs: the low eight bits of the module's 500 ms counter.
    uint32_t counterBits()
    {
        uint32_t di[8], dout[8];
        if (!MDQ4170_DIO_ReadLines(h, 0, di) || !MDQ4170_DIO_ReadLines(h, 1, dout))
            return 0xFFFFFFFF;
        return bits(di) ^ bits(dout);
    }

private slots:
    void init()
    {
        for (const char* v : kSimVariables)
            qunsetenv(v);
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(h != MDQ4170_INVALID_HANDLE);
        QVERIFY(m_dir.isValid());
    }

    void outputsLatch()
    {
        uint32_t states[8];
        QVERIFY(MDQ4170_DIO_ReadLines(h, 1, states));
        QCOMPARE(bits(states), 0u);
        QVERIFY(MDQ4170_DIO_WriteLine(h, 1, 5, 1));
        QVERIFY(MDQ4170_DIO_WriteLine(h, 1, 0, 7));   // any nonzero state is high
        uint32_t s = 9;
        QVERIFY(MDQ4170_DIO_ReadLine(h, 1, 5, &s));
        QCOMPARE(s, 1u);
        QVERIFY(MDQ4170_DIO_ReadLines(h, 1, states));
        QCOMPARE(bits(states), 0x21u);
        QVERIFY(MDQ4170_DIO_WriteLine(h, 1, 5, 0));
        QVERIFY(MDQ4170_DIO_ReadLines(h, 1, states));
        QCOMPARE(bits(states), 0x01u);

        // Only port 1 is written; lines are 0..7; ports are 0 and 1.
        QCOMPARE(MDQ4170_DIO_WriteLine(h, 0, 1, 1), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_PARAMETER);
        QCOMPARE(MDQ4170_DIO_WriteLine(h, 1, 8, 1), 0);
        QCOMPARE(MDQ4170_DIO_ReadLine(h, 1, 8, &s), 0);
        QCOMPARE(MDQ4170_DIO_ReadLine(h, 2, 0, &s), 0);
        QCOMPARE(MDQ4170_DIO_ReadLines(h, 2, states), 0);
        QCOMPARE(MDQ4170_DIO_ReadLines(MDQ4170_INVALID_HANDLE, 0, states), 0);

        // Reset drops the latches.
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(MDQ4170_DIO_ReadLines(h, 1, states));
        QCOMPARE(bits(states), 0u);
    }

    void inputsFollowThePattern()
    {
        // Flipping an output flips its input (retry if the counter ticked in between).
        for (int attempt = 0; attempt < 5; ++attempt) {
            const uint32_t c = counterBits();
            uint32_t before = 0, after = 0;
            QVERIFY(MDQ4170_DIO_ReadLine(h, 0, 3, &before));
            QVERIFY(MDQ4170_DIO_WriteLine(h, 1, 3, 1));
            QVERIFY(MDQ4170_DIO_ReadLine(h, 0, 3, &after));
            const bool sameTick = counterBits() == c;
            QVERIFY(MDQ4170_DIO_WriteLine(h, 1, 3, 0));
            if (sameTick) {
                QCOMPARE(after, before ^ 1u);
                break;
            }
        }
        // The counter advances every 500 ms of real time, whatever the time scale.
        const uint32_t c1 = counterBits();
        QTest::qSleep(700);
        const uint32_t c2 = counterBits();
        const uint32_t ticks = (c2 - c1) & 0xFF;
        QVERIFY2(ticks == 1 || ticks == 2, qPrintable(QStringLiteral("%1 -> %2").arg(c1).arg(c2)));
    }

    void dioFaults()
    {
        uint32_t states[8], s;
        const uint32_t masks[] = {1, 2, 4, 8};
        for (uint32_t mask : masks) {
            MDQ4170SIM_FailDIO(0, mask);
            const QList<int> results{MDQ4170_DIO_ReadLines(h, 0, states) != 0, MDQ4170_DIO_ReadLines(h, 1, states) != 0,
                                     MDQ4170_DIO_ReadLine(h, 1, 0, &s) != 0, MDQ4170_DIO_WriteLine(h, 1, 0, 1) != 0};
            for (int bit = 0; bit < 4; ++bit)
                QCOMPARE(results[bit], (mask >> bit & 1) ? 0 : 1);
        }
        qputenv("MDQ4170_SIM_DIO_FAIL", "1");
        MDQ4170SIM_Reset();
        h = MDQ4170_DEV_Create(0, 0);
        QCOMPARE(MDQ4170_DIO_ReadLines(h, 0, states), 0);
        QVERIFY(MDQ4170_DIO_ReadLines(h, 1, states));
    }

    void fileWriteSeekRead()
    {
        const QByteArray name = path(m_dir, "run.bin");
        const MDQ4170_FILE f = MDQ4170_FILE_Create(name.constData(), MDQ4170_FILE_MODE_WRITE);
        QVERIFY(f != MDQ4170_INVALID_HANDLE);
        QVERIFY(MDQ4170SIM_HandleIndex(f) == -1 && f != h);
        QVERIFY(MDQ4170_FILE_SetOffset(f, 1312, 0, 0));
        QCOMPARE(MDQ4170_FILE_Write(f, "abcdef", 6), 6u);
        QVERIFY(MDQ4170_FILE_SetOffset(f, 0, 0, 0));
        QCOMPARE(MDQ4170_FILE_Write(f, "HEAD", 4), 4u);
        QVERIFY(MDQ4170_FILE_SetOffset(f, uint32_t(-2), uint32_t(-1), 2));   // 2 before the end
        QCOMPARE(MDQ4170_FILE_Write(f, "XY", 2), 2u);
        QVERIFY(MDQ4170_FILE_Release(f));
        QCOMPARE(QFile(QString::fromLocal8Bit(name)).size(), qint64(1318));
        QCOMPARE(QFile(QString::fromLocal8Bit(name)).permissions() & QFile::WriteOwner, QFile::WriteOwner);

        const MDQ4170_FILE r = MDQ4170_FILE_Create(name.constData(), MDQ4170_FILE_MODE_READ);
        QVERIFY(r != MDQ4170_INVALID_HANDLE);
        char buf[16] = {};
        QCOMPARE(MDQ4170_FILE_Read(r, buf, 4), 4u);
        QCOMPARE(QByteArray(buf, 4), QByteArray("HEAD"));
        QVERIFY(MDQ4170_FILE_SetOffset(r, 1310, 0, 1));   // from the current position
        QCOMPARE(MDQ4170_FILE_Read(r, buf, 16), 4u);       // short at the end of the file
        QCOMPARE(QByteArray(buf, 4), QByteArray("cdXY"));
        QCOMPARE(MDQ4170_FILE_Write(r, "no", 2), 0u);      // opened for reading
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_ACCESS_DENIED);
        QCOMPARE(MDQ4170_FILE_SetOffset(r, 0, 0, 3), 0);
        QVERIFY(MDQ4170_FILE_Release(r));

        // Offsets beyond 4 GiB (a sparse file) go through the high word.
        const MDQ4170_FILE big = MDQ4170_FILE_Create(path(m_dir, "big.bin").constData(), MDQ4170_FILE_MODE_WRITE);
        QVERIFY(MDQ4170_FILE_SetOffset(big, 16, 1, 0));
        if (MDQ4170_FILE_Write(big, "far", 3) != 3)
            QSKIP("file system without large sparse files");
        QVERIFY(MDQ4170_FILE_SetOffset(big, 16, 1, 0));
        MDQ4170_FILE_Release(big);
        QCOMPARE(QFile(m_dir.filePath(QStringLiteral("big.bin"))).size(), qint64(0x100000013));
    }

    void fileHandleMisuse()
    {
        QCOMPARE(MDQ4170_FILE_Create(path(m_dir, "missing/none.bin").constData(), MDQ4170_FILE_MODE_WRITE),
                 MDQ4170_INVALID_HANDLE);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_FILE_NOT_FOUND);
        QCOMPARE(MDQ4170_FILE_Create(path(m_dir, "none.bin").constData(), MDQ4170_FILE_MODE_READ),
                 MDQ4170_INVALID_HANDLE);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_FILE_NOT_FOUND);
        QCOMPARE(MDQ4170_FILE_Create(path(m_dir, "x.bin").constData(), 7), MDQ4170_INVALID_HANDLE);
        QCOMPARE(MDQ4170_FILE_Create(nullptr, 2), MDQ4170_INVALID_HANDLE);

        QCOMPARE(MDQ4170_FILE_Release(MDQ4170_INVALID_HANDLE), 0);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
        QCOMPARE(MDQ4170_FILE_Release(h), 0);   // a module handle is no file
        const MDQ4170_FILE f = MDQ4170_FILE_Create(path(m_dir, "x.bin").constData(), MDQ4170_FILE_MODE_WRITE);
        QVERIFY(MDQ4170_FILE_Release(f));
        QCOMPARE(MDQ4170_FILE_Release(f), 0);
        QCOMPARE(MDQ4170_FILE_Write(f, "a", 1), 0u);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_HANDLE);
        char c;
        QCOMPARE(MDQ4170_FILE_Read(f, &c, 1), 0u);
        QCOMPARE(MDQ4170_FILE_SetOffset(f, 0, 0, 0), 0);
    }

    void onlyRegularFilesAreDataFiles()
    {
        // A FIFO without a writer would block a plain open for good; a folder or a device
        // is no data file either. All are refused at once, in both modes, and left alone.
        const QByteArray fifo = path(m_dir, "fifo.bin");
        QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);
        QElapsedTimer t;
        t.start();
        for (const QByteArray& p : {fifo, QFile::encodeName(m_dir.path()), QByteArray("/dev/null")}) {
            for (int32_t mode : {MDQ4170_FILE_MODE_READ, MDQ4170_FILE_MODE_WRITE}) {
                QCOMPARE(MDQ4170_FILE_Create(p.constData(), mode), MDQ4170_INVALID_HANDLE);
                QVERIFY(MDQ4170_GetLastError() != MDQ4170_ERROR_SUCCESS);
            }
        }
        QVERIFY(t.elapsed() < 2000);
        struct stat st {};
        QVERIFY(::stat(fifo.constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    }

    void fullDiskComesUpShort()
    {
        // Room for the header and three 6-byte records, as the recorder writes them.
        MDQ4170SIM_SetFileWriteLimit(1312 + 18);
        const MDQ4170_FILE f = MDQ4170_FILE_Create(path(m_dir, "full.bin").constData(), MDQ4170_FILE_MODE_WRITE);
        QVERIFY(MDQ4170_FILE_SetOffset(f, 1312, 0, 0));
        for (int n = 0; n < 3; ++n)
            QCOMPARE(MDQ4170_FILE_Write(f, "123456", 6), 6u);
        QCOMPARE(MDQ4170_FILE_Write(f, "123456", 6), 0u);
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_DISK_FULL);
        // Rewriting what is already there (the header) still works.
        QVERIFY(MDQ4170_FILE_SetOffset(f, 0, 0, 0));
        const QByteArray header(1312, 'H');
        QCOMPARE(MDQ4170_FILE_Write(f, header.constData(), 1312), 1312u);
        QVERIFY(MDQ4170_FILE_SetOffset(f, 1326, 0, 0));
        QCOMPARE(MDQ4170_FILE_Write(f, "abcdef", 6), 4u);   // a write across the limit is cut
        MDQ4170_FILE_Release(f);
        QCOMPARE(QFile(m_dir.filePath(QStringLiteral("full.bin"))).size(), qint64(1330));

        MDQ4170SIM_SetFileWriteLimit(-1);
        const MDQ4170_FILE g = MDQ4170_FILE_Create(path(m_dir, "free.bin").constData(), MDQ4170_FILE_MODE_WRITE);
        QCOMPARE(MDQ4170_FILE_Write(g, header.constData(), 1312), 1312u);
        MDQ4170_FILE_Release(g);

        qputenv("MDQ4170_SIM_WRITE_LIMIT", "4");
        MDQ4170SIM_Reset();
        const MDQ4170_FILE e = MDQ4170_FILE_Create(path(m_dir, "env.bin").constData(), MDQ4170_FILE_MODE_WRITE);
        QCOMPARE(MDQ4170_FILE_Write(e, "123456", 6), 4u);
        MDQ4170_FILE_Release(e);
    }

    void freeBytes()
    {
        const QByteArray dir = QFile::encodeName(m_dir.path());
        struct statvfs vfs {};
        QCOMPARE(::statvfs(dir.constData(), &vfs), 0);
        const double expected = double(vfs.f_bavail) * double(vfs.f_frsize);
        const double tolerance = 256.0 * 1024 * 1024;   // other tests write meanwhile
        // A data file that does not exist yet, even in folders that do not exist yet.
        for (const char* name : {"", "/new.bin", "/a/b/c/new.bin"}) {
            const QByteArray p = dir + name;
            const double got = double(MDQ4170_FILE_GetDiskFreeBytes(p.constData()));
            QVERIFY2(std::abs(got - expected) < tolerance, p.constData());
            QVERIFY(got > 0);
        }
        QCOMPARE(MDQ4170_FILE_GetDiskFreeBytes(nullptr), uint64_t(0));
        QCOMPARE(MDQ4170_GetLastError(), MDQ4170_ERROR_INVALID_PARAMETER);
        QVERIFY(MDQ4170_FILE_GetDiskFreeBytes("relative/not/there.bin") > 0);

        MDQ4170SIM_SetFreeBytesOverride(50ll << 20);
        QCOMPARE(MDQ4170_FILE_GetDiskFreeBytes(dir.constData()), uint64_t(50) << 20);
        MDQ4170SIM_SetFreeBytesOverride(-1);
        QVERIFY(std::abs(double(MDQ4170_FILE_GetDiskFreeBytes(dir.constData())) - expected) < tolerance);
        qputenv("MDQ4170_SIM_FREE_BYTES", "12345");
        MDQ4170SIM_Reset();
        QCOMPARE(MDQ4170_FILE_GetDiskFreeBytes("/"), uint64_t(12345));
    }

    void resetClosesOpenFiles()
    {
        const MDQ4170_FILE f = MDQ4170_FILE_Create(path(m_dir, "open.bin").constData(), MDQ4170_FILE_MODE_WRITE);
        MDQ4170SIM_Reset();
        QCOMPARE(MDQ4170_FILE_Write(f, "a", 1), 0u);
        QCOMPARE(MDQ4170_FILE_Release(f), 0);
    }
};

QTEST_GUILESS_MAIN(TstDeviceIo)
#include "tst_device_io.moc"
