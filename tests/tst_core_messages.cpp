// The message seam and posted messages: worker boxes wait for the GUI thread's answer;
// posts to a handle that is gone are dropped; payloads arrive intact; the pool recycles.
#include "framework/msgseam.h"
#include "framework/wndmsg.h"

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <thread>

using namespace nuv;

namespace {
class Receiver : public QObject {
public:
    int count = 0;
    uint64_t lastW = 0;
    int64_t lastL = 0;
    QByteArray payload;
    bool event(QEvent* e) override
    {
        if (e->type() == MsgType(WM_DI_STATES)) {
            auto* m = static_cast<CMsgEvent*>(e);
            ++count;
            lastW = m->wParam;
            lastL = m->lParam;
            payload = QByteArray(reinterpret_cast<const char*>(m->payload), int(m->payloadSize));
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

class TstCoreMessages : public QObject {
    Q_OBJECT
private slots:
    void workerBoxWaitsForAnswer()
    {
        QList<MsgRequest> seen;
        SetMessageHandler([&](const MsgRequest& r) {
            seen.append(r);
            return r.buttons == MsgButtons::YesNo ? IDYES : IDOK;
        });
        std::atomic<int> answer{0};
        std::atomic<bool> done{false};
        std::thread worker([&] {
            answer = AfxMessageBox(QStringLiteral("读取采样数据失败"), MsgIcon::Stop, MsgButtons::YesNo);
            done = true;
        });
        QTRY_VERIFY(done.load());
        worker.join();
        QCOMPARE(answer.load(), int(IDYES));
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].caption, QStringLiteral("SYS"));
        QVERIFY(seen[0].fromWorker);
        QCOMPARE(AfxMessageBox(QStringLiteral("x")), int(IDOK));
        QVERIFY(!seen[1].fromWorker);
        SetMessageHandler({});
    }

    void postsReachLiveWindowsOnly()
    {
        auto* r = new Receiver;
        HWND h = RegisterWindow(r);
        const uint32_t states[8] = {1, 0, 1, 1, 0, 0, 1, 0};
        QVERIFY(PostMessage(h, WM_DI_STATES, 17, -3, states, sizeof states));
        QCoreApplication::sendPostedEvents(r);
        QCOMPARE(r->count, 1);
        QCOMPARE(r->lastW, 17ull);
        QCOMPARE(r->lastL, -3ll);
        QCOMPARE(r->payload, QByteArray(reinterpret_cast<const char*>(states), sizeof states));
        QVERIFY(!PostMessage(h, WM_DI_STATES, 0, 0, nullptr, CMsgEvent::kPayload + 1));
        UnregisterWindow(h);
        delete r;
        QVERIFY(!PostMessage(h, WM_DI_STATES));
        QVERIFY(!PostMessage(0, WM_DI_STATES));
    }

    void poolRecyclesAcrossThreads()
    {
        Receiver r;
        CWndHandle h(&r);
        const size_t before = PooledEventsInUse();
        std::thread t([&] {
            for (int i = 0; i < 10000; ++i)
                PostMessage(h, WM_DI_STATES, uint64_t(i));
        });
        t.join();
        QVERIFY(PooledEventsInUse() > before);
        QCoreApplication::sendPostedEvents(&r);
        QCOMPARE(r.count, 10000);
        QCOMPARE(r.lastW, 9999ull);
        QCOMPARE(PooledEventsInUse(), before);
    }
};

QTEST_GUILESS_MAIN(TstCoreMessages)
#include "tst_core_messages.moc"
