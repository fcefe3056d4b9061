// The parameter panel: the channel run, ranges, the read interval, the save box and the
// break icons.
#include "tst_acq_rig.h"

#include "acquisition/acqmsg.h"
#include "app/tabs/tabctrlbar.h"
#include "views/aicurveview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>

using namespace nuv;
using namespace nuvtest;

namespace {
const int kBox[8] = {1327, 1328, 1329, 1330, 1332, 1333, 1334, 1335};
const int kList[8] = {1230, 1232, 1233, 1235, 1231, 1236, 1237, 1238};

template <class W> W* Find(QWidget* panel, int id)
{
    return panel->findChild<W*>(QString::number(id));
}
QString Ticked(QWidget* panel)
{
    QString s;
    for (int k = 0; k < 8; ++k)
        s += Find<QCheckBox>(panel, kBox[k])->isChecked() ? '1' : '0';
    return s;
}
AIParam Run(uint32_t first, uint32_t count)
{
    AIParam p{};
    p.FirstChannel = first;
    p.ChannelCount = count;
    return p;
}
void PostIcons(CAIParamVw* panel, double celsius, std::initializer_list<std::pair<uint32_t, uint32_t>> channels)
{
    CJCNotice n{};
    n.Celsius = celsius;
    int k = 0;
    for (auto [range, brk] : channels) {
        n.ReadingRange[k] = range;
        n.BreakState[k] = brk;
        ++k;
    }
    PostMessage(panel->GetSafeHwnd(), WM_BREAK_ICONS, 0, 0, &n, sizeof n);
    QCoreApplication::processEvents();
}
// The live waveform view with its strips' scales in reach.
class ScaleView : public CAICurveView {
public:
    QString TopLabel(int strip) const
    {
        curve::Label labels[16];
        const int n = curve::StripLabels(GetLayout(), strip, m_scale[strip], strip, false, labels, 16);
        return n > 0 ? labels[0].text : QString();
    }
};
} // namespace

class TestAcqPanel : public QObject {
    Q_OBJECT
private slots:
    void controlsAndTexts();
    void fitsParameterBar();
    void channelRun_data();
    void channelRun();
    void emptyRunAndRestart();
    void applyParamLoadsPanel();
    void rangeChangeAndMatch();
    void simulationStateScales();
    void readInterval();
    void saveBox();
    void breakIcons();
    void enablePanel();
    void coldJunctionRepaint();
};

void TestAcqPanel::controlsAndTexts()
{
    Rig rig;
    QWidget* p = rig.panel.get();
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(Find<QCheckBox>(p, kBox[k])->text(), QStringLiteral("AI%1").arg(k));
        QCOMPARE(Find<QComboBox>(p, kList[k])->count(), 16);
        QCOMPARE(Find<QComboBox>(p, kList[k])->itemText(9), QStringLiteral("J型(0～1200℃)"));
        QVERIFY(p->findChild<QWidget*>(QString::number(1339 + k)) != nullptr);
    }
    QVERIFY(Find<QLineEdit>(p, 1336)->isReadOnly());
    QCOMPARE(Find<QPushButton>(p, 1338)->text(), QStringLiteral("量程匹配通道0"));
    QCOMPARE(Find<QLineEdit>(p, 1331)->toolTip(), QStringLiteral("采样时间间隔"));
    QCOMPARE(Find<QCheckBox>(p, 1358)->text(), QStringLiteral("波形显示"));
    QCOMPARE(Find<QCheckBox>(p, 1347)->text(), QStringLiteral("保存数据文件"));
    QVERIFY(Find<QPlainTextEdit>(p, 1356)->isReadOnly());
    QStringList groups;
    for (auto* g : p->findChildren<QGroupBox*>())
        groups << g->title();
    QCOMPARE(groups, (QStringList{QStringLiteral("AI参数配置"), QStringLiteral("显示&&保存设置")}));
}

