// The AI parameter panel: channel run, ranges, read interval, wave and save switches,
// cold-junction temperature and break icons.
#pragma once

#include "framework/document.h"
#include "device/mdq4170.h"
#include "framework/wndmsg.h"
#include "res/resource.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace nuv {

class CAIDoc;

class CAIParamVw : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CAIParamVw(QWidget* parent = nullptr);
    ~CAIParamVw() override;
    QWidget* GetWidget() override { return this; }
    CAIDoc* GetDoc() const;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, int hint) override;   // run state: locked while running
    // Shows `p` and tells the document (rows, columns, sweep back at its origin).
    void ApplyParam(const AIParam& p);
    void EnablePanel(bool enable);
    // Handle for the worker's cold-junction notices (WM_USER+101).
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

    // The save dialog of "保存数据文件": returns the chosen path, empty on Cancel.
    // Replaceable (tests); the default shows the platform's save dialog.
    using SaveFileChooser = std::function<QString(QWidget* parent)>;
    static SaveFileChooser SetSaveFileChooser(SaveFileChooser chooser);

    // Remembered run (first, last, count; -1 means no channel).
    int RunFirst() const { return m_nFirst; }
    int RunLast() const { return m_nLast; }
    int RunCount() const { return m_nCount; }
    // Icon currently shown for channel k: IDB_BREAK_NA, IDB_BREAK_BROKEN or IDB_BREAK_OK.
    int BreakIcon(int k) const { return m_nIconShown[k]; }

protected:
    bool event(QEvent* e) override;                       // WM_USER+101
    bool eventFilter(QObject* watched, QEvent* e) override;  // focus loss of IDC_READ_INTERVAL

    CWndHandle m_hWnd{this};

private:
    void BuildControls();
    void OnChannelClicked(int i, bool ticked);
    void OnRangeChanged(int k, int code);
    void OnMatchRanges();
    void OnReadIntervalChanged(const QString& text);
    void OnReadIntervalFocusLost();
    void OnSaveFileClicked(bool ticked);
    void RefreshBreakIcons(const uint32_t range[8], const uint32_t brk[8]);
    void ShowIcon(int k, int id);

    QCheckBox* m_pChannel[8]{};
    QComboBox* m_pRange[8]{};
    QLabel* m_pIcon[8]{};
    QLineEdit* m_pCJC = nullptr;
    QPushButton* m_pMatch = nullptr;
    QLineEdit* m_pInterval = nullptr;
    QCheckBox* m_pShowWave = nullptr;
    QCheckBox* m_pSaveFile = nullptr;
    QPlainTextEdit* m_pNote = nullptr;

    int m_nFirst = 0, m_nLast = 7, m_nCount = 8;
    float m_fReadInterval = 1000.0f;
    int m_nLastBreak[8]{2, 2, 2, 2, 2, 2, 2, 2};
    int m_nIconShown[8]{IDB_BREAK_NA, IDB_BREAK_NA, IDB_BREAK_NA, IDB_BREAK_NA,
                        IDB_BREAK_NA, IDB_BREAK_NA, IDB_BREAK_NA, IDB_BREAK_NA};
    bool m_bLoading = false;
};

} // namespace nuv
