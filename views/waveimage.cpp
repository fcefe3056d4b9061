#include "views/waveimage.h"

#include "acquisition/aidoc.h"
#include "acquisition/aitypes.h"
#include "framework/cmdtarget.h"
#include "framework/msgseam.h"
#include "datafile/aihistdoc.h"
#include "datafile/csvexport.h"
#include "datafile/opendatafile.h"
#include "views/aicurveview.h"
#include "views/aicurvevw.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cmath>

namespace nuv {

namespace {

QString Iso(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")); }

// "AI2 -10.0 ～ +10.0V, AI3 ..." for the enabled channels of `p`.
QString ChannelList(const AIParam& p)
{
    int channels[kChannels];
    const int n = EnabledChannels(p, channels);
    QStringList parts;
    for (int k = 0; k < n; ++k)
        parts << QStringLiteral("AI%1 %2").arg(channels[k]).arg(RangeName(int(p.Range[channels[k]])));
    return parts.isEmpty() ? QStringLiteral("无使能通道") : parts.join(QStringLiteral(", "));
}

// The caption as one block of text at most as wide as the page.
int CaptionHeight(const QFont& font, QPaintDevice* device, int width, const QString& caption)
{
    const QFontMetrics fm(font, device);
    return fm.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, caption).height();
}

bool WritePdf(CCurveViewBase& view, QIODevice& out, const QSize& pane, const QString& caption)
{
    constexpr int kMargin = 8;
    QPdfWriter pdf(&out);
    pdf.setResolution(96);   // one unit per screen pixel: the pane keeps its proportions and font sizes
    pdf.setCreator(QStringLiteral("NUV"));
    pdf.setTitle(caption.section(QLatin1Char('\n'), 0, 0));
    QFont font = QApplication::font();
    font.setPixelSize(13);
    const int textHeight = CaptionHeight(font, &pdf, pane.width() - 2 * kMargin, caption);
    const int captionHeight = textHeight + 2 * kMargin;
    const QSizeF points(pane.width() * 0.75, (pane.height() + captionHeight) * 0.75);
    pdf.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                  QPageLayout::Portrait, QMarginsF()));
    QPainter p;
    if (!p.begin(&pdf))
        return false;
    p.fillRect(QRect(0, 0, pane.width(), captionHeight), Qt::white);
    p.setPen(Qt::black);
    p.setFont(font);
    p.drawText(QRect(kMargin, kMargin, pane.width() - 2 * kMargin, textHeight), Qt::TextWordWrap, caption);
    p.translate(0, captionHeight);
    view.RenderPane(p, 1.0, true);
    return p.end();
}

bool WritePng(CCurveViewBase& view, QIODevice& out, const QSize& pane, qreal dpr)
{
    QImage image(QSize(int(std::ceil(pane.width() * dpr)), int(std::ceil(pane.height() * dpr))),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        view.RenderPane(p, dpr, false);
    }
    return image.save(&out, "PNG");
}

QString SuggestedName(const QString& folder, const QString& base)
{
    return QDir(folder).filePath(base + QStringLiteral(".png"));
}

// Asks for a path and a kind; empty when the operator cancelled.
QString AskPath(QWidget* parent, const QString& suggested, WaveImageKind& kind)
{
    const QString png1 = QStringLiteral("PNG 图片, 屏幕比例 (*.png)");
    const QString png2 = QStringLiteral("PNG 图片, 2倍屏幕比例 (*.png)");
    const QString pdf = QStringLiteral("PDF 文档, 矢量, 带说明行 (*.pdf)");
    QString selected = png1;
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("保存波形图片"), suggested,
                                                png1 + QStringLiteral(";;") + png2 + QStringLiteral(";;") + pdf,
                                                &selected);
    if (path.isEmpty())
        return {};
    kind = selected == pdf ? WaveImageKind::Pdf : selected == png2 ? WaveImageKind::Png2x : WaveImageKind::Png1x;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        kind = WaveImageKind::Pdf;
    else if (suffix == QLatin1String("png") && kind == WaveImageKind::Pdf)
        kind = WaveImageKind::Png1x;
    else if (suffix.isEmpty())
        path += kind == WaveImageKind::Pdf ? QStringLiteral(".pdf") : QStringLiteral(".png");
    return path;
}

void SaveAsked(CCurveViewBase& view, QWidget* parent, const QString& suggested, const QString& caption)
{
    WaveImageKind kind = WaveImageKind::Png1x;
    const QString path = AskPath(parent, suggested, kind);
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveWaveImage(view, path, kind, caption, &error))
        AfxMessageBox(QStringLiteral("保存波形图片失败(%1): %2").arg(error, path), MsgIcon::Exclamation);
}

} // namespace

