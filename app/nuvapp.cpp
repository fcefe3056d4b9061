#include "nuvapp.h"

namespace nuv {

CNUVApp theApp;

CNUVApp::CNUVApp() = default;

bool CNUVApp::InitInstance() { return false; }
int CNUVApp::ExitInstance() { return 0; }
bool CNUVApp::OnCmdMsg(int, CCmdUI*) { return false; }
void CNUVApp::OnAIWindow() {}
void CNUVApp::OnDIOWindow() {}
void CNUVApp::OnDeviceInfo() {}
void CNUVApp::OnOpenDataFile() {}
CAIHistDoc* CNUVApp::OpenDocumentFile(const QString&) { return nullptr; }
void CNUVApp::AddToRecentFileList(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > 16)
        m_recentFiles.removeLast();
}

} // namespace nuv
