#include "datafile/exportdlg.h"

#include "datafile/aihistdoc.h"
#include "framework/cmdtarget.h"
#include "framework/msgseam.h"
#include "framework/wndmsg.h"
#include "res/resource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <thread>

namespace nuv {

namespace {

// Posted by the export thread to the waiting dialog.
constexpr int WM_EXPORT_PROGRESS = WM_USER + 110;   // wParam: per mille done
constexpr int WM_EXPORT_DONE = WM_USER + 111;

template <class W> W* Named(W* w, int id)
{
    w->setObjectName(QString::number(id));
    return w;
}

// Follows the export thread: moves the progress bar, ends the wait.
class CExportWatch : public QObject {
public:
    CExportWatch(QProgressDialog& progress, QEventLoop& loop) : m_progress(progress), m_loop(loop) {}
    bool event(QEvent* e) override
    {
        if (e->type() == MsgType(WM_EXPORT_PROGRESS)) {
            if (!m_progress.wasCanceled())
                m_progress.setValue(int(static_cast<CMsgEvent*>(e)->wParam));
            return true;
        }
        if (e->type() == MsgType(WM_EXPORT_DONE)) {
            m_loop.quit();
            return true;
        }
        return QObject::event(e);
    }

private:
    QProgressDialog& m_progress;
    QEventLoop& m_loop;
};

} // namespace

CExportCsvDlg::CExportCsvDlg(const CAIHistDoc& doc, QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDD_EXPORTCSV));
    setWindowTitle(QStringLiteral("导出CSV"));
    const int64_t count = std::max<int64_t>(doc.m_nScanCount, 0);
    const int top = int(std::clamp<int64_t>(count - 1, 0, INT_MAX));
    m_nCursorFirst = std::clamp<int64_t>(std::min(doc.m_nCursorScan[0], doc.m_nCursorScan[1]), 0, top);
    m_nCursorLast = std::clamp<int64_t>(std::max(doc.m_nCursorScan[0], doc.m_nCursorScan[1]), 0, top);

    auto* range = new QGroupBox(QStringLiteral("导出范围"), this);
    m_pWhole = Named(new QRadioButton(QStringLiteral("整个文件 (%1 个读数)").arg(count), range), IDC_EXPORT_WHOLE);
    m_pCursors = Named(new QRadioButton(QStringLiteral("光标之间 (第 %1 到第 %2 个读数)").arg(m_nCursorFirst).arg(m_nCursorLast), range),
                       IDC_EXPORT_CURSORS);
    m_pRange = Named(new QRadioButton(QStringLiteral("从"), range), IDC_EXPORT_RANGE);
    m_pFrom = Named(new QSpinBox(range), IDC_EXPORT_FROM);
    m_pTo = Named(new QSpinBox(range), IDC_EXPORT_TO);
    for (QSpinBox* s : {m_pFrom, m_pTo}) {
        s->setRange(0, top);
        s->setMinimumWidth(110);
    }
    m_pFrom->setValue(int(m_nCursorFirst));
    m_pTo->setValue(top);
    m_pWhole->setChecked(true);
    m_pCursors->setEnabled(count > 0);
    m_pRange->setEnabled(count > 0);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(m_pRange);
    rangeRow->addWidget(m_pFrom);
    rangeRow->addWidget(new QLabel(QStringLiteral("到"), range));
    rangeRow->addWidget(m_pTo);
    rangeRow->addStretch();
    auto* rangeBox = new QVBoxLayout(range);
    rangeBox->addWidget(m_pWhole);
    rangeBox->addWidget(m_pCursors);
    rangeBox->addLayout(rangeRow);
    auto enableRange = [this] {
        m_pFrom->setEnabled(m_pRange->isChecked());
        m_pTo->setEnabled(m_pRange->isChecked());
    };
    connect(m_pRange, &QRadioButton::toggled, this, enableRange);
    enableRange();
    // Typing in a spin box means the range.
    for (QSpinBox* s : {m_pFrom, m_pTo})
        connect(s, &QSpinBox::valueChanged, this, [this] { m_pRange->setChecked(true); });

    auto* form = new QGroupBox(QStringLiteral("内容"), this);
    m_pRaw = Named(new QCheckBox(QStringLiteral("同时导出原始码值"), form), IDC_EXPORT_RAW);
    m_pComma = Named(new QRadioButton(QStringLiteral("逗号"), form), IDC_EXPORT_COMMA);
    m_pTab = Named(new QRadioButton(QStringLiteral("制表符"), form), IDC_EXPORT_TAB);
    m_pComma->setChecked(true);
    auto* separators = new QButtonGroup(this);
    separators->addButton(m_pComma);
    separators->addButton(m_pTab);
    m_pInterval = Named(new QDoubleSpinBox(form), IDC_EXPORT_INTERVAL);
    m_pInterval->setRange(1, 1e7);
    m_pInterval->setDecimals(1);
    m_pInterval->setValue(1000.0);
    m_pInterval->setSuffix(QStringLiteral(" ms"));
    m_pInterval->setToolTip(QStringLiteral("数据文件不记录读数间隔: 时间列按文件头的开始时间加读数序号乘读数间隔计算, "
                                           "每个使能通道至少 100 ms"));
    auto* sepRow = new QHBoxLayout;
    sepRow->addWidget(m_pComma);
    sepRow->addWidget(m_pTab);
    sepRow->addStretch();
    auto* formBox = new QFormLayout(form);
    formBox->addRow(m_pRaw);
    formBox->addRow(QStringLiteral("分隔符"), sepRow);
    formBox->addRow(QStringLiteral("读数间隔"), m_pInterval);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("导出..."));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* all = new QVBoxLayout(this);
    all->addWidget(range);
    all->addWidget(form);
    all->addWidget(buttons);
}

