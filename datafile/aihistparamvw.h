// The history panel: the opened file's channel configuration, read-only.
#pragma once

#include "framework/document.h"
#include "device/mdq4170.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace nuv {

class CAIHistDoc;

class CAIHistParamVw : public QWidget, public CView {
    Q_OBJECT
public:
    explicit CAIHistParamVw(QWidget* parent = nullptr);
    QWidget* GetWidget() override { return this; }
    CAIHistDoc* GetDoc() const;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, int hint) override;
    // Shows a parameter block: the channel run, the ranges and, with a file open, the
    // counts playback uses.
    void ShowParam(const AIParam& block);
    void EnablePanel(bool enable);

    QCheckBox* m_pChannel[8]{};   // 1327, 1328, 1329, 1330, 1332, 1333, 1334, 1335
    QComboBox* m_pRange[8]{};     // 1230, 1232, 1233, 1235, 1231, 1236, 1237, 1238
    QLabel* m_pBreakIcon[8]{};    // 1339 ... 1346, hidden in playback
    QLineEdit* m_pChannels = nullptr;   // 1355 "使能通道总数"
    QLineEdit* m_pPoints = nullptr;     // 1356 "单通道数据点数"
};

} // namespace nuv
