// The playback digit view: a painted, scrollable table of the opened file's samples.
#pragma once

#include "document.h"

#include <QAbstractScrollArea>

namespace nuv {

class CAIHistDoc;

class CAIDigitVw : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    explicit CAIDigitVw(QWidget* parent = nullptr);
    ~CAIDigitVw() override;
    QWidget* GetWidget() override { return this; }
    CAIHistDoc* GetDoc() const;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, int hint) override;
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;   // 32813-32815, 57607-57609
    void SetScrollSizes(int maxPosition);
    void SetPosition(int position);
};

} // namespace nuv
