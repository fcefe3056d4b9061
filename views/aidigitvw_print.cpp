// Printing of the playback digit view: the table the window shows, page after page, in
// dark ink on white under a header line.
#include "views/aidigitvw.h"

#include "views/aidigitvw_preview.h"
#include "views/aidigitvw_table.h"
#include "datafile/aihistdoc.h"
#include "acquisition/aitypes.h"
#include "datafile/fileheader.h"
#include "framework/msgseam.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QLabel>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <algorithm>
#include <vector>

namespace nuv {

namespace {
using digittable::kRowHeight;
// Logical width of a printed page: the index column and eight channel columns, or the
// table's own width when its columns are wider. A page is scaled so this fits its width,
// whatever the channel count, so text keeps its size.
constexpr int kPrintWidth = digittable::kClipLeft + 8 * digittable::kColumnStep + 20;
// The page header: two lines of text and a rule, in table rows.
constexpr int kHeaderRows = 3;

int64_t LastReading(const CAIHistDoc& d, int64_t last)
{
    const int64_t end = int64_t(std::min(d.m_nScanCount, d.m_nMaxPosition)) - 1;
    return last < 0 ? end : std::min(last, end);
}

QString StartText(const CAIHistDoc& d)
{
    FileHeaderInfo info;
    if (!ReadFileHeader(d.m_Header.data(), d.m_Header.size(), info) || info.Start.Year == 0)
        return QStringLiteral("开始时间: 未记录");
    const StartTime& t = info.Start;
    return QString::asprintf("开始时间: %04u-%02u-%02u %02u:%02u:%02u", t.Year, t.Month, t.Day, t.Hour, t.Minute,
                             t.Second);
}

QString ChannelsText(const CAIHistDoc& d)
{
    int channels[kChannels];
    const int n = DigitTableChannels(d, channels);
    QStringList parts;
    for (int i = 0; i < n; ++i) {
        const uint32_t code = d.m_Param.Range[channels[i]];
        parts << QStringLiteral("AI%1 %2").arg(channels[i]).arg(code < uint32_t(kRangeCount) ? RangeName(int(code))
                                                                                            : QStringLiteral("?"));
    }
    return QStringLiteral("通道: ") + (parts.isEmpty() ? QStringLiteral("无") : parts.join(QStringLiteral(",  ")));
}

void PaintPageHeader(QPainter& p, const CAIHistDoc& d, int width, int page, int pages)
{
    QFont font;
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::black);
    const QFontMetrics fm(font);
    const QString right = QString::asprintf("第 %d 页 / 共 %d 页", page, pages);
    const QString start = StartText(d);
    const int rightWidth = fm.horizontalAdvance(right);
    const int startWidth = fm.horizontalAdvance(start);
    const int nameWidth = std::max(40, width - rightWidth - startWidth - 40);
    const QString name =
        fm.elidedText(QStringLiteral("文件: ") + QFileInfo(d.m_strPath).fileName(), Qt::ElideMiddle, nameWidth);
    const int base = (kRowHeight + fm.ascent() - fm.descent()) / 2;
    p.drawText(0, base, name);
    p.drawText(std::max(fm.horizontalAdvance(name) + 20, (width - startWidth) / 2), base, start);
    p.drawText(width - rightWidth, base, right);
    p.drawText(0, kRowHeight + base, fm.elidedText(ChannelsText(d), Qt::ElideRight, width));
    p.drawLine(0, 2 * kRowHeight + kRowHeight / 2, width, 2 * kRowHeight + kRowHeight / 2);
}
} // namespace

int CAIDigitVw::PrintWidth() const { return std::max(kPrintWidth, Columns().Width()); }

int CAIDigitVw::RowsPerPage(const QPageLayout& layout) const
{
    // From the page's proportions only, so a printer and a preview of any resolution
    // break pages alike.
    const QRectF page = layout.paintRect(QPageLayout::Point);
    const CAIHistDoc* d = GetDoc();
    const int width = d != nullptr ? PrintWidth() : kPrintWidth;
    const double lines = page.width() > 0 ? page.height() * width / page.width() / kRowHeight : 0;
    return std::max(1, int(lines) - kHeaderRows - 1);   // the table's first line carries its headers
}

int CAIDigitVw::RowsPerPage(QPrinter& printer) const { return RowsPerPage(printer.pageLayout()); }

int CAIDigitVw::PageCount(const QPageLayout& layout, int64_t first, int64_t last) const
{
    const CAIHistDoc* d = GetDoc();
    if (d == nullptr)
        return 0;
    first = std::max<int64_t>(0, first);
    last = LastReading(*d, last);
    const int64_t readings = last >= first ? last - first + 1 : 0;
    const int64_t rows = RowsPerPage(layout);
    return int(std::clamp<int64_t>((readings + rows - 1) / rows, 1, INT32_MAX));
}

int CAIDigitVw::PageCount(QPrinter& printer, int64_t first, int64_t last) const
{
    return PageCount(printer.pageLayout(), first, last);
}