bool SaveWaveImage(CCurveViewBase& view, const QString& path, WaveImageKind kind, const QString& caption,
                   QString* error)
{
    const QSize pane = view.viewport()->size();
    QString why;
    bool ok = false;
    QSaveFile file(path);
    if (pane.isEmpty()) {
        why = QStringLiteral("波形窗格没有大小");
    } else if (!file.open(QIODevice::WriteOnly)) {
        why = file.errorString();
    } else {
        ok = kind == WaveImageKind::Pdf
                 ? WritePdf(view, file, pane, caption)
                 : WritePng(view, file, pane, view.viewport()->devicePixelRatioF() * (kind == WaveImageKind::Png2x ? 2 : 1));
        // A failing flush is not noticed by the commit: it is checked here.
        ok = ok && file.flush();
        if (!ok)
            why = file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("图片无法生成");
        else if (!(ok = file.commit()))
            why = file.errorString();
    }
    if (!ok && error != nullptr)
        *error = why;
    return ok;
}

QString WaveCaption(const CAICurveVw& view)
{
    const CAIHistDoc* doc = view.GetDoc();
    if (doc == nullptr || !doc->m_bOpen)
        return QStringLiteral("AI回放: 未打开文件");
    const int64_t first = doc->m_nPosition;
    const int64_t shown = std::min<int64_t>(view.GetVisibleCount(), int64_t(doc->m_nScanCount) - first);
    QString span;
    if (shown <= 0) {
        span = QStringLiteral("没有读数 (共 %1 个)").arg(doc->m_nScanCount);
    } else {
        const int64_t last = first + shown - 1;
        span = QStringLiteral("读数 %1 – %2 (共 %3 个)").arg(first).arg(last).arg(doc->m_nScanCount);
        FileHeaderInfo header;
        ReadFileHeader(doc->m_Header.data(), doc->m_Header.size(), header);
        const QDateTime start = StartDateTime(header.Start);
        if (start.isValid()) {
            const double period = ReadingPeriodMs(1000.0, uint32_t(doc->m_nEnabledCount));
            span += QStringLiteral(", %1 – %2 (读数间隔按 %3 ms 计)")
                        .arg(Iso(start.addMSecs(std::llround(double(first) * period))),
                             Iso(start.addMSecs(std::llround(double(last) * period))))
                        .arg(period);
        }
    }
    return QStringLiteral("文件: %1\n%2\n通道: %3").arg(doc->m_strPath, span, ChannelList(doc->m_Param));
}

QString WaveCaption(const CAICurveView& view)
{
    const CAIDoc* doc = view.GetDoc();
    if (doc == nullptr)
        return QStringLiteral("AI采集");
    const uint64_t count = doc->m_SampleCount.load();
    const uint64_t shown = std::min<uint64_t>(count, uint64_t(doc->m_nSweepLength));
    int channels[kChannels];
    const int n = EnabledChannels(doc->m_Param, channels);
    const double period = ReadingPeriodMs(doc->m_fReadInterval, uint32_t(n));
    QString run = doc->m_bRunning.load() ? QStringLiteral("采集中") : QStringLiteral("已停止");
    if (doc->m_bFileOpen || doc->m_bSaveFile)
        run += QStringLiteral(", 数据文件 %1").arg(doc->m_strDataFile);
    const QString span =
        count == 0 ? QStringLiteral("尚无读数")
                   : QStringLiteral("显示最近 %1 个读数 (共 %2 个), 约 %3 秒, 读数间隔 %4 ms, 截至 %5")
                         .arg(shown)
                         .arg(count)
                         .arg(double(shown) * period / 1000.0, 0, 'f', 1)
                         .arg(period)
                         .arg(Iso(QDateTime::currentDateTime()));
    return QStringLiteral("AI实时波形 (%1)\n%2\n通道: %3").arg(run, span, ChannelList(doc->m_Param));
}

bool SaveWaveImageCmd(CCmdUI* pUI, CAICurveVw* view, QWidget* parent)
{
    const CAIHistDoc* doc = view != nullptr ? view->GetDoc() : nullptr;
    const bool ready = doc != nullptr && doc->m_bOpen;
    if (pUI != nullptr) {
        pUI->Enable(ready);
        return true;
    }
    if (!ready)
        return true;
    const QFileInfo fi(doc->m_strPath);
    const QString base = QStringLiteral("%1-%2").arg(fi.completeBaseName()).arg(doc->m_nPosition);
    SaveAsked(*view, parent, SuggestedName(fi.absolutePath(), base), WaveCaption(*view));
    return true;
}

bool SaveWaveImageCmd(CCmdUI* pUI, CAICurveView* view, QWidget* parent)
{
    if (pUI != nullptr) {
        pUI->Enable(view != nullptr && view->GetDoc() != nullptr);
        return true;
    }
    if (view == nullptr || view->GetDoc() == nullptr)
        return true;
    const QString base = QStringLiteral("AI波形-%1").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    SaveAsked(*view, parent, SuggestedName(LastDataFolder(), base), WaveCaption(*view));
    return true;
}

} // namespace nuv
