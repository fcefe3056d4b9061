#include "app/nuvapp.h"

#include "app/aboutdlg.h"
#include "views/aidatavw.h"
#include "acquisition/aidoc.h"
#include "app/aifrm.h"
#include "datafile/aihistdoc.h"
#include "app/aihistfrm.h"
#include "datafile/aihistparamvw.h"
#include "acquisition/aiparamvw.h"
#include "res/bitmaps.h"
#include "app/cmdtable.h"
#include "app/devinfo.h"
#include "app/devmarker.h"
#include "dio/diodoc.h"
#include "app/diofrm.h"
#include "app/handover.h"
#include "app/mainfrm.h"
#include "framework/msgseam.h"
#include "datafile/opendatafile.h"
#include "res/resource.h"
#include "app/seldevdlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QTranslator>

namespace nuv {

CNUVApp theApp;

namespace {

const char* const kRecentGroup = "Recent File List";

class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

CNUVApp::CNUVApp() = default;

QString InstallQtTranslations(const QLocale& locale)
{
    // The toolkit's own texts (dialog buttons, the file, print and message dialogs) in the
    // operator's language; where the system asks for the toolkit's source language, or
    // for one it has no translation of, in Chinese like the rest of the program.
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool english = locale.language() == QLocale::English || locale.language() == QLocale::C;
    if ((english || !translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), dir)) &&
        !translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
        delete translator;
        return {};
    }
    QCoreApplication::installTranslator(translator);
    return translator->language();
}

uint32_t CNUVApp::CountFreeDevices(uint32_t count)
{
    uint32_t free = 0;
    for (uint32_t i = 0; i < count; ++i) {
        bool existed = false;
        const int h = CreateMarker(DeviceMarkerName(int(i)), &existed);
        if (!existed)
            ++free;
        ReleaseMarker(h);
    }
    return free;
}

bool CNUVApp::InitInstance()
{
    const uint32_t count = MDQ4170_DEV_GetCount();
    if (count != 0) {
        if (CountFreeDevices(count) == 0) {
            AfxMessageBox(QStringLiteral("所有的设备已被使用"));
            return false;
        }
        CSelDevDlg dlg;
        dlg.m_nDeviceCount = count;
        bool existed = false;
        const int selMarker = CreateMarker(SelectionMarkerName(), &existed);
        if (existed) {
            AfxMessageBox(QStringLiteral("已经处在设备选择界面，不能重复进入"));
            return false;
        }
        const int result = dlg.DoModal();
        ReleaseMarker(selMarker);
        if (result != QDialog::Accepted)
            return false;
        m_nDeviceIndex = dlg.m_nSelDevice;
    } else {
        const int answer = MessageBoxCaption(QStringLiteral("没有设备存在,进入半模拟工作状态吗？"),
                                             QStringLiteral("友情提示"), MsgIcon::Information, MsgButtons::YesNo);
        if (answer != IDYES)
            return false;
    }

    // Held until exit (the simulation state holds index 0 too). An instance that cannot
    // take its module's marker does not run on that module: a chosen module taken in the
    // meantime ends the start-up, the simulation state runs on without marker and module.
    bool taken = false;
    m_hDeviceMutex = CreateMarker(DeviceMarkerName(m_nDeviceIndex), &taken);
    if (m_hDeviceMutex > 0) {
        m_hDevice = MDQ4170_DEV_Create(uint32_t(m_nDeviceIndex), 0);
    } else if (count != 0) {
        AfxMessageBox(QStringLiteral("所选设备已被使用"));
        return false;
    }

    LoadRecentFileList();

    auto* main = new CMainFrm;
    m_pMainWnd = main;
    main->setWindowIcon(AppIcon());
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (!program.isEmpty())
        main->setProperty(program.toUtf8().constData(), 2);
    main->SetBaseTitle(QStringLiteral("%1-%2 ").arg(QStringLiteral("MDQ4170")).arg(m_nDeviceIndex) +
                       QStringLiteral("产品演示系统"));
    // Without a window manager "maximized" means nothing; start at the screen's size.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        main->setGeometry(screen->availableGeometry());
    main->showMaximized();

    OnAIWindow();
    OnDIOWindow();
    if (m_pAIFrame != nullptr)
        main->ActivateFrame(m_pAIFrame);
    return true;
}

