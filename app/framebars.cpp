#include "app/framebars.h"

#include "app/tabs/barsizing.h"
#include "framework/cmdtarget.h"
#include "app/tabs/ctrlbarex.h"
#include "res/resource.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QToolBar>

namespace nuv {

bool BarLiesOutside(const QWidget* bar, const QWidget* frame)
{
    if (bar == nullptr || frame == nullptr || !bar->isWindow())
        return false;
    const QRect barRect = bar->frameGeometry();
    const QRect frameRect(frame->mapToGlobal(QPoint(0, 0)), frame->size());
    return !barRect.intersects(frameRect);
}

bool ToggleDockBar(QMainWindow* frame, QDockWidget* bar, Qt::DockWidgetArea area)
{
    if (BarLiesOutside(bar, frame)) {
        bar->setFloating(false);
        frame->addDockWidget(area, bar);
        bar->show();
    } else {
        bar->setVisible(!bar->isVisible());
    }
    return bar->isVisible();
}

bool ToggleToolBar(QMainWindow* frame, QToolBar* bar, Qt::ToolBarArea area)
{
    if (BarLiesOutside(bar, frame)) {
        frame->addToolBar(area, bar);
        bar->show();
    } else {
        bar->setVisible(!bar->isVisible());
    }
    return bar->isVisible();
}

CSplitterWnd::CSplitterWnd(QWidget* frame, QWidget* left, QWidget* right, int leftWidth)
    : QSplitter(Qt::Horizontal, frame), m_pFrame(frame), m_nInitialLeft(leftWidth)
{
    setObjectName(QString::number(IDW_PANE_FIRST));
    setChildrenCollapsible(false);
    // In a small window the waveforms keep their room; the table gives way first.
    left->setMinimumWidth(kMinTablePane);
    right->setMinimumWidth(kMinWaveformPane);
    addWidget(left);
    addWidget(right);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    setSizes({leftWidth, 100000});
}

void CSplitterWnd::resizeEvent(QResizeEvent* e)
{
    QSplitter::resizeEvent(e);
    if (!m_bSized && isVisible() && width() > 0) {
        m_bSized = true;
        const QList<int> s = sizes();
        const int total = s.value(0) + s.value(1);
        setSizes({m_nInitialLeft, std::max(0, total - m_nInitialLeft)});
    }
    KeepLeftPaneToThird(this, m_pFrame->width());
}

void CSplitterWnd::LayoutAfresh()
{
    // Again at the next size change too: the window may get its new size only after this.
    m_bSized = false;
    if (!isVisible() || width() <= 0)
        return;
    const QList<int> s = sizes();
    const int total = s.value(0) + s.value(1);
    setSizes({m_nInitialLeft, std::max(0, total - m_nInitialLeft)});
    KeepLeftPaneToThird(this, m_pFrame->width());
}

void KeepLeftPaneToThird(QSplitter* splitter, int clientWidth)
{
    if (splitter == nullptr || splitter->count() < 2)
        return;
    const QList<int> sizes = splitter->sizes();
    const int col0 = sizes.value(0);
    const int clamped = ClampLeftPane(col0, clientWidth);
    if (clamped == col0)
        return;
    const int total = sizes.value(0) + sizes.value(1);
    splitter->setSizes({clamped, std::max(0, total - clamped)});
}

void FocusOtherPane(QSplitter* splitter)
{
    if (splitter == nullptr || splitter->count() < 2)
        return;
    QWidget* left = splitter->widget(0);
    QWidget* right = splitter->widget(1);
    QWidget* focus = QApplication::focusWidget();
    const bool inLeft = focus != nullptr && (focus == left || left->isAncestorOf(focus));
    (inLeft ? right : left)->setFocus(Qt::ShortcutFocusReason);
}

bool SplitFrameCmd(int nID, CCmdUI* pUI, QMainWindow* frame, CCtrlBarEx* paramBar, QSplitter* splitter)
{
    if (nID == ID_VIEW_PARAMBAR) {
        if (pUI != nullptr) {
            pUI->Enable(true);
            pUI->SetCheck(paramBar->isVisible() && !BarLiesOutside(paramBar, frame) ? 1 : 0);
        } else {
            ToggleDockBar(frame, paramBar, Qt::RightDockWidgetArea);
        }
        return true;
    }
    if (nID == ID_PREV_PANE) {
        if (pUI != nullptr)
            pUI->Enable(true);
        else
            FocusOtherPane(splitter);
        return true;
    }
    return false;
}

bool MiddleValueCmd(CCmdUI* pUI, int& flag, const std::function<void()>& repaint)
{
    if (pUI != nullptr) {
        pUI->Enable(true);
        pUI->SetCheck(flag == 0 ? 1 : 0);
    } else {
        flag = flag != 0 ? 0 : 1;
        repaint();
    }
    return true;
}

} // namespace nuv
