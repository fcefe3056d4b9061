// Recording side of the live document: creating the data file, the status information
// bar, closing the file.
#include "acquisition/aidoc.h"

#include "datafile/aihistdoc.h"
#include "framework/childfrm.h"
#include "acquisition/filestatus.h"
#include "framework/msgseam.h"
#include "framework/winapp.h"
#include "res/resource.h"

#include <QFile>
#include <QFileInfo>

namespace nuv {

namespace {

// Whether two paths name the same file (links followed where they lead somewhere).
bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

bool CAIDoc::IsOpenForPlayback(const QString& path)
{
    if (AfxGetMainWnd() == nullptr)
        return false;
    for (CChildFrame* frame : AfxGetMainWnd()->ChildFrames()) {
        const auto* hist = qobject_cast<const CAIHistDoc*>(frame != nullptr ? frame->GetDocument() : nullptr);
        if (hist != nullptr && hist->m_bOpen && SameFile(hist->m_strPath, path))
            return true;
    }
    return false;
}

bool CAIDoc::ConfirmDataFile()
{
    if (IsOpenForPlayback(m_strDataFile)) {
        AfxMessageBox(QStringLiteral("该文件正在回放窗口中打开，请另选文件名！"), MsgIcon::Stop);
        return false;
    }
    // A link that leads nowhere is replaced as well: creating the file writes where it points.
    const QFileInfo fi(m_strDataFile);
    const bool dangling = fi.isSymLink() && !fi.exists();
    if (dangling || (fi.isFile() && fi.size() > 0)) {
        const QString text = QStringLiteral("数据文件已存在，是否覆盖？\n") + m_strDataFile;
        if (AfxMessageBox(text, MsgIcon::Question, MsgButtons::YesNo) != IDYES)
            return false;
    }
    return true;
}

void CAIDoc::CreateDataFile()
{
    // Free space first: a refusal must not have emptied the file already. It is asked of
    // the file's folder (a path here has no drive-letter volume root).
    const QString folder = QFileInfo(m_strDataFile).absolutePath();
    m_nFreeDiskMB = FreeMegabytes(MDQ4170_FILE_GetDiskFreeBytes(QFile::encodeName(folder).constData()));
    if (m_nFreeDiskMB < 100) {
        AfxMessageBox(QStringLiteral("硬盘剩余空间不足100M，请放弃存盘操作..."), MsgIcon::Stop);
        m_bSaveFile = 0;
        return;
    }
    m_hDataFile = MDQ4170_FILE_Create(QFile::encodeName(m_strDataFile).constData(), MDQ4170_FILE_MODE_WRITE);
    if (m_hDataFile == -1) {
        AfxMessageBox(QStringLiteral("创建文件对象失败..."), MsgIcon::Stop);
        m_bSaveFile = 0;
        return;
    }
    m_bFileOpen = 1;
    ShowStatusInfoBar(true);
    SetStatusField(IDC_STATUS_FREESPACE, QString::asprintf("%d MB", m_nFreeDiskMB));
    SetStatusField(IDC_STATUS_FILENAME, m_strDataFile);
}

void CAIDoc::UpdateFileStatus()
{
    const uint64_t count = SampleCount();
    const double stored = StoredMegabytes(count, RunChannels());
    SetStatusField(IDC_STATUS_STORED, StoredSizeText(stored));
    SetStatusField(IDC_STATUS_COUNT, QString::number(count));
    // The remaining space means something only while a file is being written; once the
    // file was closed the field keeps its "0".
    if (m_bFileOpen)
        SetStatusField(IDC_STATUS_FREESPACE, FreeSpaceText(m_nFreeDiskMB, stored));
}

void CAIDoc::OnCloseDataFile()
{
    if (m_bFileOpen && !Running())
        ReleaseDataFile();
    SetStatusField(IDC_STATUS_FREESPACE, QStringLiteral("0"));
    ShowStatusInfoBar(true);
    SetTitle(QStringLiteral("AI模拟量输入"));
    if (!m_bWindowsGone)
        emit paramTabSelected(0);
    m_nScrollPos = 0;
    Notify(kHintScrollHome);
}

// Closes the data file (also when the window goes with a file still open) and lists it
// among the recent files.
void CAIDoc::ReleaseDataFile()
{
    if (!m_bFileOpen)
        return;
    if (AfxGetApp() != nullptr)
        AfxGetApp()->AddToRecentFileList(m_strDataFile);
    MDQ4170_FILE_Release(m_hDataFile);
    m_hDataFile = -1;
    m_bFileOpen = 0;
}

} // namespace nuv