int CNUVApp::ExitInstance()
{
    if (m_pMainWnd != nullptr) {
        CMainFrm* main = m_pMainWnd;
        main->close();
        m_pMainWnd = nullptr;
        delete main;
    }
    if (m_hDevice != MDQ4170_INVALID_HANDLE && m_hDevice != 0)
        MDQ4170_DEV_Release(m_hDevice);
    m_hDevice = MDQ4170_INVALID_HANDLE;
    if (m_hDeviceMutex != -1 && m_hDeviceMutex != 0)
        ReleaseMarker(m_hDeviceMutex);
    m_hDeviceMutex = 0;
    m_nDeviceIndex = 0;
    SaveRecentFileList();
    return 0;
}

bool CNUVApp::OnCmdMsg(int nID, CCmdUI* pUI)
{
    switch (nID) {
    case ID_AI_WINDOW:
    case ID_DIO_WINDOW:
    case ID_APP_EXIT:
    case ID_APP_ABOUT:
    case ID_OPEN_DATAFILE:
    case ID_DEVICE_INFO:
    case ID_FILE_OPEN:
        break;
    default:
        return false;
    }
    if (pUI != nullptr) {
        pUI->Enable(true);
        return true;
    }
    switch (nID) {
    case ID_AI_WINDOW: OnAIWindow(); break;
    case ID_DIO_WINDOW: OnDIOWindow(); break;
    case ID_APP_EXIT:
        if (m_pMainWnd != nullptr)
            m_pMainWnd->close();
        break;
    case ID_APP_ABOUT: OnAppAbout(); break;
    case ID_OPEN_DATAFILE: OnOpenDataFile(); break;
    case ID_DEVICE_INFO: OnDeviceInfo(); break;
    case ID_FILE_OPEN: OnFileOpen(); break;
    default: break;
    }
    return true;
}

void CNUVApp::OnAIWindow()
{
    if (m_pMainWnd == nullptr)
        return;
    if (m_pAIFrame != nullptr) {
        m_pMainWnd->ActivateFrame(m_pAIFrame);
        return;
    }
    CWaitCursor wait;
    auto* doc = new CAIDoc;
    doc->m_hDevice = m_hDevice;
    auto* frame = new CAIFrm(doc);
    if (!frame->Create()) {
        delete frame;
        return;
    }
    m_pMainWnd->AddChildFrame(frame);
    frame->InitialUpdateFrame();
    m_pAIFrame = frame;

    doc->LoadParam();   // the default record when nothing can be loaded
    doc->ShowRanges();
    doc->m_nMaxScrollPos = doc->m_nSweepLength;
    if (CAIParamVw* panel = frame->GetParamView()) {
        panel->SetDocument(doc);
        panel->ApplyParam(doc->m_Param);
        panel->EnablePanel(true);
    }
    if (CAIDataVw* stats = frame->GetDataView()) {
        stats->SetDocument(doc);
        stats->SetRowCount(doc->m_nShownChannels);
    }
    doc->SetTitle(QStringLiteral("AI模拟量输入"));
}

void CNUVApp::OnDIOWindow()
{
    if (m_pMainWnd == nullptr)
        return;
    if (m_pDIOFrame != nullptr) {
        m_pMainWnd->ActivateFrame(m_pDIOFrame);
        return;
    }
    CWaitCursor wait;
    auto* doc = new CDIODoc;
    doc->m_hDevice = m_hDevice;
    auto* frame = new CDIOFrm(doc);
    if (!frame->Create()) {
        delete frame;
        return;
    }
    m_pMainWnd->AddChildFrame(frame);
    frame->InitialUpdateFrame();
    doc->SetTitle(QStringLiteral("DIO数字量"));
}

