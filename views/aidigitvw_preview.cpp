#include "views/aidigitvw_preview.h"

#include "views/aidigitvw.h"
#include "res/resource.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace nuv {

CDigitPrintPreview::CDigitPrintPreview(CAIDigitVw* view, int64_t first, QWidget* parent)
    : QDialog(parent != nullptr ? parent : view), m_pView(view), m_nFirst(first)
{
    setObjectName(QStringLiteral("printPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    {
        QPrinter printer(QPrinter::HighResolution);
        m_layout = printer.pageLayout();
    }
    m_nPages = std::max(1, view->PageCount(m_layout, first, -1));

    auto* bar = new QHBoxLayout;
    auto button = [this, bar](const QString& text, auto slot) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    button(QStringLiteral("首页"), [this] { ShowPage(1); });
    button(QStringLiteral("上一页"), [this] { ShowPage(m_nPage - 1); });
    m_pSpin = new QSpinBox(this);
    m_pSpin->setRange(1, m_nPages);
    m_pSpin->setKeyboardTracking(false);
    bar->addWidget(m_pSpin);
    bar->addWidget(new QLabel(QStringLiteral("/ 共 %1 页").arg(m_nPages), this));
    button(QStringLiteral("下一页"), [this] { ShowPage(m_nPage + 1); });
    button(QStringLiteral("末页"), [this] { ShowPage(m_nPages); });
    bar->addSpacing(16);
    button(QStringLiteral("放大"), [this] { Zoom(1.25); });
    button(QStringLiteral("缩小"), [this] { Zoom(0.8); });
    bar->addStretch();
    button(QStringLiteral("打印..."), [this] {
        accept();
        m_pView->OnCmdMsg(ID_FILE_PRINT, nullptr);
    });
    button(QStringLiteral("关闭"), [this] { reject(); });
    connect(m_pSpin, &QSpinBox::valueChanged, this, [this](int page) { ShowPage(page); });

    m_pPage = new QLabel(this);
    m_pPage->setAlignment(Qt::AlignCenter);
    m_pArea = new QScrollArea(this);
    m_pArea->setWidget(m_pPage);
    m_pArea->setWidgetResizable(true);
    m_pArea->setBackgroundRole(QPalette::Dark);

    auto* box = new QVBoxLayout(this);
    box->addLayout(bar);
    box->addWidget(m_pArea, 1);

    QSize size(900, 1000);
    if (const QScreen* s = view->screen())
        size = size.boundedTo(s->availableSize() - QSize(40, 60));
    resize(size);
    ShowPage(1);
}

void CDigitPrintPreview::ShowPage(int page)
{
    page = std::clamp(page, 1, m_nPages);
    if (page == m_nPage)
        return;
    m_nPage = page;
    {
        const QSignalBlocker block(m_pSpin);
        m_pSpin->setValue(page);
    }
    Render();
    m_pArea->verticalScrollBar()->setValue(0);
}

void CDigitPrintPreview::Render()
{
    // The page at the zoom in force: white paper, the table inside the printer's margins.
    const QRectF full = m_layout.fullRect(QPageLayout::Point);
    const QRectF paint = m_layout.paintRect(QPageLayout::Point);
    const int room = m_pArea->viewport()->width() - 24;
    const double zoom = m_dZoom > 0 ? m_dZoom : std::max(0.3, room / full.width());
    const qreal ratio = devicePixelRatioF();
    QImage image((full.size() * zoom * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QRect area((paint.topLeft() * zoom).toPoint(), (paint.size() * zoom).toSize());
        m_pView->PaintPage(p, area, m_layout, m_nFirst, -1, m_nPage);
    }
    m_image = image;
    ++m_nRendered;
    m_pPage->setPixmap(QPixmap::fromImage(m_image));
}

void CDigitPrintPreview::Zoom(double factor)
{
    const QRectF full = m_layout.fullRect(QPageLayout::Point);
    const double now = m_dZoom > 0 ? m_dZoom : (m_pArea->viewport()->width() - 24) / full.width();
    m_dZoom = std::clamp(now * factor, 0.3, 6.0);
    Render();
}

void CDigitPrintPreview::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_PageDown: ShowPage(m_nPage + 1); break;
    case Qt::Key_PageUp: ShowPage(m_nPage - 1); break;
    case Qt::Key_Home: ShowPage(1); break;
    case Qt::Key_End: ShowPage(m_nPages); break;
    default: QDialog::keyPressEvent(e); return;
    }
    e->accept();
}

void CDigitPrintPreview::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (m_dZoom <= 0 && m_nPage > 0 && isVisible())
        Render();   // fitted to the new width
}

void CDigitPrintPreview::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_dZoom <= 0)
        Render();   // the width to fit is known from now on
}

} // namespace nuv