// In the AI window's 288-pixel bar the form needs no horizontal scrolling and shows
// every label whole, also when the window is short and a vertical scroll bar appears.
void TestAcqPanel::fitsParameterBar()
{
    QMainWindow frame;
    frame.setCentralWidget(new QWidget);
    auto* bar = new CTabCtrlBar(&frame);
    QVERIFY(bar->Create(QStringLiteral("bar"), 288, 800, 132));
    frame.addDockWidget(Qt::RightDockWidgetArea, bar);
    auto* panel = bar->AddView<CAIParamVw>(QStringLiteral("参数配置"));
    QVERIFY(panel != nullptr);
    panel->OnInitialUpdate();
    frame.resize(1024, 700);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_COMPARE(bar->width(), 288);
    auto* holder = qobject_cast<QScrollArea*>(panel->parentWidget()->parentWidget());
    QVERIFY(holder != nullptr);
    QTRY_VERIFY(holder->verticalScrollBar()->isVisible());
    QVERIFY(!holder->horizontalScrollBar()->isVisible());
    QVERIFY2(panel->minimumSizeHint().width() <= holder->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(panel->minimumSizeHint().width()).arg(holder->viewport()->width())));
    QCOMPARE(panel->width(), holder->viewport()->width());
    for (QLabel* label : panel->findChildren<QLabel*>()) {
        const QFontMetrics fm = label->fontMetrics();
        for (const QString& line : label->text().split(QLatin1Char('\n'))) {
            // A wrapped label may break a line, but not inside a character, and shows all its lines.
            const int need = label->wordWrap() ? fm.horizontalAdvance(line.left(1)) : fm.horizontalAdvance(line);
            QVERIFY2(need <= label->width(), qPrintable(line));
        }
        if (label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
    }
}

void TestAcqPanel::channelRun_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<int>("newFirst");
    QTest::addColumn<int>("newCount");
    QTest::newRow("clear AI3 of 0-7") << 0 << 8 << 3 << "11100000" << 0 << 3;
    QTest::newRow("tick AI6 beyond 2-4") << 2 << 3 << 6 << "00111110" << 2 << 5;
    QTest::newRow("tick AI0 before 2-4") << 2 << 3 << 0 << "11111000" << 0 << 5;
    QTest::newRow("tick AI0 before 1-2") << 1 << 2 << 0 << "11100000" << 0 << 3;
    QTest::newRow("clear first of run") << 2 << 3 << 2 << "00000000" << -1 << 0;
}

void TestAcqPanel::channelRun()
{
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(int, clicked);
    QFETCH(QString, ticked);
    QFETCH(int, newFirst);
    QFETCH(int, newCount);
    Rig rig;
    rig.SetRun(uint32_t(first), uint32_t(count));
    const uint32_t shown = rig.doc->m_nShownChannels;
    Find<QCheckBox>(rig.panel.get(), kBox[clicked])->click();
    QCOMPARE(Ticked(rig.panel.get()), ticked);
    QCOMPARE(rig.doc->m_Param.FirstChannel, newFirst < 0 ? 0xFFFFFFFFu : uint32_t(newFirst));
    QCOMPARE(rig.doc->m_Param.ChannelCount, uint32_t(newCount));
    QCOMPARE(rig.panel->RunCount(), newCount);
    QCOMPARE(rig.digit->Rows()->columnCount(), 1 + newCount);   // digit view rebuilt
    QCOMPARE(rig.doc->m_nShownChannels, shown);                  // unchanged by clicks
}

void TestAcqPanel::emptyRunAndRestart()
{
    Rig rig;
    rig.SetRun(0, 8);
    Find<QCheckBox>(rig.panel.get(), kBox[0])->click();
    QCOMPARE(rig.doc->m_Param.ChannelCount, 0u);
    Find<QCheckBox>(rig.panel.get(), kBox[5])->click();
    QCOMPARE(Ticked(rig.panel.get()), QStringLiteral("00000100"));
    QCOMPARE(rig.doc->m_Param.FirstChannel, 5u);
    QCOMPARE(rig.doc->m_Param.ChannelCount, 1u);
    QCOMPARE(rig.panel->RunFirst(), 5);
    QCOMPARE(rig.panel->RunLast(), 5);
}

void TestAcqPanel::applyParamLoadsPanel()
{
    Rig rig;
    AIParam p = Run(3, 3);
    p.Range[3] = 9;
    p.Range[7] = 15;
    rig.doc->m_CodeRing[2][5] = 9;
    rig.doc->m_nScrollPos = 30;
    rig.doc->m_Param = p;
    rig.panel->ApplyParam(p);
    QCOMPARE(Ticked(rig.panel.get()), QStringLiteral("00011100"));
    QCOMPARE(Find<QComboBox>(rig.panel.get(), kList[3])->currentIndex(), 9);
    QCOMPARE(Find<QComboBox>(rig.panel.get(), kList[7])->currentIndex(), 15);
    QCOMPARE(rig.doc->m_nShownChannels, 3u);
    QCOMPARE(rig.data->rowCount(), 3);
    QCOMPARE(rig.doc->m_CodeRing[2][5], uint16_t(0));
    QCOMPARE(rig.doc->m_nScrollPos, 0);
    QCOMPARE(rig.digit->Rows()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("AI3(℃)"));
    QCOMPARE(Find<QLineEdit>(rig.panel.get(), 1331)->text(), QStringLiteral("1000"));
}

