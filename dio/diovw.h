// The digital I/O panel: output toggles, input indicators, manual and automatic reads.
#pragma once

#include "dio/direader.h"
#include "framework/document.h"
#include "framework/wndmsg.h"

#include <QWidget>
#include <array>
#include <cstdint>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace nuv {

class CDIOVw : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CDIOVw(QWidget* parent = nullptr);
    ~CDIOVw() override;   // stops the reader and waits until it has ended
    QWidget* GetWidget() override { return this; }
    void OnInitialUpdate() override;
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

    // The controls' handlers.
    void OnOutputClicked(int line);   // IDC_DO_BUTTON
    void OnManualRead();              // IDC_MANUAL_READ
    void OnAutoRead(bool checked);    // IDC_AUTO_READ
    void OnInvertClicked();           // IDC_DI_INVERT
    void OnPauseChanged();            // IDC_READ_PAUSE

    // Bitmap id (IDB_LINE_INVALID, IDB_LINE_HIGH, IDB_LINE_LOW) an input indicator or output button shows.
    int InputImage(int line) const;
    int OutputImage(int line) const;
    bool IsReading() const { return m_reader.IsActive(); }
    int Pause() const { return m_reader.Pause(); }
    bool InvertFlag(int line) const { return m_bInvert[size_t(line)] != 0; }

protected:
    bool event(QEvent* e) override;

    CWndHandle m_hWnd{this};

private:
    // The module of the document this panel belongs to (none without document).
    MDQ4170_HANDLE Device() const;
    void BuildControls();
    // Reads the pause edit as an integer; false (after telling the operator) when it holds none.
    bool UpdateData();
    void ShowInputs(const uint32_t states[8]);
    void ShowOutputs(const uint32_t states[8]);
    void StopReader();
    static void SetLineImage(QAbstractButton* b, int bitmapId);

    std::array<int32_t, 8> m_bInvert{};
    bool m_bReportFailures = true;
    CDIReader m_reader;

    std::array<QPushButton*, 8> m_pOutput{};   // IDC_DO_BUTTON
    std::array<QPushButton*, 8> m_pInput{};    // IDC_DI_LAMP
    std::array<QCheckBox*, 8> m_pInvert{};     // IDC_DI_INVERT
    QCheckBox* m_pAutoRead = nullptr;          // IDC_AUTO_READ
    QPushButton* m_pManualRead = nullptr;      // IDC_MANUAL_READ
    QLineEdit* m_pCount = nullptr;             // IDC_READ_COUNT
    QLineEdit* m_pPause = nullptr;             // IDC_READ_PAUSE
};

} // namespace nuv