void CAIDigitVw::PaintPage(QPainter& p, const QRect& paintRect, const QPageLayout& layout, int64_t first,
                           int64_t last, int page)
{
    CAIHistDoc* d = GetDoc();
    if (d == nullptr || !d->m_bOpen)
        return;
    first = std::max<int64_t>(0, first);
    last = LastReading(*d, last);
    const int rowsPerPage = RowsPerPage(layout);
    const int pages = PageCount(layout, first, last);
    const int width = PrintWidth();
    const uint32_t channels = std::min<uint32_t>(d->m_nChannelCount, 8);
    std::vector<uint16_t> codes(size_t(rowsPerPage) * std::max<uint32_t>(channels, 1));
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
    DigitTableStyle paper;
    paper.Paper = true;
    paper.Layout = &Columns();
    paper.Time = TimeColumn();

    p.save();
    p.translate(paintRect.topLeft());
    const double scale = paintRect.width() > 0 ? double(paintRect.width()) / width : 1.0;
    p.scale(scale, scale);
    PaintPageHeader(p, *d, width, page, pages);
    p.translate(0, kHeaderRows * kRowHeight);
    PaintDigitTable(p, QSize(width, (rowsPerPage + 1) * kRowHeight), *d, rows, 0, paper);
    p.restore();
}

bool CAIDigitVw::PrintRange(QPrinter& printer, int64_t first, int64_t last)
{
    CAIHistDoc* d = GetDoc();
    if (d == nullptr || !d->m_bOpen)
        return false;
    const QPageLayout layout = printer.pageLayout();
    const int pages = PageCount(layout, first, last);
    int fromPage = 1, toPage = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        fromPage = std::clamp(printer.fromPage(), 1, pages);
        toPage = std::clamp(printer.toPage() > 0 ? printer.toPage() : pages, fromPage, pages);
    }

    QPainter p;
    if (!p.begin(&printer))
        return false;
    // The printer's origin is the top-left corner of its paint area.
    const QRect paintRect(QPoint(0, 0), layout.paintRectPixels(printer.resolution()).size());
    QPointer<CAIDigitVw> self(this);
    std::unique_ptr<QProgressDialog> progress;
    if (toPage > fromPage) {
        progress = std::make_unique<QProgressDialog>(QString(), QStringLiteral("取消"), 0, toPage - fromPage + 1, this);
        progress->setObjectName(QStringLiteral("printProgress"));
        progress->setWindowTitle(QStringLiteral("打印"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(400);
        progress->setAutoReset(false);
    }
    for (int page = fromPage; page <= toPage; ++page) {
        if (progress) {
            progress->setLabelText(QString::asprintf("正在打印第 %d 页 / 共 %d 页", page - fromPage + 1,
                                                     toPage - fromPage + 1));
            progress->setValue(page - fromPage);
            QCoreApplication::processEvents();
            if (self.isNull() || progress->wasCanceled() || !d->m_bOpen)
                break;
        }
        if (page > fromPage)
            printer.newPage();
        PaintPage(p, paintRect, layout, first, last, page);
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

void CAIDigitVw::PreparePrinter(QPrinter& printer)
{
    if (m_preparePrinter)
        m_preparePrinter(printer);
}

void CAIDigitVw::OnFilePrint()
{
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer);
    const int64_t position = TopRow();   // the table's first row on screen
    const int all = PageCount(printer, 0, -1);
    const int fromHere = PageCount(printer, position, -1);
    // The readings from the position on are the dialog's choice unless the operator picks
    // all pages or a page range (pages numbered over the whole file).
    printer.setPrintRange(QPrinter::Selection);
    bool accepted = false;
    if (m_printDialog) {
        accepted = m_printDialog(printer, all);
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintSelection |
                          QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
        dialog.setMinMax(1, all);
        const QString count = QString::asprintf("当前位置起 %d 页, 全部 %d 页", fromHere, all);
        dialog.setWindowTitle(QStringLiteral("打印 - ") + count);
        if (auto* box = qobject_cast<QBoxLayout*>(dialog.layout()))
            box->insertWidget(0, new QLabel(count, &dialog));
        if (auto* b = dialog.findChild<QAbstractButton*>(QStringLiteral("printSelection")))
            b->setText(QString::asprintf("当前位置至末尾 (%d 页)", fromHere));
        if (auto* b = dialog.findChild<QAbstractButton*>(QStringLiteral("printAll")))
            b->setText(QString::asprintf("全部 (%d 页)", all));
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted)
        return;
    const int64_t first = printer.printRange() == QPrinter::Selection ? position : 0;
    if (!PrintRange(printer, first, -1))
        AfxMessageBox(QStringLiteral("打印失败: 无法开始打印"), MsgIcon::Exclamation);
}

void CAIDigitVw::OnFilePrintDirect()
{
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer);
    const int64_t position = TopRow();   // the table's first row on screen
    if (PageCount(printer, position, -1) > kDirectPageLimit) {
        OnFilePrint();   // the dialog shows how many pages that would be
        return;
    }
    if (!printer.isValid() || !PrintRange(printer, position, -1))
        AfxMessageBox(QStringLiteral("打印失败: 没有可用的打印机"), MsgIcon::Exclamation);
}

void CAIDigitVw::OnFilePrintPreview()
{
    CDigitPrintPreview preview(this, TopRow());
    if (m_printPreview) {
        m_printPreview(preview);
        return;
    }
    preview.exec();
}

QString CAIDigitVw::PrintDirectText()
{
    CAIHistDoc* d = GetDoc();
    if (d == nullptr || !d->m_bOpen)
        return QStringLiteral("直接打印(当前位置起, 至多 %1 页)").arg(kDirectPageLimit);
    if (!m_pPageLayout) {
        QPrinter printer(QPrinter::HighResolution);
        m_pPageLayout = std::make_unique<QPageLayout>(printer.pageLayout());
    }
    const int pages = PageCount(*m_pPageLayout, TopRow(), -1);
    if (pages > kDirectPageLimit)
        return QString::asprintf("直接打印(当前位置起 %d 页, 超过 %d 页先显示打印对话框)", pages, kDirectPageLimit);
    return QString::asprintf("直接打印(当前位置起 %d 页)", pages);
}

} // namespace nuv
