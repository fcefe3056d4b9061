// The playback digit view: what the table says in each mode, which rows it shows, how
// it scrolls, and what it prints.
#include "views/aidigitvw.h"
#include "views/aicurvevw.h"
#include "views/aidigitvw_preview.h"
#include "views/aidigitvw_table.h"
#include "acquisition/aitypes.h"
#include "datafile/aihistdoc.h"
#include "framework/msgseam.h"
#include "res/resource.h"
#include "tst_hist_writer.h"

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QProgressDialog>
#include <QTimer>
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

    // Replaces the lone table by a history window's two views on a new file of 5000
    // readings; the table is `tableHeight` pixels high.
    void OpenWithCurve(CAICurveVw& curve, int tableHeight, const QString& name)
    {
        m_view.reset();
        m_doc = std::make_unique<CAIHistDoc>();
        curve.SetDocument(m_doc.get());
        m_view = std::make_unique<CAIDigitVw>();
        m_view->SetDocument(m_doc.get());
        curve.resize(800, 400);
        m_view->resize(400, tableHeight);
        curve.OnInitialUpdate();
        m_view->OnInitialUpdate();
        const QString path = m_dir.filePath(name);
        QVERIFY(histtest::Write(path, TwoToFour(5000)));
        QVERIFY(m_doc->OpenFile(path));
        curve.show();
        QVERIFY(QTest::qWaitForWindowExposed(&curve));
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
        // Columns take the colours of the waveform strips: slot by slot, not by channel.
        QCOMPARE(dev.find("  *AI2(mV)")->colour, QColor::fromRgb(m_doc->m_TraceColor[0]));
        QCOMPARE(dev.find("  *AI4(℃)")->colour, QColor::fromRgb(m_doc->m_TraceColor[2]));
        QVERIFY(m_doc->m_TraceColor[0] != m_doc->m_TraceColor[2]);
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
        QCOMPARE(dev.find(row6)->colour, QColor::fromRgb(m_doc->m_TraceColor[0]));
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
        m_doc->MoveTo(10);
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
        QCOMPARE(m_doc->m_nPosition, m - 128);   // the last screenful of rows
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(m_doc->m_nPosition, m - 128 - 572);
        QCOMPARE(m_doc->m_nLoadedScans, 700u);

        QWheelEvent wheel(QPointF(10, 10), m_view->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_view->viewport(), &wheel);
        QCOMPARE(m_doc->m_nPosition, m - 128 - 572 - 40);
    }

    static QString PdfText(const QString& file, int page)
    {
        QProcess p;
        p.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), "-layout", file, "-"});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // The index column of a printed page: the first number of every line.
    static QList<int> Indexes(const QString& page)
    {
        QList<int> out;
        for (const QString& line : page.split('\n')) {
            bool ok = false;
            const int i = line.simplified().section(' ', 0, 0).toInt(&ok);
            if (ok)
                out.append(i);
        }
        return out;
    }
    static int PdfPages(const QString& file)
    {
        QProcess p;
        p.start("pdfinfo", {file});
        p.waitForFinished(30000);
        const QString info = QString::fromUtf8(p.readAllStandardOutput());
        return QRegularExpression("Pages:\\s*(\\d+)").match(info).captured(1).toInt();
    }
    // Printers the commands make write PDF files here.
    void PrintToFile(const QString& path)
    {
        m_view->m_preparePrinter = [path](QPrinter& pr) {
            pr.setOutputFormat(QPrinter::PdfFormat);
            pr.setOutputFileName(path);
        };
    }

    void printsTheTable()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext not installed");
        Open(TwoToFour(300));
        // Start time 2024-03-05 14:07:09 in the header.
        const uint16_t start[8] = {2024, 3, 2, 5, 14, 7, 9, 0};
        for (int i = 0; i < 8; ++i)
            histtest::le16(&m_doc->m_Header[208 + 2 * i], start[i]);
        const QString pdf = m_dir.filePath("table.pdf");
        QVERIFY(m_view->PrintToPdf(pdf));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const int rows = m_view->RowsPerPage(printer);
        QVERIFY(rows > 20);
        const int pages = m_view->PageCount(printer, 0, -1);
        QCOMPARE(pages, (300 + rows - 1) / rows);

        const QString first = PdfText(pdf, 1);
        QVERIFY(first.contains("Index"));
        QVERIFY(first.contains("*AI2(mV)"));
        QVERIFY(first.contains("*AI4(℃)"));
        QVERIFY(first.contains(QString::asprintf("%6.5f", m_doc->m_Window[0][0] * 0.5 - 100).trimmed()));
        // Every page carries the file, its start, the channels with their ranges, its number.
        for (int page : {1, pages}) {
            const QString text = PdfText(pdf, page);
            QVERIFY(text.contains("view.bin"));
            QVERIFY(text.contains("2024-03-05 14:07:09"));
            // The PDF's text layer may give CJK characters as look-alikes; the rest is compared.
            auto ascii = [](QString t) { return t.remove(QRegularExpression("[^!-~]")); };
            QVERIFY(ascii(text).contains(ascii("AI2 " + RangeName(1))));
            QVERIFY(ascii(text).contains(ascii("AI4 " + RangeName(12))));
            QVERIFY(text.contains(QRegularExpression(QString::asprintf("第\\s*%d\\s*\\S\\s*/\\s*共\\s*%d\\s*\\S", page, pages))));
        }
        QCOMPARE(Indexes(first).size(), rows);
        QCOMPARE(Indexes(first).first(), 0);
        const QList<int> last = Indexes(PdfText(pdf, pages));
        QCOMPARE(last.first(), (pages - 1) * rows);
        QCOMPARE(last.last(), 299);
        QCOMPARE(PdfPages(pdf), pages);

        // A range of readings.
        const QString part = m_dir.filePath("part.pdf");
        QVERIFY(m_view->PrintToPdf(part, 250, 260));
        QCOMPARE(Indexes(PdfText(part, 1)), (QList<int>{250, 251, 252, 253, 254, 255, 256, 257, 258, 259, 260}));
        QCOMPARE(PdfPages(part), 1);

        // Paper: dark ink on white, whatever the screen's colours.
        QImage paper(QSize(600, 850), QImage::Format_RGB32);
        paper.fill(Qt::gray);
        {
            QPainter p(&paper);
            m_view->PaintPage(p, paper.rect(), printer.pageLayout(), 0, -1, 1);
        }
        int white = 0, dark = 0, light = 0;
        for (int y = 0; y < paper.height(); ++y)
            for (int x = 0; x < paper.width(); ++x) {
                const QColor c = paper.pixelColor(x, y);
                if (c == Qt::white)
                    ++white;
                else if (c.lightness() < 110)
                    ++dark;
                else if (c.lightness() > 200 && c.saturation() > 150)
                    ++light;   // bright colour as on screen
            }
        QVERIFY(white > paper.width() * paper.height() * 3 / 4);
        QVERIFY(dark > 1000);
        QCOMPARE(light, 0);
    }

    void printDialogAndPrintDirectly()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext not installed");
        Open(TwoToFour(300));
        QPrinter printer(QPrinter::HighResolution);
        const int rows = m_view->RowsPerPage(printer);
        const int pages = m_view->PageCount(printer, 0, -1);
        m_doc->MoveTo(100);

        // The dialog offers the readings from the position on; all pages and page ranges
        // (numbered over the whole file) stay possible.
        const QString pdf = m_dir.filePath("dialog.pdf");
        PrintToFile(pdf);
        QPrinter::PrintRange offered = QPrinter::AllPages;
        auto dialog = [&](QPrinter::PrintRange choice, int from = 0, int to = 0) {
            m_view->m_printDialog = [&, choice, from, to](QPrinter& pr, int pageCount) {
                offered = pr.printRange();
                pr.setPrintRange(choice);
                pr.setFromTo(from, to);
                return pageCount == pages;
            };
            QFile::remove(pdf);
            QVERIFY(m_view->OnCmdMsg(ID_FILE_PRINT, nullptr));
        };
        dialog(QPrinter::Selection);
        QCOMPARE(offered, QPrinter::Selection);
        QCOMPARE(Indexes(PdfText(pdf, 1)).first(), 100);
        QCOMPARE(Indexes(PdfText(pdf, PdfPages(pdf))).last(), 299);
        dialog(QPrinter::AllPages);
        QCOMPARE(Indexes(PdfText(pdf, 1)).first(), 0);
        QCOMPARE(PdfPages(pdf), pages);
        dialog(QPrinter::PageRange, 2, 2);
        QCOMPARE(Indexes(PdfText(pdf, 1)).first(), rows);
        QCOMPARE(PdfPages(pdf), 1);
        m_view->m_printDialog = [&](QPrinter&, int) { return false; };   // cancelled
        QFile::remove(pdf);
        m_view->OnCmdMsg(ID_FILE_PRINT, nullptr);
        QVERIFY(!QFile::exists(pdf));

        // Print directly: from the position, without a dialog, while at most 100 pages.
        bool asked = false;
        m_view->m_printDialog = [&](QPrinter&, int) { return asked = true, false; };
        CCmdUI ui(ID_FILE_PRINT_DIRECT);
        QVERIFY(m_view->OnCmdMsg(ID_FILE_PRINT_DIRECT, &ui));
        QVERIFY(ui.m_bEnabled);
        QVERIFY2(ui.m_strText.contains(QString::number(m_view->PageCount(printer, 100, -1))), qPrintable(ui.m_strText));
        QVERIFY(m_view->OnCmdMsg(ID_FILE_PRINT_DIRECT, nullptr));
        QVERIFY(!asked);
        QCOMPARE(Indexes(PdfText(pdf, 1)).first(), 100);

        // More than 100 pages from the position: the dialog decides.
        Open(TwoToFour(uint64_t(rows) * 101 + 5));
        PrintToFile(pdf);
        QFile::remove(pdf);
        m_view->m_printDialog = [&](QPrinter&, int) { return asked = true, false; };
        m_view->OnCmdMsg(ID_FILE_PRINT_DIRECT, nullptr);
        QVERIFY(asked);
        QVERIFY(!QFile::exists(pdf));
        m_doc->MoveTo(rows * 2);   // 99 pages and a bit from here
        asked = false;
        m_view->OnCmdMsg(ID_FILE_PRINT_DIRECT, nullptr);
        QVERIFY(!asked);
        QCOMPARE(PdfPages(pdf), 100);
    }

    void longPrintCanBeCancelled()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext not installed");
        Open(TwoToFour(20000));
        QPrinter printer(QPrinter::HighResolution);
        const int pages = m_view->PageCount(printer, 0, -1);
        QVERIFY(pages > 100);
        // The progress dialog is cancelled while the fourth page is on its way.
        int turns = 0;
        bool sawProgress = false;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] {
            if (auto* progress = m_view->findChild<QProgressDialog*>("printProgress")) {
                sawProgress = true;
                if (++turns == 4)
                    progress->cancel();
            }
        });
        tick.start(0);
        const QString pdf = m_dir.filePath("cancelled.pdf");
        QVERIFY(m_view->PrintToPdf(pdf));
        tick.stop();
        QVERIFY(sawProgress);
        const int printed = PdfPages(pdf);
        QVERIFY2(printed >= 2 && printed <= 5, qPrintable(QString::number(printed)));
        QVERIFY(!m_view->findChild<QProgressDialog*>("printProgress"));
    }

    void previewDrawsPagesOnDemand()
    {
        Open(TwoToFour(200000));
        m_doc->MoveTo(1000);
        QPrinter printer(QPrinter::HighResolution);
        const int pages = m_view->PageCount(printer, 1000, -1);
        QVERIFY(pages > 1000);
        bool shown = false;
        m_view->m_printPreview = [&](CDigitPrintPreview& preview) {
            shown = true;
            QCOMPARE(preview.PageCount(), pages);
            QCOMPARE(preview.CurrentPage(), 1);
            QCOMPARE(preview.RenderedPages(), 1);
            const QImage& page = preview.PageImage();
            QVERIFY(!page.isNull());
            QCOMPARE(page.pixelColor(2, 2), QColor(Qt::white));
            preview.ShowPage(3);
            preview.ShowPage(pages + 10);
            QCOMPARE(preview.CurrentPage(), pages);
            QCOMPARE(preview.RenderedPages(), 3);
        };
        QVERIFY(m_view->OnCmdMsg(ID_FILE_PRINT_PREVIEW, nullptr));
        QVERIFY(shown);
    }

    void columnsFitTheirNumbers()
    {
        // Values from -40000 to 25535 ("-40000.00000") do not fit the usual 90 pixels.
        histtest::Spec s = TwoToFour(5);
        s.rangeMin[4] = -40000;
        s.codeStep[4] = 1.0;
        Open(s, QSize(300, 200));
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        const QFontMetrics fm(DigitTableFont());
        const DigitTableLayout l = MeasureDigitTable(*m_doc);
        QVERIFY(l.Step >= fm.horizontalAdvance("-40000.00000") + fm.horizontalAdvance(" "));
        QCOMPARE(m_view->horizontalScrollBar()->maximum(), l.Width() - m_view->viewport()->width());
        // Scrolled to the right end, the last column's numbers end inside the window.
        m_view->horizontalScrollBar()->setValue(m_view->horizontalScrollBar()->maximum());
        QImage image(m_view->viewport()->size(), QImage::Format_RGB32);
        m_view->RenderTo(image);
        int rightmost = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(0, 0, 0))
                    rightmost = std::max(rightmost, x);
        QVERIFY(rightmost > image.width() - 40);
        QVERIFY(rightmost < image.width() - 2);
        // Narrow ranges keep the usual sizes.
        histtest::Spec narrow;
        narrow.count = 3;
        narrow.readings = 5;
        Open(narrow);
        QCOMPARE(MeasureDigitTable(*m_doc).Step, 90);
        QCOMPARE(MeasureDigitTable(*m_doc).IndexWidth, 60);
    }

    void cursorRowsFollowATableScroll()
    {
        // With the waveform view beside it, a scroll started from the table moves the
        // readings under the waveform cursors, and the table highlights those.
        CAICurveVw curve;
        OpenWithCurve(curve, 400, QStringLiteral("cursor.bin"));
        if (QTest::currentTestFailed())
            return;
        curve.PublishCursorIndices();
        const int before = m_doc->m_nCursorScan[0];
        m_view->OnVScroll(CAIDigitVw::VScroll::LineDown);
        QCOMPARE(m_doc->m_nPosition, 16);
        QCOMPARE(m_doc->m_nCursorScan[0], before + 16);
        m_view->OnWheel(-120);
        QCOMPARE(m_doc->m_nCursorScan[0], before + 56);
    }

    void endShowsTheLastRows()
    {
        // A history window's two views on a file of 5000 readings.
        CAICurveVw curve;
        OpenWithCurve(curve, 410, QStringLiteral("end.bin"));   // 24 whole rows and part of one
        if (QTest::currentTestFailed())
            return;
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        const QSize area = m_view->viewport()->size();
        const int whole = (area.height() - 16) / 16;

        // The table's texts: the last index drawn, on the last whole row, with the file's
        // values of that reading beside it.
        auto lastRowIs = [&](int64_t reading) {
            TextDevice dev(area);
            QPainter p(&dev);
            PaintDigitTable(p, area, *m_doc, m_view->ShownRows(area.height()), 0);
            p.end();
            const DrawnText* last = dev.find(QString::number(reading));
            const DrawnText* first = dev.find(QString::number(reading - whole + 1));
            const QString ai2 = QString::asprintf("  %6.5f", histtest::CodeAt(1312 + 6 * reading) * 0.5 - 100);
            bool valueBeside = false;
            for (const DrawnText& t : dev.texts())
                valueBeside |= last != nullptr && t.text == ai2 && t.at.y() == last->at.y();
            return last != nullptr && first != nullptr && !dev.find(QString::number(reading + 1)) &&
                   !dev.find(QString::number(reading - whole)) && last->at.y() > area.height() - 2 * 16 &&
                   valueBeside;
        };
        QVERIFY(!lastRowIs(4999));

        // End in the waveform: the plot's last screenful, the table's last rows.
        QTest::keyClick(&curve, Qt::Key_End);
        QCOMPARE(m_doc->m_nPosition, m_doc->EndPosition());
        QVERIFY(m_doc->m_nPosition > 0 && m_doc->m_nPosition < 5000 - whole);
        QVERIFY(lastRowIs(4999));
        QCOMPARE(m_view->TopRow(), 5000 - whole);
        // The cursor rows keep their highlight there.
        m_doc->m_nCursorScan[0] = 4990;
        {
            TextDevice dev(area);
            QPainter p(&dev);
            PaintDigitTable(p, area, *m_doc, m_view->ShownRows(area.height()), 0);
            p.end();
            const QString ai3 = QString::asprintf("  %6.5f", m_doc->CodeValue(3, histtest::CodeAt(1312 + 6 * 4990 + 2)));
            QVERIFY(dev.find(ai3) && dev.find(ai3)->colour == QColor::fromRgb(m_doc->m_CursorColor[0]));
        }
        // Rows before the loaded window come from the file: the position at the maximum.
        m_view->OnVScroll(CAIDigitVw::VScroll::ThumbTrack, 5000);
        QCOMPARE(m_doc->m_nPosition, 5000);
        QVERIFY(lastRowIs(4999));

        // The table's own bottom: its End key, its bar at the maximum.
        m_view->OnVScroll(CAIDigitVw::VScroll::Top);
        QVERIFY(!lastRowIs(4999));
        QCOMPARE(m_view->TopRow(), 0);
        QTest::keyClick(m_view.get(), Qt::Key_End);
        QCOMPARE(m_doc->m_nPosition, m_doc->EndPosition());
        QVERIFY(lastRowIs(4999));
        QTest::keyClick(m_view.get(), Qt::Key_Home);
        m_view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(m_doc->m_nPosition, m_doc->EndPosition());
        QVERIFY(lastRowIs(4999));

        // A file shorter than one waveform screen: the table's End still shows its last rows,
        // and the start shows the first ones again.
        const QString shortPath = m_dir.filePath(QStringLiteral("short.bin"));
        QVERIFY(histtest::Write(shortPath, TwoToFour(300)));
        QVERIFY(m_doc->OpenFile(shortPath));
        QCOMPARE(m_doc->EndPosition(), 0);
        QTest::keyClick(m_view.get(), Qt::Key_End);
        QVERIFY(lastRowIs(299));
        QTest::keyClick(&curve, Qt::Key_Home);
        QCOMPARE(m_view->TopRow(), 0);
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
