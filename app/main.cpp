// nuv: start-up, the event loop, exit.
#include "framework/guimsgbox.h"
#include "app/handover.h"
#include "app/mainfrm.h"
#include "app/nuvapp.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NUV"));
    QApplication::setOrganizationName(QStringLiteral("NUV"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QApplication::setQuitOnLastWindowClosed(true);
    nuv::InstallGuiMessageHandler();
    nuv::InstallQtTranslations(QLocale::system());

    // The desktop hands files over as "--open <files>"; plain arguments open nothing. A
    // running instance takes them over, so they do not wait for a second device selection.
    const QStringList handed = nuv::HandedOverFiles(QApplication::arguments().mid(1));
    if (!handed.isEmpty() && nuv::HandoverReceiverRunning() && nuv::SubmitHandover(handed))
        return 0;

    if (!nuv::theApp.InitInstance()) {
        nuv::theApp.ExitInstance();
        return 0;
    }
    nuv::CHandoverReceiver receiver([](const QStringList& files) {
        for (const QString& f : files)
            nuv::theApp.OpenDocumentFile(f);
    });
    // A receiver that cannot start says why on stderr; this instance then opens only the
    // files it was started with.
    receiver.Start();
    nuv::theApp.OpenHandedOverFiles(QApplication::arguments().mid(1));
    const int rc = app.exec();
    nuv::theApp.ExitInstance();
    return rc;
}
