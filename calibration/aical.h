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

// Dialog IDD_AICAL: recalibrates one channel in one range at a time (reset, offset, gain) and the
// cold-junction temperature. The arithmetic is the device library's; the dialog sequences
// the calls, checks the operator's input and marks progress in the status list IDC_CAL_STATUS.
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
    void OnStartCal();      // IDC_CAL_START, step 1: reset
    void OnZeroCal();       // IDC_CAL_ZERO, step 2: offset
    void OnFullCal();       // IDC_CAL_FULL, step 3: gain
    void OnReadTemp();      // IDC_CAL_READ_TEMP
    void OnSetTemp();       // IDC_CAL_SET_TEMP

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

    QComboBox* m_pChannel = nullptr;    // IDC_CAL_CHANNEL
    QComboBox* m_pRange = nullptr;      // IDC_CAL_RANGE
    QLineEdit* m_pFullValue = nullptr;  // IDC_CAL_FULL_VALUE
    QLabel* m_pUnit = nullptr;          // IDC_CAL_UNIT
    QTableWidget* m_pStatus = nullptr;  // IDC_CAL_STATUS
    QLineEdit* m_pAmbient = nullptr;    // IDC_CAL_AMBIENT
    QLineEdit* m_pRefTemp = nullptr;    // IDC_CAL_REF_TEMP
};

} // namespace nuv
