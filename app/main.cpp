// nuv: start-up, the event loop, exit.
#include "guimsgbox.h"
#include "mainfrm.h"
#include "nuvapp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NUV"));
    QApplication::setOrganizationName(QStringLiteral("NUV"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QApplication::setQuitOnLastWindowClosed(true);
    nuv::InstallGuiMessageHandler();

    if (!nuv::theApp.InitInstance()) {
        nuv::theApp.ExitInstance();
        return 0;
    }
    // The desktop hands files over as "--open <files>"; plain arguments open nothing.
    nuv::theApp.OpenHandedOverFiles(QApplication::arguments().mid(1));
    const int rc = app.exec();
    nuv::theApp.ExitInstance();
    return rc;
}
