// Recording side of the live document: creating the data file, the status information
// bar, closing the file.
#include "aidoc.h"

#include "aicurveview.h"
#include "aifrm.h"
#include "filestatus.h"
#include "msgseam.h"
#include "nuvapp.h"
#include "resource.h"

#include <QFile>
#include <QFileInfo>

namespace nuv {

void CAIDoc::CreateDataFile()
{
    m_hDataFile = MDQ4170_FILE_Create(QFile::encodeName(m_strDataFile).constData(), MDQ4170_FILE_MODE_WRITE);
    if (m_hDataFile == -1) {
        AfxMessageBox(QStringLiteral("创建文件对象失败..."), MsgIcon::Stop);
        m_bSaveFile = 0;
        return;
    }
    m_bFileOpen = 1;
    if (m_pFrame != nullptr)
        m_pFrame->ShowStatusInfoBar(true);

    // Free space of the file system that will hold the file: asked of the file's folder
    // (a path here has no drive-letter volume root to take from its first characters).
    const QString folder = QFileInfo(m_strDataFile).absolutePath();
    m_nFreeDiskMB = FreeMegabytes(MDQ4170_FILE_GetDiskFreeBytes(QFile::encodeName(folder).constData()));
    if (m_nFreeDiskMB < 100) {
        AfxMessageBox(QStringLiteral("硬盘剩余空间不足100M，请放弃存盘操作..."), MsgIcon::Stop);
        MDQ4170_FILE_Release(m_hDataFile);
        m_hDataFile = -1;
        m_bFileOpen = 0;
        m_bSaveFile = 0;
        return;
    }
    if (m_pFrame != nullptr) {
        m_pFrame->SetStatusField(IDC_STATUS_FREESPACE, QString::asprintf("%d MB", m_nFreeDiskMB));
        m_pFrame->SetStatusField(IDC_STATUS_FILENAME, m_strDataFile);
    }
}

void CAIDoc::UpdateFileStatus()
{
    if (m_pFrame == nullptr)
        return;
    const uint64_t count = m_SampleCount.load(std::memory_order_acquire);
    const double stored = StoredMegabytes(count, m_Param.ChannelCount);
    m_pFrame->SetStatusField(IDC_STATUS_STORED, StoredSizeText(stored));
    m_pFrame->SetStatusField(IDC_STATUS_COUNT, QString::number(count));
    // The remaining space means something only while a file is being written; once the
    // file was closed the field keeps its "0".
    if (m_bFileOpen)
        m_pFrame->SetStatusField(IDC_STATUS_FREESPACE, FreeSpaceText(m_nFreeDiskMB, stored));
}

void CAIDoc::OnCloseDataFile()
{
    if (m_bFileOpen && m_bRunning.load() == 0)
        ReleaseDataFile();
    if (m_pFrame != nullptr) {
        m_pFrame->SetStatusField(IDC_STATUS_FREESPACE, QStringLiteral("0"));
        m_pFrame->ShowStatusInfoBar(true);
    }
    SetTitle(QStringLiteral("AI模拟量输入"));
    if (m_pFrame != nullptr)
        m_pFrame->SelectParamTab(0);
    m_nScrollPos = 0;
    if (m_pCurveView != nullptr)
        m_pCurveView->ScrollToPosition(0, true);
}

// Closes the data file (also when the window goes with a file still open) and lists it
// among the recent files.
void CAIDoc::ReleaseDataFile()
{
    if (!m_bFileOpen)
        return;
    theApp.AddToRecentFileList(m_strDataFile);
    MDQ4170_FILE_Release(m_hDataFile);
    m_hDataFile = -1;
    m_bFileOpen = 0;
}

} // namespace nuv