void CNUVApp::OnDeviceInfo() { ShowDeviceInfo(m_hDevice); }

CAIHistDoc* CNUVApp::OpenDocumentFile(const QString& path)
{
    if (m_pMainWnd == nullptr || path.isEmpty())
        return nullptr;
    CWaitCursor wait;
    auto* doc = new CAIHistDoc;
    auto* frame = new CAIHistFrm(doc);
    if (!frame->Create()) {
        delete frame;
        return nullptr;
    }
    m_pMainWnd->AddChildFrame(frame);
    frame->InitialUpdateFrame();
    doc->m_nScanCount = 0;
    doc->m_nMaxPosition = 0;
    if (CAIHistParamVw* panel = frame->GetParamVw()) {
        panel->SetDocument(doc);
        panel->ShowParam(doc->m_Param);
        panel->EnablePanel(true);
    }
    // A file that does not open leaves the window open and empty; the document said why.
    doc->OpenFile(path);
    return doc;
}

void CNUVApp::OnOpenDataFile()
{
    // Starts in the folder last used for data files and remembers the one chosen.
    const QString path = GetOpenDataFileName(m_pMainWnd, QStringLiteral("打开历史数据文件"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CNUVApp::OnFileOpen()
{
    const QString path = GetOpenDataFileName(m_pMainWnd, QStringLiteral("打开"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CNUVApp::OnAppAbout()
{
    CAboutDlg dlg(m_pMainWnd);
    dlg.exec();
}

void CNUVApp::OpenHandedOverFiles(const QStringList& args)
{
    // "--open" takes every argument after it; other arguments open nothing.
    for (const QString& f : HandedOverFiles(args))
        OpenDocumentFile(f);
}

CMainWndBase* CNUVApp::GetMainWnd() const { return m_pMainWnd; }

void CNUVApp::AddToRecentFileList(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString abs = QFileInfo(path).absoluteFilePath();
    m_recentFiles.removeAll(abs);
    m_recentFiles.prepend(abs);
    while (m_recentFiles.size() > kRecentCount)
        m_recentFiles.removeLast();
    ScheduleRecentFileSave();
}

void CNUVApp::ScheduleRecentFileSave()
{
    // Opening a file does not wait for the settings file: the list is written once the
    // window is up, together with whatever else changed meanwhile.
    constexpr int kSaveDelayMs = 500;
    if (m_bRecentPending)
        return;
    m_bRecentPending = true;
    if (QCoreApplication::instance() == nullptr) {
        SaveRecentFileList();
        return;
    }
    QTimer::singleShot(kSaveDelayMs, QCoreApplication::instance(), [this] {
        if (m_bRecentPending)
            SaveRecentFileList();
    });
}

void CNUVApp::LoadRecentFileList()
{
    if (m_bRecentPending)
        SaveRecentFileList();
    QSettings settings(QStringLiteral("NUV"), QStringLiteral("NUV"));
    settings.beginGroup(QLatin1String(kRecentGroup));
    m_recentFiles.clear();
    for (int k = 1; k <= kRecentCount; ++k) {
        const QString f = settings.value(QStringLiteral("File%1").arg(k)).toString();
        if (!f.isEmpty() && !m_recentFiles.contains(f))
            m_recentFiles.append(f);
    }
}

void CNUVApp::SaveRecentFileList() const
{
    m_bRecentPending = false;
    QSettings settings(QStringLiteral("NUV"), QStringLiteral("NUV"));
    settings.remove(QLatin1String(kRecentGroup));
    settings.beginGroup(QLatin1String(kRecentGroup));
    for (int k = 0; k < m_recentFiles.size(); ++k)
        settings.setValue(QStringLiteral("File%1").arg(k + 1), m_recentFiles[k]);
}

} // namespace nuv
