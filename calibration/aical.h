// The AI calibration dialog.
#pragma once

#include "device/mdq4170.h"

#include <QDialog>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace nuv {

// Dialog 190: recalibrates one channel in one range at a time (reset, offset, gain) and the
// cold-junction temperature. The arithmetic is the device library's; the dialog sequences
// the calls, checks the operator's input and marks progress in the status list 1351.
class CAICal : public QDialog {
    Q_OBJECT
public:
    explicit CAICal(MDQ4170_HANDLE device, QWidget* parent = nullptr);
    ~CAICal() override;

    // Selection and progress, for the frame's checks.
    int Channel() const { return m_nChannel; }
    uint32_t RangeCode() const { return m_nRange; }
    bool IsResetDone() const { return m_bResetDone; }
    float FullScaleValue() const { return m_fFullValue; }
    // Status row of the current selection (-1 when it has none).
    int StatusRow() const;

    // The buttons' handlers.
    void OnStartCal();      // 1316, step 1: reset
    void OnZeroCal();       // 1314, step 2: offset
    void OnFullCal();       // 1315, step 3: gain
    void OnReadTemp();      // 1318
    void OnSetTemp();       // 1319

private:
    MDQ4170_HANDLE m_hDevice;
    void BuildControls();
    void FillStatusList();
    void OnChannelChanged(int index);
    void OnRangeChanged(int index);
    void MarkStatus(int column);   // column < 0: only make the row hot
    bool DeviceCreated() const;

    uint32_t m_nRange = 0;
    int m_nChannel = 0;
    float m_fFullValue = 0.0f;
    bool m_bResetDone = false;

    QComboBox* m_pChannel = nullptr;    // 1348
    QComboBox* m_pRange = nullptr;      // 1349
    QLineEdit* m_pFullValue = nullptr;  // 1317
    QLabel* m_pUnit = nullptr;          // 1350
    QTableWidget* m_pStatus = nullptr;  // 1351
    QLineEdit* m_pAmbient = nullptr;    // 1353
    QLineEdit* m_pRefTemp = nullptr;    // 1354
};

} // namespace nuv
