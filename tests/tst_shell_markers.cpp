// Instance markers between real processes: a held marker exists for every other process,
// is gone once its holder ends, also when the holder crashes; one folder for the whole
// machine; squatted folders and files.
#include "app/devmarker.h"
#include "tst_shell_holder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

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

    // Every instance on the machine meets in one folder, whatever its session or user.
    void markersAreMachineWide()
    {
        {
            const EnvGuard env({"NUV_MARKER_DIR", "XDG_RUNTIME_DIR", "TMPDIR", "HOME"});
            qunsetenv("NUV_MARKER_DIR");
            const QString folder = MarkerFolder();
            qputenv("XDG_RUNTIME_DIR", "/elsewhere/run");
            qputenv("TMPDIR", "/elsewhere/tmp");
            qputenv("HOME", "/elsewhere");
            QCOMPARE(MarkerFolder(), folder);
            QVERIFY(!folder.startsWith(QStringLiteral("/elsewhere")));
        }
        MarkerHolder otherSession({DeviceMarkerName(0)}, false, [](QProcess& p) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("/nonexistent/other-session"));
            p.setProcessEnvironment(env);
        });
        QVERIFY(otherSession.Held());
        QVERIFY(MarkerExists(DeviceMarkerName(0)));
        otherSession.Stop();

        const passwd* nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || nobody == nullptr)
            QSKIP("an instance of another user needs root to start");
        // Marker files made under a strict umask stay lockable for every user.
        const EnvGuard env({"NUV_MARKER_DIR"});
        QTemporaryDir tmp;
        QVERIFY(::chmod(QFile::encodeName(tmp.path()).constData(), 0755) == 0);
        qputenv("NUV_MARKER_DIR", QFile::encodeName(tmp.path() + QStringLiteral("/markers")));
        const mode_t umaskWas = ::umask(077);
        const int h = CreateMarker(DeviceMarkerName(1), nullptr);
        ::umask(umaskWas);
        QVERIFY(h > 0);
        ReleaseMarker(h);
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        MarkerHolder otherUser({DeviceMarkerName(1), DeviceMarkerName(2)}, false, [uid, gid](QProcess& p) {
            p.setChildProcessModifier([uid, gid] {
                ::umask(077);
                if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                    ::_exit(3);
            });
        });
        QVERIFY(otherUser.Held());
        QVERIFY(MarkerExists(DeviceMarkerName(1)));
        QVERIFY(MarkerExists(DeviceMarkerName(2)));
        otherUser.Stop();
        QVERIFY(!MarkerExists(DeviceMarkerName(2)));
    }

    // Whatever cannot be created or locked counts as held, and nothing is followed out of
    // the folder; a fresh folder is sticky and open to all whatever the umask.
    void squattedMarkersCountAsHeld()
    {
        const EnvGuard env({"NUV_MARKER_DIR"});
        QTemporaryDir tmp;
        const QString root = tmp.path();
        auto heldEverywhere = [](const QString& folder) {
            qputenv("NUV_MARKER_DIR", QFile::encodeName(folder));
            StderrCapture err;
            bool existed = false;
            QCOMPARE(CreateMarker(DeviceMarkerName(0), &existed), 0);
            QVERIFY(existed);
            QVERIFY(MarkerExists(SelectionMarkerName()));
            const QString said = err.Take();
            QVERIFY2(said.contains(folder) && said.count(QLatin1Char('\n')) == 1, qPrintable(said));
        };
        QFile plain(root + QStringLiteral("/plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        heldEverywhere(plain.fileName());
        QVERIFY(QDir(root).mkdir(QStringLiteral("good")));
        QVERIFY(QFile::link(root + QStringLiteral("/good"), root + QStringLiteral("/link")));
        heldEverywhere(root + QStringLiteral("/link"));
        QVERIFY(QDir(root).mkdir(QStringLiteral("open")));
        QVERIFY(::chmod(QFile::encodeName(root + QStringLiteral("/open")).constData(), 0777) == 0);
        heldEverywhere(root + QStringLiteral("/open"));

        const QString fresh = root + QStringLiteral("/new/markers");
        qputenv("NUV_MARKER_DIR", QFile::encodeName(fresh));
        const mode_t umaskWas = ::umask(077);
        const int h = CreateMarker(DeviceMarkerName(0), nullptr);
        ::umask(umaskWas);
        QVERIFY(h > 0);
        ReleaseMarker(h);
        QCOMPARE(ModeOf(fresh), 01777u);
        QCOMPARE(ModeOf(fresh + QStringLiteral("/0-MDQ4170.lock")), 0444u);

        const QString victim = root + QStringLiteral("/victim");
        QVERIFY(QFile::link(victim, fresh + QStringLiteral("/1-MDQ4170.lock")));
        QVERIFY(::mkfifo(QFile::encodeName(fresh + QStringLiteral("/MDQ4170MUTEX_SEL.lock")).constData(), 0666) == 0);
        QVERIFY(QDir(fresh).mkdir(QStringLiteral("2-MDQ4170.lock")));
        StderrCapture err;
        QVERIFY(MarkerExists(DeviceMarkerName(1)));
        QVERIFY(!QFile::exists(victim));
        QVERIFY(MarkerExists(SelectionMarkerName()));
        QVERIFY(MarkerExists(DeviceMarkerName(2)));
        QVERIFY(!MarkerExists(DeviceMarkerName(0)));
        QCOMPARE(err.Take().count(QLatin1Char('\n')), 3);
    }
};

QTEST_GUILESS_MAIN(TstShellMarkers)
#include "tst_shell_markers.moc"
