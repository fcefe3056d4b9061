// The playback digit view: what the table says in each mode, which rows it shows, how
// it scrolls, and what it prints.
#include "aidigitvw.h"
#include "aidigitvw_table.h"
#include "aihistdoc.h"
#include "msgseam.h"
#include "resource.h"
#include "tst_hist_writer.h"

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextItem>
#include <memory>

using namespace nuv;

namespace {

// A paint device that keeps the text drawn on it with its pen colour and position.
struct DrawnText {
    QString text;
    QColor colour;
    QPointF at;
};

class TextEngine : public QPaintEngine {
public:
    QList<DrawnText> texts;
    QColor pen;
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& s) override
    {
        if (s.state() & DirtyPen)
            pen = s.pen().color();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        // A string drawn with a fallback font for some characters arrives in pieces on one
        // baseline; they are put back together.
        if (!texts.isEmpty() && texts.last().at.y() == p.y() && p.x() > texts.last().at.x() &&
            p.x() - texts.last().at.x() < 120 && texts.last().colour == pen) {
            texts.last().text += item.text();
            return;
        }
        texts.append({item.text(), pen, p});
    }
    void drawRects(const QRectF*, int) override {}
    Type type() const override { return User; }
};

class TextDevice : public QPaintDevice {
public:
    explicit TextDevice(QSize size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    QList<DrawnText>& texts() { return m_engine.texts; }
    const DrawnText* find(const QString& t) const
    {
        for (const DrawnText& d : m_engine.texts)
            if (d.text == t)
                return &d;
        return nullptr;
    }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 1;
        }
    }

private:
    QSize m_size;
    mutable TextEngine m_engine;
};

} // namespace