void TestAcqPanel::rangeChangeAndMatch()
{
    Rig rig;
    rig.SetRun(0, 3);
    auto* list1 = Find<QComboBox>(rig.panel.get(), kList[1]);
    list1->setCurrentIndex(5);
    emit list1->activated(5);
    RangeInfo ri{};
    MDQ4170_AI_GetRangeInfo(theApp.m_hDevice, 5, &ri);
    QCOMPARE(rig.doc->m_Param.Range[1], 5u);
    QCOMPARE(rig.doc->m_RangeInfo[1].RangeMin, ri.RangeMin);
    QCOMPARE(rig.doc->m_RangeInfo[1].CodeStep, ri.CodeStep);
    QCOMPARE(rig.digit->Rows()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("AI1(V)"));

    auto* list0 = Find<QComboBox>(rig.panel.get(), kList[0]);
    list0->setCurrentIndex(12);
    emit list0->activated(12);
    Find<QPushButton>(rig.panel.get(), 1338)->click();
    MDQ4170_AI_GetRangeInfo(theApp.m_hDevice, 12, &ri);
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(Find<QComboBox>(rig.panel.get(), kList[k])->currentIndex(), 12);
        QCOMPARE(rig.doc->m_Param.Range[k], 12u);
        QCOMPARE(rig.doc->m_RangeInfo[k].CodeStep, ri.CodeStep);
    }
    QCOMPARE(rig.digit->Rows()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("AI2(℃)"));
}

// Without a module the scales and column widths come from the nominal ranges instead of
// collapsing to zero.
void TestAcqPanel::simulationStateScales()
{
    Rig rig(false);
    const uint32_t ranges[8] = {0, 3, 6, 7, 8, 9, 11, 15};
    std::copy(ranges, ranges + 8, rig.doc->m_Param.Range);
    ScaleView view;
    view.SetDocument(rig.doc);
    view.resize(500, 800);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.OnInitialUpdate();
    const QStringList tops{QStringLiteral("50.0 mV"), QStringLiteral("1.0 V"), QStringLiteral("10.0 V"),
                           QStringLiteral("20.0 mA"), QStringLiteral("20.0 mA"), QStringLiteral("1200.0 ℃"),
                           QStringLiteral("400.0 ℃"), QStringLiteral("1800.0 ℃")};
    for (int k = 0; k < 8; ++k)
        QCOMPARE(view.TopLabel(k), tops[k]);

    auto* list1 = Find<QComboBox>(rig.panel.get(), kList[1]);
    list1->setCurrentIndex(11);
    emit list1->activated(11);
    QCOMPARE(view.TopLabel(1), QStringLiteral("400.0 ℃"));
    QCOMPARE(rig.doc->m_RangeInfo[1].RangeMin, -200.0);
}

void TestAcqPanel::readInterval()
{
    Rig rig;
    auto* field = Find<QLineEdit>(rig.panel.get(), 1331);
    rig.doc->m_fNotifyInterval = 1000.0f;
    field->setText(QStringLiteral("50"));
    QCOMPARE(rig.doc->m_fReadInterval, 50.0f);
    QCOMPARE(rig.doc->m_fNotifyInterval, 1000.0f);   // set only when the field loses focus
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(field, &out);
    QCOMPARE(rig.doc->m_fNotifyInterval, 100.0f);

    field->setText(QStringLiteral("250"));
    QCoreApplication::sendEvent(field, &out);
    QCOMPARE(rig.doc->m_fNotifyInterval, 250.0f);

    field->setText(QStringLiteral("12a"));
    QCOMPARE(rig.messages, QStringList{QStringLiteral("请输入一个数。")});
    QCOMPARE(rig.doc->m_fReadInterval, 250.0f);
}

void TestAcqPanel::saveBox()
{
    Rig rig;
    auto* box = Find<QCheckBox>(rig.panel.get(), 1347);
    auto* note = Find<QPlainTextEdit>(rig.panel.get(), 1356);
    QString answer = QStringLiteral("/tmp/chosen.bin");
    auto old = CAIParamVw::SetSaveFileChooser([&](QWidget*) { return answer; });
    box->click();
    QVERIFY(box->isChecked());
    QCOMPARE(rig.doc->m_bSaveFile, 1);
    QCOMPARE(rig.doc->m_strDataFile, answer);
    QCOMPARE(note->toPlainText(), answer);
    box->click();   // cleared
    QCOMPARE(rig.doc->m_bSaveFile, 0);
    QVERIFY(note->toPlainText().isEmpty());
    QCOMPARE(rig.doc->m_strDataFile, answer);   // the name stays chosen
    answer.clear();   // Cancel
    box->click();
    QVERIFY(!box->isChecked());
    QCOMPARE(rig.doc->m_bSaveFile, 0);
    CAIParamVw::SetSaveFileChooser(old);
}

