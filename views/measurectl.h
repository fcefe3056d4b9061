// The measuring commands of a window with a waveform view: time axis, fitted scales,
// cursor read-out, second cursor, the statistics list of the readings shown and, in
// playback, the statistics of the whole file computed on a thread of their own.
#pragma once

#include "views/chanstats.h"
#include "framework/cmdtarget.h"
#include "framework/wndmsg.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace nuv {

class CCurveViewBase;

// Fills a statistics list (channel, maximum, middle value, minimum, amplitude, average):
// one row per channel named "AI2", values in the channel's unit with `decimals` places,
// a tooltip on every cell counting the readings and the break readings left out.
void FillStatisticsRows(QTableWidget* list, const measure::ChannelDecode* decode, const measure::ChannelStats* stats,
                        int count, int decimals);

// One whole-file statistics pass on its own thread, shown as a progress bar with a cancel
// button (for the window's status line). The thread reports by posted messages only.
class CFileStatsJob : public QWidget {
    Q_OBJECT
public:
    explicit CFileStatsJob(QWidget* parent = nullptr);
    ~CFileStatsJob() override;   // cancels a pass that still runs and waits for it

    // Starts a pass over `path`; false while one runs.
    bool Start(const QString& path);
    void Cancel();
    bool IsRunning() const { return m_thread.joinable(); }
    // The last pass's outcome, valid after finished().
    const measure::FileStats& Result() const { return m_result; }

signals:
    void finished();

protected:
    bool event(QEvent* e) override;

private:
    void Join();

    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    QLabel* m_pLabel;
    std::thread m_thread;
    std::atomic<bool> m_bCancel{false};
    measure::FileStats m_result;   // written by the thread before its last message
    CWndHandle m_hWnd{this};
};

class CMeasureControl : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    // A dock bar as the frame knows it.
    struct Bar {
        std::function<bool()> visible;
        std::function<void()> toggle;
    };

    CMeasureControl(CCurveViewBase* curve, QObject* parent = nullptr);
    ~CMeasureControl() override;

    // The statistics list of the readings shown and the bar that holds it (command 32877).
    void SetStatisticsBar(QTableWidget* shown, Bar bar);
    // Playback: the list for the whole file, the file's path and where the progress goes
    // (the frame puts the widget into its status line while the pass runs, and shows the
    // note that ends it there).
    using PlaceProgress = std::function<void(QWidget* progress, bool running, const QString& note)>;
    void SetWholeFile(QTableWidget* whole, std::function<QString()> path, PlaceProgress placeProgress,
                      std::function<void()> showWhole);
    // Told when the time axis is switched, for the digit views' time column.
    void SetTimeColumnHook(std::function<void(bool)> hook) { m_timeColumn = std::move(hook); }
    // Playback: the read interval the file's time axis uses (the file does not record it).
    double ReadInterval() const { return m_dInterval; }
    void SetReadInterval(double ms);

    // Commands 32877-32883 where they apply to this window.
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;
    // The list follows the readings shown while its bar is visible.
    void SyncStatistics();
    // Starts the whole-file pass (32882).
    void StartWholeFile();
    CFileStatsJob* Job() const { return m_pJob.data(); }

private:
    void FillShown();
    void WholeFileDone();

    CCurveViewBase* m_pCurve;
    QPointer<QTableWidget> m_pShown;
    QPointer<QTableWidget> m_pWhole;
    Bar m_bar;
    std::function<QString()> m_path;
    PlaceProgress m_placeProgress;
    std::function<void()> m_showWhole;
    std::function<void(bool)> m_timeColumn;
    QPointer<CFileStatsJob> m_pJob;   // the frame's status line owns it once placed
    double m_dInterval = 1000.0;
};

} // namespace nuv