class TstHistDigitVw : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CAIHistDoc> m_doc;
    std::unique_ptr<CAIDigitVw> m_view;

    void Open(const histtest::Spec& s, QSize size = QSize(600, 400))
    {
        m_view.reset();
        m_doc = std::make_unique<CAIHistDoc>();
        m_view = std::make_unique<CAIDigitVw>();
        m_view->SetDocument(m_doc.get());
        m_doc->m_pDigitVw = m_view.get();
        m_view->resize(size);
        m_view->OnInitialUpdate();
        const QString path = m_dir.filePath("view.bin");
        QVERIFY(histtest::Write(path, s));
        QVERIFY(m_doc->OpenFile(path));
    }

    // Paints the window's table onto a text recorder.
    int Paint(TextDevice& dev, int hscroll = 0)
    {
        QPainter p(&dev);
        DigitTableRows rows;
        rows.First = m_doc->m_nPosition;
        rows.Available = int(std::min<uint32_t>(m_doc->m_nLoadedScans, 128));
        rows.Codes = &m_doc->m_Window[0][0];
        rows.SlotStride = kHistWindowScans;
        return PaintDigitTable(p, QSize(dev.width(), dev.height()), *m_doc, rows, hscroll);
    }

    static histtest::Spec TwoToFour(uint64_t readings)
    {
        histtest::Spec s;
        s.first = 2;
        s.count = 3;
        s.readings = readings;
        s.range[2] = 1;     // mV
        s.range[3] = 7;     // mA
        s.range[4] = 12;    // degC
        s.rangeMin[2] = -100;
        s.codeStep[2] = 0.5;
        return s;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetMessageHandler([](const MsgRequest&) { return int(IDOK); });
    }

    void headersAndValuesPerMode()
    {
        Open(TwoToFour(100));
        TextDevice dev(QSize(600, 400));
        QCOMPARE(Paint(dev), 24);   // rows 16..399 below the header row
        QVERIFY(dev.find("Index"));
        QCOMPARE(dev.find("Index")->colour, QColor(0, 255, 0));
        QVERIFY(dev.find("0") && dev.find("23") && !dev.find("24"));
        QVERIFY(dev.find("  *AI2(mV)"));
        QVERIFY(dev.find("  *AI3(mA)"));
        QVERIFY(dev.find("  *AI4(℃)"));
        QCOMPARE(dev.find("  *AI2(mV)")->colour, QColor::fromRgb(m_doc->m_TraceColor[2]));
        QCOMPARE(dev.find("  *AI4(℃)")->colour, QColor(245 - 60, 60, 80));
        const uint16_t k = m_doc->m_Window[0][5];   // AI2, row 5
        QVERIFY(dev.find(QString::asprintf("  %6.5f", k * 0.5 - 100)));

        m_doc->OnCmdMsg(ID_DIGIT_DEC, nullptr);
        TextDevice dec(QSize(600, 400));
        Paint(dec);
        QVERIFY(dec.find("  *AI3(Dec)"));
        QVERIFY(dec.find(QString::asprintf(" %6d", m_doc->m_Window[1][3])));

        CCmdUI hexUi(ID_DIGIT_HEX);
        QVERIFY(m_view->OnCmdMsg(ID_DIGIT_HEX, nullptr));
        m_view->OnCmdMsg(ID_DIGIT_HEX, &hexUi);
        QCOMPARE(hexUi.m_nCheck, 1);
        QCOMPARE(m_doc->m_nDigitMode, 1);
        TextDevice hex(QSize(600, 400));
        Paint(hex);
        QVERIFY(hex.find("  *AI4(Hex)"));
        QVERIFY(hex.find(QString::asprintf("%4x", unsigned(m_doc->m_Window[2][7]))));
    }

    void unitOfUnknownRanges()
    {
        histtest::Spec s = TwoToFour(5);
        s.range[2] = 40;    // first column: "V"
        s.range[3] = 0;     // mV
        s.range[4] = 99;    // the previous column's unit
        Open(s);
        TextDevice dev(QSize(600, 200));
        Paint(dev);
        QVERIFY(dev.find("  *AI2(V)"));
        QVERIFY(dev.find("  *AI3(mV)"));
        QVERIFY(dev.find("  *AI4(mV)"));
    }

    void cursorRows()
    {
        Open(TwoToFour(100));
        m_doc->MoveTo(10);
        m_doc->m_nCursorScan[0] = 12;
        m_doc->m_nCursorScan[1] = 15;
        m_doc->OnCmdMsg(ID_DIGIT_DEC, nullptr);
        TextDevice dev(QSize(600, 400));
        Paint(dev);
        const QString row2 = QString::asprintf(" %6d", m_doc->m_Window[0][2]);
        const QString row5 = QString::asprintf(" %6d", m_doc->m_Window[0][5]);
        const QString row6 = QString::asprintf(" %6d", m_doc->m_Window[0][6]);
        QCOMPARE(dev.find(row2)->colour, QColor(255, 0, 0));
        QCOMPARE(dev.find(row5)->colour, QColor(255, 255, 255));
        QCOMPARE(dev.find(row6)->colour, QColor::fromRgb(m_doc->m_TraceColor[2]));
    }

    void rowsStopAtTheEnd()
    {
        Open(TwoToFour(10));
        TextDevice dev(QSize(600, 400));
        QCOMPARE(Paint(dev), 10);
        QVERIFY(dev.find("9") && !dev.find("10"));
        m_doc->MoveTo(6);
        TextDevice four(QSize(600, 400));
        QCOMPARE(Paint(four), 4);
        QCOMPARE(m_view->OnVScroll(CAIDigitVw::VScroll::Bottom), 10);
        QCOMPARE(m_doc->m_nPosition, m_doc->m_nMaxPosition);
        TextDevice none(QSize(600, 400));
        QCOMPARE(Paint(none), 0);
        QVERIFY(none.find("Index"));   // headers stay

        // A window too short for all rows shows only what it holds.
        m_doc->MoveTo(0);
        m_doc->m_nLoadedScans = 3;
        TextDevice three(QSize(600, 400));
        QCOMPARE(Paint(three), 3);
    }

    void columnsHideBehindTheIndex()
    {
        Open(TwoToFour(50));
        QImage image(QSize(400, 200), QImage::Format_RGB32);
        m_view->horizontalScrollBar()->setRange(0, 1000);
        m_view->horizontalScrollBar()->setValue(95);   // AI2's column starts at x = -35
        m_view->RenderTo(image);
        // The index column is green on black (also where smoothed); every channel colour
        // here has red in it.
        bool channelLeft = false, channelRight = false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (qRed(image.pixel(x, y)) == 0)
                    continue;
                if (x < 70)
                    channelLeft = true;
                else
                    channelRight = true;
            }
        QVERIFY(!channelLeft);
        QVERIFY(channelRight);
        TextDevice dev(QSize(400, 200));
        Paint(dev, 95);
        QVERIFY(dev.find("  *AI3(mA)"));
    }

    void scrolling()
    {
        Open(TwoToFour(5000), QSize(600, 400));
        const int m = 5000;
        QCOMPARE(m_view->PageStep(), (m + 720) / 10);
        QScrollBar* v = m_view->verticalScrollBar();
        QCOMPARE(v->maximum(), m + 720 - m_view->viewport()->height());
        QCOMPARE(m_view->horizontalScrollBar()->maximum(), std::max(0, 4 * 90 - m_view->viewport()->width()));

        using V = CAIDigitVw::VScroll;
        QCOMPARE(m_view->OnVScroll(V::LineDown), 16);
        QCOMPARE(m_view->OnVScroll(V::PageDown), 16 + 572);
        QCOMPARE(m_view->OnVScroll(V::PageUp), 16);
        QCOMPARE(m_view->OnVScroll(V::LineUp), 0);
        QCOMPARE(m_view->OnVScroll(V::LineUp), 0);
        QCOMPARE(m_view->OnVScroll(V::ThumbTrack, 5600), m);   // beyond m: clamped
        QCOMPARE(m_view->OnVScroll(V::ThumbPosition), m);
        QCOMPARE(m_view->OnVScroll(V::Top), 0);
        QCOMPARE(m_view->OnWheel(-120), 40);
        QCOMPARE(m_view->OnWheel(-1), 80);
        QCOMPARE(m_view->OnWheel(360), 40);
        QCOMPARE(m_doc->m_nPosition, 40);
        QCOMPARE(m_doc->m_Window[0][0], histtest::CodeAt(1312 + 6 * 40));

        // The bar's own requests go the same way.
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(m_doc->m_nPosition, 56);
        QCOMPARE(v->value(), 56);
        v->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(m_doc->m_nPosition, m);
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(m_doc->m_nPosition, m - 572);
        QCOMPARE(m_doc->m_nLoadedScans, 572u);

        QWheelEvent wheel(QPointF(10, 10), m_view->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_view->viewport(), &wheel);
        QCOMPARE(m_doc->m_nPosition, m - 612);
    }

    void printsTheTable()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext not installed");
        Open(TwoToFour(300));
        const QString pdf = m_dir.filePath("table.pdf");
        QVERIFY(m_view->PrintToPdf(pdf));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const int rows = m_view->RowsPerPage(printer);
        QVERIFY(rows > 20);
        const int pages = m_view->PageCount(printer, 0, -1);
        QCOMPARE(pages, (300 + rows - 1) / rows);

        auto text = [](const QString& file, int page) {
            QProcess p;
            p.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), "-layout", file, "-"});
            p.waitForFinished(30000);
            return QString::fromUtf8(p.readAllStandardOutput());
        };
        const QString first = text(pdf, 1);
        QVERIFY(first.contains("Index"));
        QVERIFY(first.contains("*AI2(mV)"));
        QVERIFY(first.contains("*AI4(℃)"));
        QVERIFY(first.contains(QString::asprintf("%6.5f", m_doc->m_Window[0][0] * 0.5 - 100).trimmed()));
        // The index column of a page: the first number of every line.
        auto indexes = [](const QString& page) {
            QList<int> out;
            for (const QString& line : page.split('\n')) {
                bool ok = false;
                const int i = line.simplified().section(' ', 0, 0).toInt(&ok);
                if (ok)
                    out.append(i);
            }
            return out;
        };
        QCOMPARE(indexes(first).size(), rows);
        QCOMPARE(indexes(first).first(), 0);
        const QList<int> last = indexes(text(pdf, pages));
        QCOMPARE(last.first(), (pages - 1) * rows);
        QCOMPARE(last.last(), 299);
        QVERIFY(text(pdf, pages + 1).trimmed().isEmpty());

        // A range of readings, and the print dialog's page range.
        const QString part = m_dir.filePath("part.pdf");
        QVERIFY(m_view->PrintToPdf(part, 250, 260));
        const QList<int> partRows = indexes(text(part, 1));
        QCOMPARE(partRows.size(), 11);
        QCOMPARE(partRows.first(), 250);
        QCOMPARE(partRows.last(), 260);
        QVERIFY(text(part, 2).trimmed().isEmpty());

        const QString dialogPdf = m_dir.filePath("dialog.pdf");
        m_view->m_printDialog = [&](QPrinter& pr, int pageCount) {
            pr.setOutputFormat(QPrinter::PdfFormat);
            pr.setOutputFileName(dialogPdf);
            pr.setPrintRange(QPrinter::PageRange);
            pr.setFromTo(2, 2);
            return pageCount == pages;
        };
        QVERIFY(m_view->OnCmdMsg(ID_FILE_PRINT, nullptr));
        const QList<int> second = indexes(text(dialogPdf, 1));   // page 2 only
        QCOMPARE(second.first(), rows);
        QCOMPARE(second.last(), 2 * rows - 1);
        QVERIFY(text(dialogPdf, 2).trimmed().isEmpty());

        const QString cancelled = m_dir.filePath("cancelled.pdf");
        m_view->m_printDialog = [&](QPrinter& pr, int) {
            pr.setOutputFileName(cancelled);
            return false;
        };
        m_view->OnCmdMsg(ID_FILE_PRINT, nullptr);
        QVERIFY(!QFile::exists(cancelled));

        // The preview starts at the page of the position on show.
        m_doc->MoveTo(rows * 2 + 1);
        int from = 0, to = 0;
        m_view->m_printPreview = [&](QPrinter& pr) {
            from = pr.fromPage();
            to = pr.toPage();
        };
        m_view->OnCmdMsg(ID_FILE_PRINT_PREVIEW, nullptr);
        QCOMPARE(from, 3);
        QCOMPARE(to, pages);

        CCmdUI ui(ID_FILE_PRINT);
        QVERIFY(m_view->OnCmdMsg(ID_FILE_PRINT, &ui));
        QVERIFY(ui.m_bEnabled);
    }

    void shiftedPictureEqualsAFreshOne()
    {
        Open(TwoToFour(5000), QSize(600, 400));
        m_doc->m_nCursorScan[0] = 30;
        m_doc->m_nCursorScan[1] = 41;
        m_view->show();   // a hidden widget gets a resize with every grab, which drops the picture
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QWidget* vp = m_view->viewport();
        auto same = [&] {
            const QImage shown = vp->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QImage fresh(vp->size(), QImage::Format_RGB32);
            m_view->RenderTo(fresh);
            return shown == fresh;
        };
        QVERIFY(same());
        using V = CAIDigitVw::VScroll;
        for (V step : {V::LineDown, V::LineDown, V::LineUp, V::PageDown, V::LineUp}) {
            m_view->OnVScroll(step);
            QVERIFY(same());
        }
        m_view->OnWheel(-120);
        QVERIFY(same());
        m_view->OnWheel(120);
        QVERIFY(same());
        m_doc->m_nCursorScan[0] = m_doc->m_nPosition + 3;   // a change besides the position
        m_view->OnVScroll(V::LineDown);
        QVERIFY(same());
        m_view->OnVScroll(V::Bottom);                         // rows end inside the window
        m_view->OnVScroll(V::LineUp);
        QVERIFY(same());
    }

    void noFileDrawsNoTable()
    {
        CAIHistDoc doc;
        CAIDigitVw view;
        view.SetDocument(&doc);
        view.OnInitialUpdate();
        CCmdUI ui(ID_FILE_PRINT);
        view.OnCmdMsg(ID_FILE_PRINT, &ui);
        QVERIFY(!ui.m_bEnabled);
        QVERIFY(!view.PrintToPdf(m_dir.filePath("none.pdf")));
        QCOMPARE(view.OnVScroll(CAIDigitVw::VScroll::Bottom), 0);
        TextDevice dev(QSize(300, 300));
        QPainter p(&dev);
        QCOMPARE(PaintDigitTable(p, QSize(300, 300), doc, DigitTableRows{}, 0), 0);
        QVERIFY(dev.texts().isEmpty());
    }
};

QTEST_MAIN(TstHistDigitVw)
#include "tst_hist_digitvw.moc"