void TestAcqPanel::breakIcons()
{
    Rig rig;
    CAIParamVw* p = rig.panel.get();
    // channel 0 thermocouple, normal; 1 thermocouple, broken; 2 voltage.
    PostIcons(p, 23.5, {{9, 0}, {10, 1}, {3, 1}});
    QCOMPARE(Find<QLineEdit>(p, 1336)->text(), QStringLiteral("23.500000"));
    QCOMPARE(p->BreakIcon(0), 209);
    QCOMPARE(p->BreakIcon(1), 208);
    QCOMPARE(p->BreakIcon(2), 207);
    PostIcons(p, 23.5, {{9, 0}, {10, 0}, {3, 1}});
    QCOMPARE(p->BreakIcon(0), 209);
    QCOMPARE(p->BreakIcon(1), 209);
    // Switched to a voltage range: grey; back to a thermocouple range: its state again.
    PostIcons(p, 23.5, {{4, 0}, {10, 0}, {3, 1}});
    QCOMPARE(p->BreakIcon(0), 207);
    PostIcons(p, 23.5, {{9, 0}, {10, 0}, {3, 1}});
    QCOMPARE(p->BreakIcon(0), 209);
}

void TestAcqPanel::enablePanel()
{
    Rig rig;
    rig.doc->m_fReadInterval = 20.0f;
    rig.doc->OnStartAcquisition();
    QWidget* p = rig.panel.get();
    for (int k = 0; k < 8; ++k) {
        QVERIFY(!Find<QCheckBox>(p, kBox[k])->isEnabled());
        QVERIFY(!Find<QComboBox>(p, kList[k])->isEnabled());
    }
    for (int id : {1338, 1347, 1331, 1336, 1358})
        QVERIFY(!p->findChild<QWidget*>(QString::number(id))->isEnabled());
    QVERIFY(Find<QPlainTextEdit>(p, 1356)->isEnabled());
    // The worker's cold-junction reading reaches the field.
    QVERIFY(QTest::qWaitFor([&] { return !Find<QLineEdit>(p, 1336)->text().isEmpty(); }, 5000));
    rig.doc->OnStopAcquisition();   // returns at once; the panel is usable again
    QVERIFY(Find<QCheckBox>(p, kBox[0])->isEnabled());
    QVERIFY(rig.WaitIdle());
}

// The cold-junction field changes with every reading: its repaint stays inside the field,
// and what is shown there is still the group box's current look, also after that changes.
void TestAcqPanel::coldJunctionRepaint()
{
    Rig rig;
    CAIParamVw* p = rig.panel.get();
    p->resize(p->sizeHint());
    p->show();
    QVERIFY(QTest::qWaitForWindowExposed(p));
    auto* field = Find<QLineEdit>(p, 1336);
    QWidget* holder = field->parentWidget();
    QGroupBox* box = qobject_cast<QGroupBox*>(holder->parentWidget());
    QVERIFY(box != nullptr);
    struct Counter : QObject {
        int n = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            n += e->type() == QEvent::Paint;
            return false;
        }
    } boxPaints, fieldPaints;
    box->installEventFilter(&boxPaints);
    field->installEventFilter(&fieldPaints);
    auto shown = [&] {
        QTest::qWait(50);
        return p->screen()->grabWindow(p->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QRect r = holder->geometry().translated(box->mapTo(p, QPoint()));
    PostIcons(p, 23.5, {{9, 0}});
    QTRY_VERIFY(fieldPaints.n > 0);
    boxPaints.n = fieldPaints.n = 0;
    for (double t : {24.25, 24.5}) {
        PostIcons(p, t, {{9, 0}});
        QTRY_VERIFY(fieldPaints.n > 0);
        QCOMPARE(field->text(), QString::asprintf("%f", t));
        QCOMPARE(boxPaints.n, 0);
        fieldPaints.n = 0;
    }
    // The surroundings take another look: the field's corners, which it leaves to what is
    // behind it, follow. A colour the group box is given but does not fill shows nowhere;
    // one the panel is given shows around and under the field alike.
    for (QWidget* w : {static_cast<QWidget*>(box), static_cast<QWidget*>(p)}) {
        const QImage before = shown();
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, QColor(150, 190, 240));
        w->setPalette(pal);
        PostIcons(p, 25.0, {{9, 0}});
        const QImage after = shown();
        QCOMPARE(after.pixel(r.topLeft()), after.pixel(r.topLeft() - QPoint(0, 2)));
        QCOMPARE(after.pixel(r.bottomRight()), after.pixel(r.bottomRight() + QPoint(0, 2)));
        QCOMPARE(after.pixel(r.topLeft()) != before.pixel(r.topLeft()), w == p);
    }
}

QTEST_MAIN(TestAcqPanel)
#include "tst_acq_panel.moc"
