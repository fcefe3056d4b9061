// The application object: the device in use and the open AI and DIO windows.
#pragma once

#include "framework/winapp.h"
#include "device/mdq4170.h"

#include <QString>
#include <QStringList>

class QLocale;

namespace nuv {

class CAIFrm;
class CDIOFrm;
class CMainFrm;
class CAIHistDoc;

class CNUVApp : public CWinApp {
public:
    CNUVApp();

    // Start-up and exit. InitInstance returns false when the program must stop without a
    // main window.
    bool InitInstance();
    int ExitInstance();

    // Commands handled by the application.
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;
    void OnAIWindow();        // ID_AI_WINDOW
    void OnDIOWindow();       // ID_DIO_WINDOW
    void OnDeviceInfo();      // ID_DEVICE_INFO
    void OnOpenDataFile();    // ID_OPEN_DATAFILE (and Ctrl+O)

    // Opens `path` in a new history window (recent list, dropped files, files handed over
    // by the desktop, the open dialogs). Returns the new document (also when its open
    // failed: the window stays open and empty), nullptr when no window could be made.
    CAIHistDoc* OpenDocumentFile(const QString& path);

    // Recent-file list (16 entries, persisted).
    void AddToRecentFileList(const QString& path) override;
    CMainWndBase* GetMainWnd() const override;
    QStringList RecentFiles() const { return m_recentFiles; }
    // Reads the stored list (a change not yet written is written first).
    void LoadRecentFileList();
    // Writes the list now. A change is written a moment after it was made, several
    // changes at once, and the list again at exit.
    void SaveRecentFileList() const;
    bool IsRecentFileListPending() const { return m_bRecentPending; }

    // Free module indices among 0..count-1: those whose marker nobody holds.
    static uint32_t CountFreeDevices(uint32_t count);
    // ID_FILE_OPEN: the open dialog titled "打开".
    void OnFileOpen();
    // ID_APP_ABOUT
    void OnAppAbout();
    // Files handed over by the desktop ("--open <files>"): each opens in a history window.
    void OpenHandedOverFiles(const QStringList& args);

    MDQ4170_HANDLE m_hDevice = MDQ4170_INVALID_HANDLE;
    int m_nDeviceIndex = 0;
    int m_hDeviceMutex = 0;          // lock-file descriptor of "%d-MDQ4170" (0: none)
    CAIFrm* m_pAIFrame = nullptr;
    CDIOFrm* m_pDIOFrame = nullptr;
    CMainFrm* m_pMainWnd = nullptr;

private:
    void ScheduleRecentFileSave();
    QStringList m_recentFiles;
    mutable bool m_bRecentPending = false;
};

extern CNUVApp theApp;

// Loads the toolkit's translations for `locale` (Chinese where it has none, or for English)
// into the application; returns the language loaded, empty when none could be found.
QString InstallQtTranslations(const QLocale& locale);

} // namespace nuv
