// The device selection dialog (IDD_SELDEV): the free modules, sorted by text.
#pragma once

#include <QDialog>
#include <functional>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace nuv {

class CSelDevDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSelDevDlg(QWidget* parent = nullptr);

    // Fills list IDC_DEVICE_LIST by probing module indices 0..126 (free ones only), selects the first
    // entry and enables OK when there is one.
    void OnInitDialog();
    // OK: takes the selected entry's leading number and closes; nothing without a
    // selection.
    void OnOK();
    void OnCancel();

    // Fills the list and runs the dialog modally (through the runner when one is set).
    int DoModal();
    // Tests replace the modal loop: the runner gets the filled dialog and returns its result.
    using Runner = std::function<int(CSelDevDlg&)>;
    static Runner SetRunner(Runner runner);

    QListWidget* List() const { return m_pList; }
    QPushButton* OkButton() const { return m_pOk; }

    uint32_t m_nDeviceCount = 0;   // given by the caller, not used here
    int m_nSelDevice = 0;

private:
    QListWidget* m_pList;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
};

// Leading decimal number of a list entry ("10-MDQ4170" -> 10).
int LeadingNumber(const QString& text);

} // namespace nuv
