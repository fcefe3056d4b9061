// The AI calibration dialog.
#pragma once

#include <QDialog>

namespace nuv {

class CAICal : public QDialog {
    Q_OBJECT
public:
    explicit CAICal(QWidget* parent = nullptr);
    ~CAICal() override;
};

} // namespace nuv
