#include "app/tabs/mdiclient.h"

#include "app/tabs/barsizing.h"
#include "framework/childfrm.h"
#include "app/tabs/tabctrldoc.h"

#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>

namespace nuv {

CMdiClient::CMdiClient(QWidget* parent) : QMdiArea(parent)
{
    m_crBack = palette().color(QPalette::Dark);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QMdiSubWindow* CMdiClient::AddChild(QWidget* child)
{
    QMdiSubWindow* sub = addSubWindow(child, Qt::SubWindow | Qt::FramelessWindowHint);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setProperty("nuvMaximized", true);
    if (m_pTabBar != nullptr) {
        m_pTabBar->AddTab(sub);
        // The tab goes first, then the window.
        connect(sub, &QObject::destroyed, m_pTabBar, [bar = m_pTabBar, sub] { bar->RemoveTab(sub); });
    }
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this, guard = QPointer<QMdiSubWindow>(sub)](
                                                               Qt::WindowStates, Qt::WindowStates now) {
        if (now & Qt::WindowMaximized)
            QMetaObject::invokeMethod(
                this, [this, guard] { if (guard != nullptr) TakeOverMaximize(guard); }, Qt::QueuedConnection);
    });
    return sub;
}

void CMdiClient::MaximizeChild(QMdiSubWindow* sub)
{
    // The toolkit's own maximized mode would move the child's title into the main
    // window's caption and menu bar; the frame keeps its own caption rule instead.
    const bool wasRestored = !sub->property("nuvMaximized").toBool();
    if (!(sub->windowFlags() & Qt::FramelessWindowHint))
        sub->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    sub->setProperty("nuvMaximized", true);
    sub->setGeometry(viewport()->rect());
    sub->show();
    if (wasRestored)
        if (auto* frame = qobject_cast<CChildFrame*>(sub->widget()))
            frame->LayoutPanesAfresh();
}

void CMdiClient::TakeOverMaximize(QMdiSubWindow* sub)
{
    if (!(sub->windowState() & Qt::WindowMaximized))
        return;
    // Leaving the toolkit's maximized mode takes its buttons out of the menu bar and its
    // "[title]" out of the main window's caption.
    sub->setWindowState(sub->windowState() & ~Qt::WindowMaximized);
    sub->setProperty("nuvMaximized", false);
    MaximizeChild(sub);
    setActiveSubWindow(sub);
}

bool CMdiClient::IsMaximizedChild(const QMdiSubWindow* sub) const
{
    return sub != nullptr && sub->property("nuvMaximized").toBool() && sub->geometry() == viewport()->rect();
}

void CMdiClient::RestoreChild(QMdiSubWindow* sub)
{
    sub->setProperty("nuvMaximized", false);
    if (sub->windowFlags() & Qt::FramelessWindowHint)
        sub->setWindowFlags(Qt::SubWindow);
    sub->show();
}

void CMdiClient::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const QRect client = viewport()->rect();
    p.fillRect(client, m_crBack);

    QFont font(QStringLiteral("Times New Roman"));
    font.setBold(true);
    font.setWeight(QFont::Bold);
    font.setPointSize(32);
    p.setFont(font);
    const QFontMetrics fm(font);
    const QString text = QStringLiteral("欢迎使用");
    const int avg = fm.averageCharWidth();
    const QRect box = GreetingRect(client, fm.horizontalAdvance(text), fm.height(), avg, fm.lineSpacing());
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    p.setPen(Qt::black);
    p.drawText(box.adjusted(avg / 5, 0, 0, 0), flags, text);
    p.setPen(Qt::white);
    p.drawText(box.adjusted(-avg / 4, 0, 0, 0), flags, text);
    p.setPen(QColor(30, 30, 70));
    p.drawText(box, flags, text);
}

void CMdiClient::resizeEvent(QResizeEvent* e)
{
    QMdiArea::resizeEvent(e);
    const QSize now = e->size();
    if (now != m_szLast) {
        const bool first = m_szLast == QSize(0, 0);
        m_szLast = now;
        if (!first)
            viewport()->update();
    }
    // Maximized child windows keep filling the client area.
    for (QMdiSubWindow* sub : subWindowList())
        if (sub->property("nuvMaximized").toBool())
            sub->setGeometry(viewport()->rect());
}

} // namespace nuv
