// The automatic DI reader without widgets: update rate, counting, stopping, failures.
#include "dio/direader.h"
#include "device/mdq4170_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

using namespace nuv;

namespace {
struct Post {
    int message;
    uint64_t count;
    bool payloadOk;
};

class Receiver : public QObject {
public:
    QList<Post> posts;
    bool event(QEvent* e) override
    {
        if (e->type() == MsgType(WM_DI_STATES) || e->type() == MsgType(WM_DI_READ_FAILED)) {
            auto* m = static_cast<CMsgEvent*>(e);
            bool ok = true;
            if (m->message() == WM_DI_STATES) {
                const DIStates* s = m->Payload<DIStates>();
                ok = s != nullptr;
                for (int i = 0; ok && i < 8; ++i)
                    ok = s->line[i] <= 1;
            }
            posts.append({m->message(), m->wParam, ok});
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

class TstDioReader : public QObject {
    Q_OBJECT
    MDQ4170_HANDLE m_h = MDQ4170_INVALID_HANDLE;

private slots:
    void init()
    {
        MDQ4170SIM_Reset();
        MDQ4170SIM_SetModuleCount(1);
        m_h = MDQ4170_DEV_Create(0, 0);
        QVERIFY(m_h != MDQ4170_INVALID_HANDLE);
    }
    void cleanup() { MDQ4170_DEV_Release(m_h); }

    void continuousReadsPostAtMostEvery100ms()
    {
        Receiver rx;
        CWndHandle wnd(&rx);
        CDIReader reader;
        reader.SetPause(0);
        QElapsedTimer clock;
        clock.start();
        reader.Start(m_h, wnd);
        QTest::qWait(1000);
        reader.Stop();
        reader.Join();
        const qint64 ms = clock.elapsed();
        QCoreApplication::sendPostedEvents(&rx);

        QVERIFY(!rx.posts.isEmpty());
        QVERIFY(rx.posts.size() <= ms / CDIReader::kNotifyMs + 1);
        QVERIFY2(rx.posts.size() >= 3, qPrintable(QString::number(rx.posts.size())));
        uint64_t last = 0;
        for (const Post& p : rx.posts) {
            QCOMPARE(p.message, WM_DI_STATES);
            QVERIFY(p.payloadOk);
            QVERIFY(p.count > last);
            last = p.count;
        }
        QCOMPARE(rx.posts.first().count, uint64_t(1));
        // Reads between updates are counted, not shown: far more reads than updates.
        QVERIFY2(last > uint64_t(5 * rx.posts.size()), qPrintable(QString::number(last)));
    }

    void pauseLongerThanTheRateShowsEveryRead()
    {
        Receiver rx;
        CWndHandle wnd(&rx);
        CDIReader reader;
        reader.SetPause(150);
        reader.Start(m_h, wnd);
        QTest::qWait(800);
        reader.Stop();
        reader.Join();
        QCoreApplication::sendPostedEvents(&rx);
        QVERIFY(rx.posts.size() >= 2);
        for (int i = 0; i < rx.posts.size(); ++i)
            QCOMPARE(rx.posts[i].count, uint64_t(i + 1));
    }

    void stopCutsTheCurrentPause()
    {
        Receiver rx;
        CWndHandle wnd(&rx);
        CDIReader reader;
        reader.SetPause(10000);
        reader.Start(m_h, wnd);
        QTest::qWait(50);
        QVERIFY(reader.IsActive());
        QElapsedTimer clock;
        clock.start();
        reader.Stop();
        reader.Join();
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!reader.IsActive());
        // A restart after a stop reads again from count 1.
        rx.posts.clear();
        reader.Start(m_h, wnd);
        QTest::qWait(30);          // the first has read once and sits in its pause
        reader.Start(m_h, wnd);   // stops and joins the first before the second begins
        QTest::qWait(50);
        reader.Stop();
        reader.Join();
        QCoreApplication::sendPostedEvents(&rx);
        QCOMPARE(rx.posts.size(), 2);
        QCOMPARE(rx.posts[0].count, uint64_t(1));
        QCOMPARE(rx.posts[1].count, uint64_t(1));
    }

    void failurePostedAndReaderEnds()
    {
        Receiver rx;
        CWndHandle wnd(&rx);
        CDIReader reader;
        reader.SetPause(0);
        reader.Start(m_h, wnd);
        QTest::qWait(150);
        MDQ4170SIM_FailDIO(0, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!reader.IsActive(), 3000);
        reader.Join();
        QCoreApplication::sendPostedEvents(&rx);
        QVERIFY(rx.posts.size() >= 2);
        QCOMPARE(rx.posts.last().message, WM_DI_READ_FAILED);
        QVERIFY(rx.posts.last().count >= rx.posts[rx.posts.size() - 2].count);

        // Without a device the first read fails.
        rx.posts.clear();
        reader.Start(MDQ4170_INVALID_HANDLE, wnd);
        reader.Join();
        QCoreApplication::sendPostedEvents(&rx);
        QCOMPARE(rx.posts.size(), 1);
        QCOMPARE(rx.posts[0].message, WM_DI_READ_FAILED);
        QCOMPARE(rx.posts[0].count, uint64_t(0));
    }

    void receiverGoneWhileReading()
    {
        CDIReader reader;
        reader.SetPause(0);
        {
            Receiver rx;
            CWndHandle wnd(&rx);
            reader.Start(m_h, wnd);
            QTest::qWait(120);
        }   // posts to the dead handle are dropped
        QTest::qWait(120);
        QVERIFY(reader.IsActive());
        reader.Stop();
        reader.Join();
        QCoreApplication::processEvents();
        QCOMPARE(PooledEventsInUse(), size_t(0));
    }
};

QTEST_GUILESS_MAIN(TstDioReader)
#include "tst_dio_reader.moc"
