// "导出CSV..." of the history window (command 32875): the dialog that chooses what to
// export (whole file, between the cursors, a range 从 … 到 …; raw codes as well; comma or
// tab) and the export itself, run in a background thread behind a progress dialog.
#pragma once

#include "datafile/csvexport.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace nuv {

class CCmdUI;
class CAIHistDoc;

// Dialog 213. Controls carry their ids (1401-1409) as object names.
class CExportCsvDlg : public QDialog {
    Q_OBJECT
public:
    CExportCsvDlg(const CAIHistDoc& doc, QWidget* parent = nullptr);
    // The readings and the form the operator chose.
    CsvOptions Options() const;

private:
    QRadioButton* m_pWhole;
    QRadioButton* m_pCursors;
    QRadioButton* m_pRange;
    QSpinBox* m_pFrom;
    QSpinBox* m_pTo;
    QCheckBox* m_pRaw;
    QRadioButton* m_pComma;
    QRadioButton* m_pTab;
    QDoubleSpinBox* m_pInterval;
    int64_t m_nCursorFirst = 0;
    int64_t m_nCursorLast = 0;
};

// Exports `source` to `target` in a background thread; a progress dialog with "取消" shows
// when it takes a while. The outcome (done, cancelled, failed) is told through the message
// seam; a cancelled or failed export leaves no file behind.
CsvResult RunCsvExport(QWidget* parent, const QString& source, const QString& target, const CsvOptions& options);

// The command: enabled while the document shows a file with readable records.
bool ExportCsvCmd(CCmdUI* pUI, CAIHistDoc* doc, QWidget* parent);

} // namespace nuv
