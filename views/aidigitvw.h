// The playback digit view: a painted, scrollable table of the opened file's samples.
#pragma once

#include "views/aidigitvw_table.h"
#include "framework/document.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPageLayout>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPrinter;

namespace nuv {

class CAIHistDoc;
class CDigitPrintPreview;

class CAIDigitVw : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    explicit CAIDigitVw(QWidget* parent = nullptr);
    ~CAIDigitVw() override;
    QWidget* GetWidget() override { return this; }
    CAIHistDoc* GetDoc() const;

    void OnInitialUpdate() override;
    // Follows the document (HistHint): scroll range, position, cursor rows, number format.
    void OnUpdate(CView* sender, int hint) override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32813-32815, 57607-57609
    void SetScrollSizes(int maxPosition);
    void SetPosition(int position);
    // The optional time column "时间" after the channels: the file's start plus each
    // reading's index of periods (on screen and on paper).
    void SetTimeColumn(bool on, const QDateTime& start, double periodMs);
    const DigitTableTime* TimeColumn() const { return m_bTime ? &m_time : nullptr; }

    // Scroll requests as the vertical bar and the wheel deliver them.
    enum class VScroll { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom, EndScroll };
    // Applies one request to the document's position; returns the new position.
    int OnVScroll(VScroll request, int trackPos = 0);
    // One wheel message: 40 readings back for a positive delta, forward otherwise.
    int OnWheel(int delta);
    // Page step of the vertical bar: a tenth of (maximum position + 720).
    int PageStep() const { return m_nPageStep; }

    // Draws what the window shows into `image` (sized by the caller); the paint handler
    // copies the same picture to the screen.
    void RenderTo(QImage& image);

    // First reading of the table in a client area `height` pixels tall (< 0: the
    // viewport's): the position, or the last screenful, with the last reading on the last
    // whole row, when the operator is at the end of the file (the position at or past the
    // document's end position, or the table's own bottom) or the rows from the position
    // would leave the table's lower part empty while earlier readings exist.
    int64_t TopRow(int height = -1) const;
    // The rows the table draws in that area: from the loaded window, or read from the
    // file when they lie before it.
    DigitTableRows ShownRows(int height);

    // Printing. Pages show the table in dark ink on white under a header with the file,
    // its start time, the channels with their ranges and the page number. Rows per page
    // and page count for a page layout and the readings first..last (last < 0: to the end
    // of the file).
    int RowsPerPage(const QPageLayout& layout) const;
    int RowsPerPage(QPrinter& printer) const;
    int PageCount(const QPageLayout& layout, int64_t first, int64_t last) const;
    int PageCount(QPrinter& printer, int64_t first, int64_t last) const;
    // Paints page `page` (1-based) of the readings first..last into `paintRect` of `p`.
    void PaintPage(QPainter& p, const QRect& paintRect, const QPageLayout& layout, int64_t first, int64_t last,
                   int page);
    // Prints readings first..last, honouring the printer's page range, with a progress
    // dialog whose cancel button stops after the page being drawn. False when there is
    // nothing to print on or the painter cannot start.
    bool PrintRange(QPrinter& printer, int64_t first = 0, int64_t last = -1);
    // Writes readings first..last as a PDF file.
    bool PrintToPdf(const QString& path, int64_t first = 0, int64_t last = -1);
    // Print directly prints at most this many pages; more go through the print dialog.
    static constexpr int kDirectPageLimit = 100;
    // Text of the print-directly item: how many pages it would print from the position.
    QString PrintDirectText();

    // Test seams: every printer the commands make is first given to m_preparePrinter;
    // m_printDialog replaces the print dialog (true: print) and m_printPreview the
    // preview's event loop.
    std::function<void(QPrinter&)> m_preparePrinter;
    std::function<bool(QPrinter&, int pageCount)> m_printDialog;
    std::function<void(CDigitPrintPreview&)> m_printPreview;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void OnBarAction(int action);
    void ApplyPosition(int position);
    void UpdateBars();
    void PreparePrinter(QPrinter& printer);
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    // What the off-screen picture shows: a move by a few rows with nothing else changed
    // shifts the picture and paints only the rows that came into view.
    struct Drawn {
        const void* doc = nullptr;
        uint32_t generation = 0;
        int mode = 0, hscroll = 0, cursor1 = 0, cursor2 = 0;
        bool time = false;
        qint64 timeStart = 0;
        double timePeriod = 0.0;
        int32_t end = 0;
        uint64_t colours = 0;
        QSize size;
        bool operator==(const Drawn&) const = default;
    };
    Drawn DrawnNow() const;
    bool ShiftPicture(int64_t from, int64_t to);
    // The table's columns, measured again only when another file is opened or the display
    // mode changes.
    const DigitTableLayout& Columns() const;
    int PrintWidth() const;

    QImage m_image;              // off-screen picture of the client area
    Drawn m_drawn;
    int64_t m_nDrawnPos = -1;    // first row the picture shows; -1: none
    bool m_bInitialized = false;
    int m_nMaxPosition = 0;      // bound of every scroll request
    int m_nPageStep = 72;
    // The table's own bottom keeps the last screenful while the position stays where it
    // put it: in a file shorter than a waveform screen that position is 0, as at the start.
    int64_t m_nEndPin = -1;
    uint32_t m_nEndPinGeneration = 0;
    std::vector<uint16_t> m_EndRows;   // rows before the loaded window, as the file holds them
    std::unique_ptr<QPageLayout> m_pPageLayout;   // the default printer's page, for the menu text
    struct Measured {
        const void* doc = nullptr;
        uint32_t generation = 0;
        int mode = -1;
        bool time = false;
        bool operator==(const Measured&) const = default;
    };
    mutable Measured m_measured;
    mutable DigitTableLayout m_columns;
    bool m_bTime = false;
    DigitTableTime m_time;
};

} // namespace nuv
