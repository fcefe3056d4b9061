// Printing of the playback digit view: the table the window shows, page after page.
#include "aidigitvw.h"

#include "aidigitvw_table.h"
#include "aihistdoc.h"
#include "msgseam.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>
#include <vector>

namespace nuv {

namespace {
// Logical width of a printed table: the index column and eight channel columns; a page
// is scaled so this fits its width, whatever the channel count, so text keeps its size.
constexpr int kPrintWidth = digittable::kClipLeft + 8 * digittable::kColumnStep + 20;
// Pages a preview shows at most, starting at the page of the window's position.
constexpr int kPreviewPages = 50;

double PageScale(QPrinter& printer)
{
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    return page.width() > 0 ? double(page.width()) / kPrintWidth : 1.0;
}

int64_t LastReading(const CAIHistDoc& d, int64_t last)
{
    const int64_t end = int64_t(std::min(d.m_nScanCount, d.m_nMaxPosition)) - 1;
    return last < 0 ? end : std::min(last, end);
}
} // namespace

int CAIDigitVw::RowsPerPage(QPrinter& printer) const
{
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = PageScale(printer);
    const int lines = int(page.height() / scale) / digittable::kRowHeight;
    return std::max(1, lines - 1);   // the first line of every page carries the headers
}

int CAIDigitVw::PageCount(QPrinter& printer, int64_t first, int64_t last) const
{
    const CAIHistDoc* d = GetDoc();
    if (d == nullptr)
        return 0;
    first = std::max<int64_t>(0, first);
    last = LastReading(*d, last);
    const int64_t readings = last >= first ? last - first + 1 : 0;
    const int64_t rows = RowsPerPage(printer);
    return int(std::clamp<int64_t>((readings + rows - 1) / rows, 1, INT32_MAX));
}

bool CAIDigitVw::PrintRange(QPrinter& printer, int64_t first, int64_t last)
{
    CAIHistDoc* d = GetDoc();
    if (d == nullptr || !d->m_bOpen)
        return false;
    first = std::max<int64_t>(0, first);
    last = LastReading(*d, last);
    const int rowsPerPage = RowsPerPage(printer);
    const int pages = PageCount(printer, first, last);
    int fromPage = 1, toPage = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        fromPage = std::clamp(printer.fromPage(), 1, pages);
        toPage = std::clamp(printer.toPage() > 0 ? printer.toPage() : pages, fromPage, pages);
    }

    QPainter p;
    if (!p.begin(&printer))
        return false;
    const double scale = PageScale(printer);
    const QSize tableSize(kPrintWidth, (rowsPerPage + 1) * digittable::kRowHeight);
    const uint32_t channels = std::min<uint32_t>(d->m_nChannelCount, 8);
    std::vector<uint16_t> codes(size_t(rowsPerPage) * std::max<uint32_t>(channels, 1));
    for (int page = fromPage; page <= toPage; ++page) {
        if (page > fromPage)
            printer.newPage();
        const int64_t start = first + int64_t(page - 1) * rowsPerPage;
        const int64_t wanted = std::clamp<int64_t>(last - start + 1, 0, rowsPerPage);
        const uint32_t got = wanted > 0 ? d->ReadScans(start, uint32_t(wanted), codes.data()) : 0;
        DigitTableRows rows;
        rows.First = start;
        rows.Available = int(got);
        rows.MaxRows = rowsPerPage;
        rows.Codes = codes.data();
        rows.SlotStride = 1;
        rows.RowStride = channels;
        p.save();
        p.scale(scale, scale);
        PaintDigitTable(p, tableSize, *d, rows, 0);
        p.restore();
    }
    p.end();
    return true;
}

bool CAIDigitVw::PrintToPdf(const QString& path, int64_t first, int64_t last)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return PrintRange(printer, first, last);
}

void CAIDigitVw::OnFilePrint()
{
    QPrinter printer(QPrinter::HighResolution);
    const int pages = PageCount(printer, 0, -1);
    bool accepted = false;
    if (m_printDialog) {
        accepted = m_printDialog(printer, pages);
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setMinMax(1, pages);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (accepted && !PrintRange(printer))
        AfxMessageBox(QStringLiteral("打印失败: 无法开始打印"), MsgIcon::Exclamation);
}

void CAIDigitVw::OnFilePrintDirect()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printer.isValid() || !PrintRange(printer))
        AfxMessageBox(QStringLiteral("打印失败: 没有可用的打印机"), MsgIcon::Exclamation);
}

void CAIDigitVw::OnFilePrintPreview()
{
    CAIHistDoc* d = GetDoc();
    QPrinter printer(QPrinter::HighResolution);
    // A long recording has millions of pages: the preview starts at the page of the
    // position on show and stops after a bounded number of pages.
    const int pages = PageCount(printer, 0, -1);
    const int here = int(std::min<int64_t>(pages, 1 + (d != nullptr ? d->m_nPosition : 0) / RowsPerPage(printer)));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(here, std::min(pages, here + kPreviewPages - 1));
    if (m_printPreview) {
        m_printPreview(printer);
        return;
    }
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* pr) { PrintRange(*pr); });
    preview.exec();
}

} // namespace nuv
