// Rules the AI and history windows share: bars lying outside the window, the bar toggles,
// the split panes.
#pragma once

#include <QSplitter>
#include <functional>

class QMainWindow;
class QDockWidget;
class QToolBar;

namespace nuv {

class CCmdUI;
class CCtrlBarEx;

// True when `bar` floats and its screen rectangle does not meet the frame's.
bool BarLiesOutside(const QWidget* bar, const QWidget* frame);

// Toggle of a bar: a bar lying outside docks again at `area` and shows; otherwise it is
// shown when hidden and hidden when shown. Returns whether it is visible now.
bool ToggleDockBar(QMainWindow* frame, QDockWidget* bar, Qt::DockWidgetArea area);
bool ToggleToolBar(QMainWindow* frame, QToolBar* bar, Qt::ToolBarArea area);

// Narrowest the two panes get in a small window: the waveform pane keeps its room.
constexpr int kMinWaveformPane = 320;
constexpr int kMinTablePane = 24;

// The 1 x 2 split window of the AI and history windows: `left` starts `leftWidth` pixels
// wide and keeps its width when the window grows; after every resize column 0 is cut to a
// third of `frame`'s width when wider.
class CSplitterWnd : public QSplitter {
    Q_OBJECT
public:
    CSplitterWnd(QWidget* frame, QWidget* left, QWidget* right, int leftWidth);
    // The left pane starts again at its first width (cut to a third of the window).
    void LayoutAfresh();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    QWidget* m_pFrame;
    int m_nInitialLeft;
    bool m_bSized = false;
};
// After a resize to `clientWidth`: column 0 is cut to a third when wider.
void KeepLeftPaneToThird(QSplitter* splitter, int clientWidth);
// Moves the focus to the other pane.
void FocusOtherPane(QSplitter* splitter);

// Commands the AI and history windows share: ID_VIEW_PARAMBAR (the parameter bar, docked
// again at the right when it lies outside) and ID_PREV_PANE (the other pane). False for other ids.
bool SplitFrameCmd(int nID, CCmdUI* pUI, QMainWindow* frame, CCtrlBarEx* paramBar, QSplitter* splitter);
// ID_MIDDLE_VALUE: ticked while `flag` is 0; carrying it out toggles the flag and repaints.
bool MiddleValueCmd(CCmdUI* pUI, int& flag, const std::function<void()>& repaint);

} // namespace nuv
