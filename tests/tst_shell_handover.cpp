// Files handed over by the desktop: requests reach the running receiver whatever their
// paths hold; folders and requests that are not the user's own are refused, never
// followed, never made to delete anything outside.
#include "app/handover.h"
#include "tst_shell_holder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace nuv;

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TstShellHandover : public QObject {
    Q_OBJECT
    QTemporaryDir m_run;   // the session's runtime folder
    QTemporaryDir m_tmp;   // the temporary folder of the fallback
    std::unique_ptr<EnvGuard> m_env;
    QString m_own;         // the fallback folder, <tmp>/nuv-<uid>

private slots:
    void initTestCase()
    {
        m_env = std::make_unique<EnvGuard>(std::initializer_list<const char*>{"XDG_RUNTIME_DIR", "TMPDIR"});
        qputenv("XDG_RUNTIME_DIR", Native(m_run.path()));
        qputenv("TMPDIR", Native(m_tmp.path()));
        m_own = m_tmp.path() + QStringLiteral("/nuv-%1").arg(uint(::geteuid()));
    }

    void requestsReachTheRunningReceiver()
    {
        QCOMPARE(HandedOverFiles({QStringLiteral("a.bin")}), QStringList());
        QCOMPARE(HandedOverFiles({QStringLiteral("x"), QStringLiteral("--open"), QStringLiteral("a.bin"), QStringLiteral("b c.bin")}),
                 (QStringList{QStringLiteral("a.bin"), QStringLiteral("b c.bin")}));
        QStringList many{QStringLiteral("--open")};
        for (int i = 0; i < 20; ++i)
            many << QStringLiteral("/d/%1.bin").arg(i);
        QCOMPARE(HandedOverFiles(many), many.mid(1, kMaxHandedOverFiles));

        const QString folder = HandoverFolder();
        QCOMPARE(folder, m_run.path() + QStringLiteral("/nuv-open"));
        QCOMPARE(ModeOf(folder), 0700u);
        QVERIFY(!HandoverReceiverRunning());
        // A request dropped before the receiver starts is picked up at its start.
        QVERIFY(SubmitHandover({QStringLiteral("/data/early.bin")}));
        QList<QStringList> got;
        CHandoverReceiver receiver([&got](const QStringList& files) { got << files; });
        QCOMPARE(receiver.Start(), CHandoverReceiver::Started);
        QCOMPARE(got, QList<QStringList>{{QStringLiteral("/data/early.bin")}});
        got.clear();
        QVERIFY(HandoverReceiverRunning());
        CHandoverReceiver second([](const QStringList&) {});
        QCOMPARE(second.Start(), CHandoverReceiver::OtherReceiver);   // one receiver only

        // Any character but NUL: new lines, blanks, non-ASCII; relative paths made absolute.
        const QStringList odd{QStringLiteral("rel.bin"), QStringLiteral("/abs/ü.bin"), QStringLiteral("/two\nlines.bin"),
                              QStringLiteral("/ends in blank .bin")};
        QVERIFY(SubmitHandover(odd));
        QTRY_COMPARE(got.size(), 1);
        QCOMPARE(got.takeFirst(), QStringList{QDir::current().absoluteFilePath(QStringLiteral("rel.bin"))} + odd.mid(1));
        QVERIFY(SubmitHandover(many.mid(1)));
        QTRY_COMPARE(got.size(), 1);
        QCOMPARE(got.takeFirst(), many.mid(1, kMaxHandedOverFiles));
        QCOMPARE(Entries(folder), QStringList{QStringLiteral("receiver.lock")});
    }

    // A runtime folder others may enter is passed over for our own folder; a folder of our
    // own that is open to others, a link, a file or another user's is refused with one line
    // on stderr, and the program does without hand-over. Nothing behind a link is touched.
    void foldersNotOurOwnAreRefused()
    {
        const EnvGuard env({"XDG_RUNTIME_DIR"});
        QTemporaryDir shared;
        QVERIFY(::chmod(Native(shared.path()).constData(), 0755) == 0);
        qputenv("XDG_RUNTIME_DIR", Native(shared.path()));
        QCOMPARE(HandoverFolder(), m_own + QStringLiteral("/nuv-open"));
        QCOMPARE(ModeOf(m_own), 0700u);
        QVERIFY(Entries(shared.path()).isEmpty());

        // Elsewhere, a request that must survive whatever the refused folder leads to.
        const QString elsewhere = m_tmp.path() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere + QStringLiteral("/nuv-open")));
        QVERIFY(::chmod(Native(elsewhere).constData(), 0700) == 0);
        QVERIFY(::chmod(Native(elsewhere + QStringLiteral("/nuv-open")).constData(), 0700) == 0);
        const QString victim = elsewhere + QStringLiteral("/nuv-open/victim.open");
        QVERIFY(WriteFile(victim, QByteArrayLiteral("/victim.bin\0")));

        auto refused = [&](const QString& what) {
            StderrCapture err;
            QVERIFY2(HandoverFolder().isEmpty(), qPrintable(what));
            QVERIFY(!SubmitHandover({QStringLiteral("/x.bin")}));
            QVERIFY(!HandoverReceiverRunning());
            bool called = false;
            CHandoverReceiver receiver([&called](const QStringList&) { called = true; });
            QCOMPARE(receiver.Start(), CHandoverReceiver::Failed);
            QVERIFY(!receiver.ErrorString().isEmpty());
            QVERIFY(!called);
            QVERIFY(QFile::exists(victim));
            const QString said = err.Take();
            QVERIFY2(said.count(QLatin1Char('\n')) == 1 && said.contains(QStringLiteral("nuv-")), qPrintable(what + said));
        };
        QVERIFY(QDir(m_own).removeRecursively());
        QVERIFY(QDir().mkdir(m_own));
        QVERIFY(::chmod(Native(m_own).constData(), 0777) == 0);
        refused(QStringLiteral("open to all"));
        QVERIFY(QDir(m_own).removeRecursively());
        QVERIFY(QFile::link(elsewhere, m_own));
        refused(QStringLiteral("a link"));
        QVERIFY(QFile::remove(m_own));
        QVERIFY(WriteFile(m_own, "x"));
        refused(QStringLiteral("a file"));
        QVERIFY(QFile::remove(m_own));
        // Our runtime folder, with the hand-over folder in it a link to elsewhere.
        qputenv("XDG_RUNTIME_DIR", Native(m_run.path()));
        QVERIFY(QDir(m_run.path() + QStringLiteral("/nuv-open")).removeRecursively());
        QVERIFY(QFile::link(elsewhere + QStringLiteral("/nuv-open"), m_run.path() + QStringLiteral("/nuv-open")));
        refused(QStringLiteral("a linked hand-over folder"));
        QVERIFY(QFile::remove(m_run.path() + QStringLiteral("/nuv-open")));

        const passwd* nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || nobody == nullptr)
            QSKIP("a folder of another user needs root to make");
        qputenv("XDG_RUNTIME_DIR", Native(shared.path()));
        QVERIFY(QDir().mkdir(m_own));
        QVERIFY(::chmod(Native(m_own).constData(), 0700) == 0);
        QVERIFY(::chown(Native(m_own).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
        refused(QStringLiteral("another user's"));
        QVERIFY(QDir(m_own).removeRecursively());
    }

    // Only plain request files of the user are read; links, FIFOs and folders in the
    // hand-over folder are passed over (what a link leads to stays as it was), a path cut
    // short or relative is dropped; a receiver lock nobody can take fails the start.
    void onlyPlainRequestsOfOurOwnAreRead()
    {
        const QString folder = HandoverFolder();
        QVERIFY(!folder.isEmpty());
        const QString outside = m_tmp.path() + QStringLiteral("/outside.open");
        QVERIFY(WriteFile(outside, QByteArrayLiteral("/stolen.bin\0")));
        QVERIFY(QFile::link(outside, folder + QStringLiteral("/link.open")));
        QVERIFY(::mkfifo(Native(folder + QStringLiteral("/fifo.open")).constData(), 0600) == 0);
        QVERIFY(QDir(folder).mkdir(QStringLiteral("dir.open")));
        QVERIFY(WriteFile(folder + QStringLiteral("/cut.open"), QByteArrayLiteral("/a.bin\0relative.bin\0/cut-short")));
        const passwd* nobody = ::getpwnam("nobody");
        const bool root = ::geteuid() == 0 && nobody != nullptr;
        if (root) {
            QVERIFY(WriteFile(folder + QStringLiteral("/foreign.open"), QByteArrayLiteral("/foreign.bin\0")));
            QVERIFY(::chown(Native(folder + QStringLiteral("/foreign.open")).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
        }
        QList<QStringList> got;
        {
            CHandoverReceiver receiver([&got](const QStringList& files) { got << files; });
            QCOMPARE(receiver.Start(), CHandoverReceiver::Started);
            QCOMPARE(got, QList<QStringList>{{QStringLiteral("/a.bin")}});
        }
        QVERIFY(QFile::exists(outside));
        QCOMPARE(Entries(folder), (QStringList{QStringLiteral("dir.open"), QStringLiteral("receiver.lock")}));

        QVERIFY(QFile::remove(folder + QStringLiteral("/receiver.lock")));
        QVERIFY(::mkfifo(Native(folder + QStringLiteral("/receiver.lock")).constData(), 0600) == 0);
        StderrCapture err;
        QVERIFY(!HandoverReceiverRunning());   // so a second program opens its files itself
        CHandoverReceiver receiver([](const QStringList&) {});
        QCOMPARE(receiver.Start(), CHandoverReceiver::Failed);
        QVERIFY(receiver.ErrorString().contains(QStringLiteral("receiver.lock")));
        QVERIFY(err.Take().contains(QStringLiteral("receiver.lock")));
        QVERIFY(QFile::remove(folder + QStringLiteral("/receiver.lock")));
    }
};

QTEST_GUILESS_MAIN(TstShellHandover)
#include "tst_shell_handover.moc"
