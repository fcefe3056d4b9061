// The history document: opening, refusing, reloading at any position, second opens,
// commands, and files that are damaged or lie about themselves.
#include "views/aidigitvw.h"
#include "datafile/aihistdoc.h"
#include "datafile/aihistparamvw.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "datafile/opendatafile.h"
#include "res/resource.h"
#include "tst_hist_writer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QDir>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/stat.h>

using namespace nuv;

namespace {
// The window at position p of a file written by histtest: slot k of row r.
uint16_t Expected(uint32_t channels, int64_t p, int r, int k)
{
    return histtest::CodeAt(1312 + 2ull * channels * uint64_t(p + r) + 2ull * k);
}
} // namespace

class TstHistDoc : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<MsgRequest> m_msgs;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // A history window's document and panel as the frame builds them (no frame).
    struct Window {
        std::unique_ptr<CAIHistDoc> doc = std::make_unique<CAIHistDoc>();
        std::unique_ptr<CAIHistParamVw> panel = std::make_unique<CAIHistParamVw>();
        std::unique_ptr<CAIDigitVw> digit = std::make_unique<CAIDigitVw>();
        Window(bool withViews = true)
        {
            if (!withViews)
                return;
            panel->SetDocument(doc.get());
            digit->SetDocument(doc.get());
            panel->OnInitialUpdate();
            digit->OnInitialUpdate();
            panel->ShowParam(doc->m_Param);
            panel->EnablePanel(true);
        }
    };

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetMessageHandler([this](const MsgRequest& r) {
            m_msgs.append(r);
            return int(IDOK);
        });
    }
    void init() { m_msgs.clear(); }

    void opensAFile()
    {
        histtest::Spec s;
        s.first = 2;
        s.count = 3;
        s.readings = 500;
        s.range[2] = 0;
        s.range[3] = 9;
        s.range[4] = 15;
        s.rangeMin[3] = -1.25;
        s.codeStep[3] = 0.1;   // not a float: the gain is rounded to single precision
        const QString path = Path("channels2to4.bin");
        QVERIFY(histtest::Write(path, s));

        Window w;
        QVERIFY(w.doc->OpenFile(path));
        QVERIFY(m_msgs.isEmpty());
        QCOMPARE(w.doc->m_bOpen, 1);
        QVERIFY(w.doc->m_hFile != -1);
        QCOMPARE(w.doc->m_nChannelCount, 3u);
        QCOMPARE(w.doc->m_nScanCount, 500);
        QCOMPARE(w.doc->m_nMaxPosition, 500);
        QCOMPARE(w.doc->m_nPosition, 0);
        QCOMPARE(w.doc->m_Param.FirstChannel, 2u);
        QCOMPARE(w.doc->m_Param.Reserved1, int32_t(0x9ABCDEF0));
        QCOMPARE(w.doc->m_nEnabledCount, 3);
        QCOMPARE(w.doc->m_nEnabled[0], 2);
        QCOMPARE(w.doc->m_nEnabled[2], 4);
        QCOMPARE(w.doc->m_dOffset[3], -1.25);
        QCOMPARE(w.doc->m_dGain[3], double(float(0.1)));
        QCOMPARE(w.doc->m_dGain[0], 20.0 / 65536);   // disabled channels keep the recorded gain
        QCOMPARE(w.doc->CodeValue(3, 10), 10 * double(float(0.1)) - 1.25);
        QVERIFY(theApp.RecentFiles().contains(path));

        // Without a waveform view the window is min(131072, max - position, 1024) long,
        // and the table's rows are in it.
        QCOMPARE(w.doc->m_nWindowLength, 500u);
        QCOMPARE(w.doc->m_nLoadedScans, 500u);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(w.doc->m_Window[k][499], Expected(3, 0, 499, k));

        // Channels 2 to 4 at position 100: the window is read from byte 1912.
        w.doc->MoveTo(100);
        QCOMPARE(w.doc->m_nPosition, 100);
        QCOMPARE(w.doc->m_Window[0][0], histtest::CodeAt(1912));
        QCOMPARE(w.doc->m_Window[2][1], Expected(3, 100, 1, 2));
        QCOMPARE(w.doc->m_nWindowLength, 400u);

        // The panel shows the file's configuration, read-only.
        CAIHistParamVw& p = *w.panel;
        for (int c = 0; c < 8; ++c) {
            auto* box = p.findChild<QCheckBox*>(QString::number(IDC_CHANNEL_BOX[c]));
            auto* combo = p.findChild<QComboBox*>(QString::number(IDC_RANGE_LIST[c]));
            auto* icon = p.findChild<QLabel*>(QString::number(IDC_BREAK_ICON[c]));
            QVERIFY(box && combo && icon);
            QCOMPARE(box->isChecked(), c >= 2 && c <= 4);
            QCOMPARE(combo->currentIndex(), int(s.range[c]));
            QCOMPARE(combo->count(), 16);
            QVERIFY(!box->isEnabled() && !combo->isEnabled());
            QVERIFY(icon->isHidden());
        }
        QCOMPARE(p.findChild<QLineEdit*>("1355")->text(), QString("3"));
        QCOMPARE(p.findChild<QLineEdit*>("1356")->text(), QString("500"));
        QVERIFY(!p.findChild<QLineEdit*>("1356")->isEnabled());
        QCOMPARE(p.findChild<QGroupBox*>()->title(), QString("通道配置"));
        QCOMPARE(p.objectName(), QString("191"));

        // Closing gives the handle back.
        w.doc->OnCloseDocument();
        QCOMPARE(w.doc->m_hFile, -1);
    }

    void refusals()
    {
        Window w;
        QVERIFY(!w.doc->OpenFile(Path("missing.bin")));
        QCOMPARE(m_msgs.size(), 1);
        QCOMPARE(m_msgs[0].text, QString("打开文件失败, 可能该文件不存..."));
        QCOMPARE(m_msgs[0].icon, MsgIcon::Exclamation);
        QCOMPARE(m_msgs[0].caption, QString("SYS"));

        histtest::Spec s;
        s.readings = 3;
        s.productId = 0x4171;   // both marks right
        QVERIFY(histtest::Write(Path("foreign.bin"), s));
        m_msgs.clear();
        QVERIFY(!w.doc->OpenFile(Path("foreign.bin")));
        QCOMPARE(m_msgs.size(), 1);
        QCOMPARE(m_msgs[0].text, QString("此文件不属于该产品的数据文件"));
        QCOMPARE(m_msgs[0].icon, MsgIcon::Exclamation);
        QCOMPARE(w.doc->m_bOpen, 0);
        QCOMPARE(w.doc->m_hFile, -1);   // a refused file is not kept open
        QVERIFY(w.doc->GetTitle().isEmpty());

        s.productId = 0x4170;
        s.marks = false;
        QVERIFY(histtest::Write(Path("nomarks.bin"), s));
        QVERIFY(w.doc->OpenFile(Path("nomarks.bin")));
        QCOMPARE(w.doc->m_nScanCount, 3);

        // Shorter than a header: with and without the identification in what is there.
        m_msgs.clear();
        QVERIFY(histtest::Write(Path("short.bin"), histtest::Header(s).left(1000)));
        QVERIFY(!w.doc->OpenFile(Path("short.bin")));
        QCOMPARE(m_msgs.size(), 1);
        QVERIFY(m_msgs[0].text.contains("1312"));
        QVERIFY(histtest::Write(Path("tiny.bin"), QByteArray("abc")));
        QVERIFY(!w.doc->OpenFile(Path("tiny.bin")));
        QCOMPARE(m_msgs.last().text, QString("此文件不属于该产品的数据文件"));
        // A folder, and a FIFO no one writes to, are refused at once as unopenable.
        const QString fifo = Path("fifo.bin");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        for (const QString& p : {m_dir.path(), fifo}) {
            m_msgs.clear();
            QVERIFY(!w.doc->OpenFile(p));
            QCOMPARE(m_msgs.size(), 1);
            QCOMPARE(m_msgs[0].text, QString("打开文件失败, 可能该文件不存..."));
        }

        // The file on show survives every refusal.
        QVERIFY(w.doc->GetTitle().endsWith("nomarks.bin"));
        QCOMPARE(w.doc->m_nScanCount, 3);
        QVERIFY(w.doc->m_hFile != -1);
        w.doc->MoveTo(1);
        QCOMPARE(w.doc->m_nLoadedScans, 2u);
    }

    void zeroReadings()
    {
        // A run whose first read failed (0 readings) and one whose first record write
        // failed (1 reading, part of a record): empty recordings of their channels.
        histtest::Spec s;
        s.first = 1;
        s.count = 6;
        s.codesPerRecord = 0;
        s.readings = 1;
        s.records = 0;
        s.trailingBytes = 7;
        QVERIFY(histtest::Write(Path("failedwrite.bin"), s));
        s.readings = 0;
        s.trailingBytes = 0;
        QVERIFY(histtest::Write(Path("empty.bin"), s));
        Window w;
        QVERIFY(w.doc->OpenFile(Path("failedwrite.bin")));
        QVERIFY(m_msgs.isEmpty());
        QCOMPARE(w.doc->m_nEnabledCount, 6);
        QVERIFY(w.panel->findChild<QCheckBox*>(QString::number(IDC_CHANNEL_BOX[6]))->isChecked());
        QCOMPARE(w.doc->m_nScanCount, 0);
        QVERIFY(w.doc->OpenFile(Path("empty.bin")));
        QVERIFY(m_msgs.isEmpty());
        QCOMPARE(w.doc->m_nScanCount, 0);
        QCOMPARE(w.doc->m_nMaxPosition, 0);
        QCOMPARE(w.doc->m_nEnabledCount, 6);
        QCOMPARE(w.digit->OnVScroll(CAIDigitVw::VScroll::Bottom), 0);
        QCOMPARE(w.digit->OnVScroll(CAIDigitVw::VScroll::PageDown), 0);
        QCOMPARE(w.digit->OnWheel(-120), 0);
        QCOMPARE(w.doc->m_nPosition, 0);
        QCOMPARE(w.doc->m_nLoadedScans, 0u);
    }

    void viewsHearWhatChanged()
    {
        // A view the document knows only as one of its views: what it is told, and where
        // the document stands when it is told.
        struct Listener : CView {
            struct Heard {
                HistHint hint;
                int32_t position;
                uint32_t loaded;
                bool operator==(const Heard&) const = default;
            };
            QList<Heard> heard;
            QWidget widget;
            QWidget* GetWidget() override { return &widget; }
            void OnUpdate(CView*, int hint) override
            {
                const auto* d = static_cast<CAIHistDoc*>(GetDocument());
                heard.append({HistHint(hint), d->m_nPosition, d->m_nLoadedScans});
            }
        };
        histtest::Spec s;
        s.count = 3;
        s.readings = 500;
        QVERIFY(histtest::Write(Path("hints.bin"), s));
        Window w;
        Listener a, b;
        a.SetDocument(w.doc.get());
        b.SetDocument(w.doc.get());
        QSignalSpy opened(w.doc.get(), &CAIHistDoc::fileOpened);

        QVERIFY(!w.doc->OpenFile(Path("missing.bin")));
        QVERIFY(a.heard.isEmpty());
        QCOMPARE(opened.size(), 0);

        // The configuration before the window is read (it may change the waveform's width),
        // then the window.
        QVERIFY(w.doc->OpenFile(Path("hints.bin")));
        using H = Listener::Heard;
        QCOMPARE(a.heard, (QList<H>{{HistHint::FileOpened, 0, 0}, {HistHint::WindowLoaded, 0, 500}}));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0][0].toString(), Path("hints.bin"));

        // A move tells every view but the one that made it, the window already read.
        a.heard.clear();
        b.heard.clear();
        w.doc->MoveTo(100, &a);
        QVERIFY(a.heard.isEmpty());
        QCOMPARE(b.heard, (QList<H>{{HistHint::PositionMoved, 100, 400}}));
        QCOMPARE(w.digit->verticalScrollBar()->value(), 100);

        b.heard.clear();
        w.doc->OnCmdMsg(ID_OVERLAY_DISPLAY, nullptr);
        w.doc->OnCmdMsg(ID_DIGIT_HEX, nullptr);
        QCOMPARE(b.heard, (QList<H>{{HistHint::DisplayMode, 100, 400}, {HistHint::DigitMode, 100, 400}}));
    }

    void titles()
    {
        QCOMPARE(CAIHistDoc::HistTitle("/a/b.bin"), QString("AI回放:/a/b.bin"));
        // The length counts UTF-8 bytes: 17 characters, 35 bytes.
        QCOMPARE(CAIHistDoc::HistTitle("/d/数据文件数据文件x.bin"), QString("AI回放:数据文件数据文件x.bin"));

        // Real files at 30 and 31 bytes.
        QDir().mkpath("/tmp/nuvh");
        const QString p30 = "/tmp/nuvh/" + QString(16, 'a') + ".bin";
        const QString p31 = "/tmp/nuvh/" + QString(17, 'a') + ".bin";
        QCOMPARE(p30.size(), 30);
        QCOMPARE(p31.size(), 31);
        histtest::Spec s;
        s.readings = 1;
        QVERIFY(histtest::Write(p30, s));
        QVERIFY(histtest::Write(p31, s));
        Window w;
        QVERIFY(w.doc->OpenFile(p30));
        QCOMPARE(w.doc->GetTitle(), "AI回放:" + p30);
        QVERIFY(w.doc->OpenFile(p31));
        QCOMPARE(w.doc->GetTitle(), "AI回放:" + QString(17, 'a') + ".bin");
        QFile::remove(p30);
        QFile::remove(p31);
    }

    void secondOpenReplacesTheFirst()
    {
        histtest::Spec a;
        a.first = 0;
        a.count = 2;
        a.readings = 300;
        a.rangeMin[0] = -5;
        a.codeStep[0] = 0.5;
        histtest::Spec b;
        b.first = 5;
        b.count = 3;
        b.readings = 40;
        b.range[5] = 3;
        b.rangeMin[0] = 7;
        b.codeStep[0] = 0.25;
        b.rangeMin[6] = 1.5;
        QVERIFY(histtest::Write(Path("first.bin"), a));
        QVERIFY(histtest::Write(Path("second.bin"), b));

        Window w;
        QVERIFY(w.doc->OpenFile(Path("first.bin")));
        const MDQ4170_FILE firstHandle = w.doc->m_hFile;
        w.doc->MoveTo(120);
        QVERIFY(w.doc->OpenFile(Path("second.bin")));
        QVERIFY(w.doc->GetTitle().endsWith("second.bin"));
        QCOMPARE(w.doc->m_Param.FirstChannel, 5u);
        QCOMPARE(w.doc->m_PrevParam.ChannelCount, 2u);
        QCOMPARE(w.doc->m_dOffset[0], 7.0);
        QCOMPARE(w.doc->m_dGain[0], 0.25);
        QCOMPARE(w.doc->m_dOffset[6], 1.5);
        QCOMPARE(w.doc->m_nPosition, 0);
        QCOMPARE(w.doc->m_nEnabledCount, 3);
        QCOMPARE(w.doc->m_nEnabled[0], 5);
        QCOMPARE(w.doc->m_nMaxPosition, 40);
        QCOMPARE(w.doc->m_Window[1][0], Expected(3, 0, 0, 1));
        QCOMPARE(w.digit->verticalScrollBar()->value(), 0);
        QCOMPARE(w.panel->findChild<QLineEdit*>("1355")->text(), QString("3"));
        QVERIFY(!w.panel->findChild<QCheckBox*>("1327")->isChecked());
        QVERIFY(w.panel->findChild<QCheckBox*>("1333")->isChecked());   // AI5
        // The first file's handle was given back.
        char byte;
        QCOMPARE(MDQ4170_FILE_Read(firstHandle, &byte, 1), 0u);
    }

    void openCommand()
    {
        histtest::Spec s;
        s.readings = 20;
        QVERIFY(histtest::Write(Path("cmd1.bin"), s));
        s.readings = 30;
        QVERIFY(histtest::Write(Path("cmd2.bin"), s));
        Window w;
        QVERIFY(w.doc->OpenFile(Path("cmd1.bin")));
        w.doc->MoveTo(7);

        QString asked;
        QString filter;
        SetOpenDataFileDialog([&](QWidget*, const QString& title, const QString& f) {
            asked = title;
            filter = f;
            return QString();
        });
        CCmdUI ui(ID_OPEN_DATAFILE);
        QVERIFY(w.doc->OnCmdMsg(ID_OPEN_DATAFILE, &ui));
        QVERIFY(ui.m_bEnabled);
        QVERIFY(w.doc->OnCmdMsg(ID_OPEN_DATAFILE, nullptr));
        QCOMPARE(asked, QString("打开历史数据文件"));
        QVERIFY(filter.contains("二进制原码数据文件 (*.bin)"));
        QVERIFY(filter.contains("所有文件 (*.*)"));
        // Cancelled: nothing changed.
        QVERIFY(w.doc->GetTitle().endsWith("cmd1.bin"));
        QCOMPARE(w.doc->m_nPosition, 7);
        QCOMPARE(w.doc->m_nScanCount, 20);

        SetOpenDataFileDialog([&](QWidget*, const QString&, const QString&) { return Path("cmd2.bin"); });
        QVERIFY(w.doc->OnCmdMsg(ID_OPEN_DATAFILE, nullptr));
        QVERIFY(w.doc->GetTitle().endsWith("cmd2.bin"));
        QCOMPARE(w.doc->m_nScanCount, 30);
        QCOMPARE(w.doc->m_nPosition, 0);
        SetOpenDataFileDialog({});
    }

    void displayCommands()
    {
        Window w;
        CCmdUI tile(ID_TILE_DISPLAY), overlay(ID_OVERLAY_DISPLAY);
        QVERIFY(w.doc->OnCmdMsg(ID_TILE_DISPLAY, &tile));
        QVERIFY(w.doc->OnCmdMsg(ID_OVERLAY_DISPLAY, &overlay));
        QCOMPARE(tile.m_nCheck, 1);
        QCOMPARE(overlay.m_nCheck, 0);
        QVERIFY(w.doc->OnCmdMsg(ID_OVERLAY_DISPLAY, nullptr));
        QCOMPARE(w.doc->m_bTile, 0);
        CCmdUI tile2(ID_TILE_DISPLAY), overlay2(ID_OVERLAY_DISPLAY);
        w.doc->OnCmdMsg(ID_TILE_DISPLAY, &tile2);
        w.doc->OnCmdMsg(ID_OVERLAY_DISPLAY, &overlay2);
        QCOMPARE(tile2.m_nCheck, 0);
        QCOMPARE(overlay2.m_nCheck, 1);

        QCOMPARE(w.doc->m_nDigitMode, 2);
        QVERIFY(w.doc->OnCmdMsg(ID_DIGIT_HEX, nullptr));
        QCOMPARE(w.doc->m_nDigitMode, 1);
        CCmdUI hex(ID_DIGIT_HEX), dec(ID_DIGIT_DEC);
        w.doc->OnCmdMsg(ID_DIGIT_HEX, &hex);
        w.doc->OnCmdMsg(ID_DIGIT_DEC, &dec);
        QCOMPARE(hex.m_nCheck, 1);
        QCOMPARE(dec.m_nCheck, 0);
        QVERIFY(!w.doc->OnCmdMsg(ID_MIDDLE_VALUE, nullptr));   // the frame's
    }

    void damagedFiles()
    {
        Window w;
        // Torn last record and a header that promises more than the file holds.
        histtest::Spec s;
        s.count = 3;
        s.readings = 1000;
        s.records = 200;
        s.trailingBytes = 3;
        QVERIFY(histtest::Write(Path("torn.bin"), s));
        QVERIFY(w.doc->OpenFile(Path("torn.bin")));
        QCOMPARE(w.doc->m_nScanCount, 200);
        QCOMPARE(w.doc->m_nMaxPosition, 200);
        QCOMPARE(w.panel->findChild<QLineEdit*>("1356")->text(), QString("200"));
        w.doc->MoveTo(1000);
        QCOMPARE(w.doc->m_nPosition, 200);
        QCOMPARE(w.doc->m_nLoadedScans, 0u);
        w.doc->MoveTo(190);
        QCOMPARE(w.doc->m_nLoadedScans, 10u);
        QCOMPARE(w.doc->m_Window[2][9], Expected(3, 190, 9, 2));

        // Killed between two header refreshes: the records after the last count are shown.
        s.readings = 74;
        s.records = 80;
        QVERIFY(histtest::Write(Path("killed.bin"), s));
        m_msgs.clear();
        QVERIFY(w.doc->OpenFile(Path("killed.bin")));
        QVERIFY(m_msgs.isEmpty());
        QCOMPARE(w.doc->m_nScanCount, 80);
        QCOMPARE(w.panel->findChild<QLineEdit*>("1356")->text(), QString("80"));
        w.doc->MoveTo(70);
        QCOMPARE(w.doc->m_nLoadedScans, 10u);
        QCOMPARE(w.doc->m_Window[1][9], Expected(3, 70, 9, 1));

        // Impossible channel configurations open as files without channels, with a message.
        const struct { uint32_t first, count; int64_t codes; } bad[] = {
            {0, 0, 0}, {6, 3, 3}, {1, 4, 5}, {0xFFFFFFFF, 1, 1}};
        for (const auto& b : bad) {
            histtest::Spec x;
            x.first = b.first;
            x.count = b.count;
            x.codesPerRecord = b.codes;
            x.readings = 50;
            x.records = 0;
            x.trailingBytes = 800;
            QVERIFY(histtest::Write(Path("bad.bin"), x));
            m_msgs.clear();
            QVERIFY(w.doc->OpenFile(Path("bad.bin")));
            QCOMPARE(m_msgs.size(), 1);
            QCOMPARE(m_msgs[0].icon, MsgIcon::Exclamation);
            QCOMPARE(w.doc->m_nChannelCount, 0u);
            QCOMPARE(w.doc->m_nScanCount, 0);
            QCOMPARE(w.doc->m_nEnabledCount, 0);
            QCOMPARE(w.doc->m_nLoadedScans, 0u);
            QCOMPARE(w.panel->findChild<QLineEdit*>("1355")->text(), QString("0"));
            for (int c = 0; c < 8; ++c)
                QVERIFY(!w.panel->findChild<QCheckBox*>(QString::number(IDC_CHANNEL_BOX[c]))->isChecked());
            QCOMPARE(w.digit->OnVScroll(CAIDigitVw::VScroll::Bottom), 0);
        }

        // Range codes outside the table select nothing.
        histtest::Spec r;
        r.readings = 2;
        r.range[1] = 77;
        QVERIFY(histtest::Write(Path("range.bin"), r));
        QVERIFY(w.doc->OpenFile(Path("range.bin")));
        QCOMPARE(w.panel->findChild<QComboBox*>("1232")->currentIndex(), -1);
    }

    void seekFailure()
    {
        histtest::Spec s;
        s.readings = 100;
        QVERIFY(histtest::Write(Path("seek.bin"), s));
        Window w;
        QVERIFY(w.doc->OpenFile(Path("seek.bin")));
        const uint16_t before = w.doc->m_Window[0][5];
        MDQ4170_FILE_Release(w.doc->m_hFile);   // the handle goes bad under the document
        m_msgs.clear();
        w.doc->m_nPosition = 50;
        w.doc->ReloadWindow();
        QCOMPARE(m_msgs.size(), 1);
        QCOMPARE(m_msgs[0].text, QString("移动文件指针位置失败"));
        QCOMPARE(w.doc->m_Window[0][5], before);   // the buffer keeps its contents
        QCOMPARE(w.doc->m_nLoadedScans, 0u);       // but none of it is shown for position 50
    }

    void beyondFourGiB()
    {
        // 8 channels; both reads start above 4 GiB, where the codes differ from those at
        // the same offset less 4 GiB (also written), so a 32-bit offset shows wrong codes.
        histtest::Spec s;
        s.readings = (uint64_t(1) << 28) + 1000;
        const QString path = Path("big.bin");
        QVERIFY(histtest::WriteSparse(path, s, 1200));
        Window w;
        QVERIFY(w.doc->OpenFile(path));
        QCOMPARE(w.doc->m_nScanCount, int32_t(s.readings));
        QCOMPARE(w.digit->OnVScroll(CAIDigitVw::VScroll::ThumbTrack, INT_MAX), int32_t(s.readings));
        const int64_t p = int64_t(s.readings) - 200;
        QVERIFY(HistWindowOffset(8, p) > (uint64_t(1) << 32));
        QVERIFY(Expected(8, p, 0, 0) != histtest::CodeAt(HistWindowOffset(8, p) - (uint64_t(1) << 32)));
        w.doc->MoveTo(p);
        QCOMPARE(w.doc->m_nLoadedScans, 200u);
        for (int k = 0; k < 8; ++k)
            QCOMPARE(w.doc->m_Window[k][0], Expected(8, p, 0, k));
        QCOMPARE(w.doc->m_Window[7][199], Expected(8, p, 199, 7));

        uint16_t codes[8 * 3];
        QCOMPARE(w.doc->ReadScans(int64_t(s.readings) - 2, 3, codes), 2u);
        QCOMPARE(codes[8 + 3], Expected(8, int64_t(s.readings) - 2, 1, 3));
        QFile::remove(path);
    }

    void cappedCount()
    {
        // One channel and 2^32 + 7 complete records: more than a window can address, and
        // a count that a 32-bit or signed conversion anywhere on the way would wrap to 7
        // or below zero. The header states fewer readings than the file holds.
        histtest::Spec s;
        s.count = 1;
        s.readings = 5;
        s.records = int64_t((uint64_t(1) << 32) + 7);
        const QString path = Path("cap.bin");
        QVERIFY(histtest::WriteSparse(path, s, 64));
        const int64_t last = int64_t(kMaxHistScans) - 3;   // the last window the cap allows
        QVERIFY(histtest::FillRecords(path, s, uint64_t(last), 3));
        Window w;
        QVERIFY(w.doc->OpenFile(path));
        QCOMPARE(w.doc->m_nScanCount, kMaxHistScans);
        QCOMPARE(w.doc->m_nMaxPosition, kMaxHistScans);
        QCOMPARE(w.panel->findChild<QLineEdit*>("1356")->text(), QString::number(kMaxHistScans));
        QCOMPARE(w.digit->OnVScroll(CAIDigitVw::VScroll::ThumbTrack, INT_MAX), kMaxHistScans);
        w.doc->MoveTo(last);
        QCOMPARE(w.doc->m_nPosition, int32_t(last));
        QCOMPARE(w.doc->m_nLoadedScans, 3u);
        QCOMPARE(w.doc->m_Window[0][2], Expected(1, last, 2, 0));
        QFile::remove(path);
    }
};

QTEST_MAIN(TstHistDoc)
#include "tst_hist_doc.moc"