CsvOptions CExportCsvDlg::Options() const
{
    CsvOptions o;
    if (m_pCursors->isChecked()) {
        o.First = m_nCursorFirst;
        o.Last = m_nCursorLast;
    } else if (m_pRange->isChecked()) {
        o.First = std::min(m_pFrom->value(), m_pTo->value());
        o.Last = std::max(m_pFrom->value(), m_pTo->value());
    }
    o.RawCodes = m_pRaw->isChecked();
    o.Separator = m_pTab->isChecked() ? '\t' : ',';
    o.IntervalMs = m_pInterval->value();
    return o;
}

CsvResult RunCsvExport(QWidget* parent, const QString& source, const QString& target, const CsvOptions& options)
{
    QProgressDialog progress(QStringLiteral("正在导出 %1 ...").arg(QFileInfo(target).fileName()), QStringLiteral("取消"), 0,
                             1000, parent);
    progress.setWindowTitle(QStringLiteral("导出CSV"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    std::atomic<bool> cancel{false};
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&cancel] { cancel.store(true); });

    QEventLoop loop;
    CExportWatch watch(progress, loop);
    CWndHandle handle(&watch);
    CsvResult result;   // written by the thread before its last message, read after the join
    std::thread worker([&, hwnd = handle.get()] {
        int shown = -1;
        result = ExportCsvFile(source, target, options, &cancel, [&](uint64_t done, uint64_t total) {
            const int permille = total == 0 ? 1000 : int(done * 1000 / total);
            if (permille != shown) {
                shown = permille;
                PostMessage(hwnd, WM_EXPORT_PROGRESS, uint64_t(permille));
            }
        });
        PostMessage(hwnd, WM_EXPORT_DONE);
    });
    loop.exec();
    worker.join();
    progress.reset();

    if (result.Ok())
        AfxMessageBox(QStringLiteral("CSV导出完成: %1 个读数, %2 字节, 写入 %3").arg(result.Rows).arg(result.Bytes).arg(target),
                      MsgIcon::Information);
    else
        AfxMessageBox(CsvStatusText(result), result.Status == CsvStatus::Cancelled ? MsgIcon::Information
                                                                                   : MsgIcon::Exclamation);
    return result;
}

bool ExportCsvCmd(CCmdUI* pUI, CAIHistDoc* doc, QWidget* parent)
{
    const bool ready = doc != nullptr && doc->m_bOpen && doc->m_nProblem == HistProblem::None;
    if (pUI != nullptr) {
        pUI->Enable(ready);
        return true;
    }
    if (!ready)
        return true;
    CExportCsvDlg dlg(*doc, parent);
    if (dlg.exec() != QDialog::Accepted)
        return true;
    const CsvOptions options = dlg.Options();
    const QFileInfo fi(doc->m_strPath);
    const bool tab = options.Separator == '\t';
    const QString csv = QStringLiteral("CSV 文件 (*.csv)"), tsv = QStringLiteral("制表符分隔文本 (*.tsv *.txt)");
    QString selected = tab ? tsv : csv;
    QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("导出CSV"),
        QDir(fi.absolutePath()).filePath(fi.completeBaseName() + (tab ? QStringLiteral(".tsv") : QStringLiteral(".csv"))),
        csv + QStringLiteral(";;") + tsv + QStringLiteral(";;所有文件 (*.*)"), &selected);
    if (path.isEmpty())
        return true;
    if (QFileInfo(path).suffix().isEmpty())
        path += tab ? QStringLiteral(".tsv") : QStringLiteral(".csv");
    RunCsvExport(parent, doc->m_strPath, path, options);
    return true;
}

} // namespace nuv
