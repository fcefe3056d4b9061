// Instance markers between real processes: a held marker exists for every other process,
// is gone once its holder ends, also when the holder crashes; the folder fallback.
#include "devmarker.h"
#include "handover.h"
#include "tst_shell_holder.h"

#include <QDir>
#include <QTest>

using namespace nuv;

class TstShellMarkers : public QObject {
    Q_OBJECT
private slots:
    void withinOneProcess()
    {
        const QString name = DeviceMarkerName(7);
        QCOMPARE(name, QStringLiteral("7-MDQ4170"));
        QVERIFY(!MarkerExists(name));
        bool existed = true;
        const int h = CreateMarker(name, &existed);
        QVERIFY(h > 0);
        QVERIFY(!existed);
        // A second creation sees the first holder, as another instance would.
        int h2 = CreateMarker(name, &existed);
        QCOMPARE(h2, 0);
        QVERIFY(existed);
        QVERIFY(MarkerExists(name));
        ReleaseMarker(h);
        QVERIFY(!MarkerExists(name));
        h2 = CreateMarker(name, &existed);
        QVERIFY(h2 > 0);
        QVERIFY(!existed);
        ReleaseMarker(h2);
        ReleaseMarker(0);    // ignored
        ReleaseMarker(-1);   // ignored
    }

    void heldByAnotherProcess()
    {
        const QString sel = SelectionMarkerName();
        QCOMPARE(sel, QStringLiteral("MDQ4170MUTEX_SEL"));
        MarkerHolder holder({DeviceMarkerName(0), sel});
        QVERIFY(holder.Held());
        QVERIFY(MarkerExists(DeviceMarkerName(0)));
        QVERIFY(MarkerExists(sel));
        QVERIFY(!MarkerExists(DeviceMarkerName(1)));
        bool existed = false;
        QCOMPARE(CreateMarker(DeviceMarkerName(0), &existed), 0);
        QVERIFY(existed);

        // A second holder cannot take what the first holds.
        MarkerHolder second({DeviceMarkerName(0)});
        QVERIFY(!second.Held());

        holder.Stop();
        QCOMPARE(holder.ExitStatus(), QProcess::NormalExit);
        QVERIFY(!MarkerExists(DeviceMarkerName(0)));
        QVERIFY(!MarkerExists(sel));
    }

    void crashedHolderReleasesItsModule()
    {
        const QString name = DeviceMarkerName(3);
        MarkerHolder holder({name}, true);
        QVERIFY(holder.Held());
        QVERIFY(MarkerExists(name));
        holder.Stop();
        QCOMPARE(holder.ExitStatus(), QProcess::CrashExit);
        QVERIFY(!MarkerExists(name));
        bool existed = true;
        const int h = CreateMarker(name, &existed);
        QVERIFY(h > 0);
        QVERIFY(!existed);
        ReleaseMarker(h);
    }

    void markerHeldHereIsSeenByAnotherProcess()
    {
        bool existed = false;
        const int h = CreateMarker(DeviceMarkerName(5), &existed);
        QVERIFY(h > 0);
        MarkerHolder other({DeviceMarkerName(5)});
        QVERIFY(!other.Held());
        ReleaseMarker(h);
        MarkerHolder later({DeviceMarkerName(5)});
        QVERIFY(later.Held());
    }

    void desktopHandOverReachesTheRunningInstance()
    {
        QCOMPARE(HandedOverFiles({QStringLiteral("a.bin")}), QStringList());
        QCOMPARE(HandedOverFiles({QStringLiteral("x"), QStringLiteral("--open"), QStringLiteral("a.bin"), QStringLiteral("b c.bin")}),
                 (QStringList{QStringLiteral("a.bin"), QStringLiteral("b c.bin")}));
        QVERIFY(!HandoverReceiverRunning());
        // A request dropped before the receiver starts is picked up at its start.
        QVERIFY(SubmitHandover({QStringLiteral("/data/early.bin")}));
        QList<QStringList> got;
        CHandoverReceiver receiver([&got](const QStringList& files) { got << files; });
        QVERIFY(receiver.Start());
        QCOMPARE(got.size(), 1);
        QCOMPARE(got.takeFirst(), QStringList{QStringLiteral("/data/early.bin")});
        QVERIFY(HandoverReceiverRunning());
        CHandoverReceiver second([](const QStringList&) {});
        QVERIFY(!second.Start());   // one receiver only

        QVERIFY(SubmitHandover({QStringLiteral("rel.bin"), QStringLiteral("/abs/ü.bin")}));
        QTRY_COMPARE(got.size(), 1);
        QCOMPARE(got.takeFirst(),
                 (QStringList{QDir::current().absoluteFilePath(QStringLiteral("rel.bin")), QStringLiteral("/abs/ü.bin")}));
        QVERIFY(QDir(MarkerFolder() + QStringLiteral("/nuv-open")).entryList(QDir::Files).isEmpty());
    }

    void folderFallsBackWithoutRuntimeDir()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString dir = MarkerFolder();
        QVERIFY(dir.startsWith(QStringLiteral("/tmp/nuv-")));
        QVERIFY(QDir(dir).exists());
        bool existed = false;
        const int h = CreateMarker(QStringLiteral("fallback-check"), &existed);
        QVERIFY(h > 0);
        QVERIFY(QFile::exists(dir + QStringLiteral("/fallback-check.lock")));
        ReleaseMarker(h);
        if (!saved.isEmpty()) {
            qputenv("XDG_RUNTIME_DIR", saved);
            QCOMPARE(MarkerFolder(), QString::fromLocal8Bit(saved));
        }
    }
};

QTEST_GUILESS_MAIN(TstShellMarkers)
#include "tst_shell_markers.moc"
