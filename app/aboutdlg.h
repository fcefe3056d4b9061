// The About box (IDD_ABOUTBOX): icon, name and version, OK.
#pragma once

#include <QDialog>

namespace nuv {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace nuv
