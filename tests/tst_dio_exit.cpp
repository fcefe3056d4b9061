// The program ends while the automatic DI reader runs: the reader is stopped and joined on
// the way out, whether or not the panel is destroyed before the application object.
#include "dio/diodoc.h"
#include "dio/diovw.h"
#include "device/mdq4170_sim.h"
#include "app/nuvapp.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

using namespace nuv;

int main(int argc, char** argv)
{
    MDQ4170SIM_Reset();
    MDQ4170SIM_SetModuleCount(1);
    theApp.m_hDevice = MDQ4170_DEV_Create(0, 0);
    if (theApp.m_hDevice == MDQ4170_INVALID_HANDLE)
        return 2;

    int rc = 0;
    {
        QApplication app(argc, argv);
        auto* kept = new CDIOVw;         // destroyed after the event loop
        auto* leaked = new CDIOVw;       // never destroyed, as a window left to exit
        CDIODoc doc;
        doc.m_hDevice = theApp.m_hDevice;
        for (CDIOVw* vw : {kept, leaked}) {
            vw->SetDocument(&doc);
            vw->OnInitialUpdate();
            vw->findChild<QLineEdit*>(QStringLiteral("1324"))->setText(QStringLiteral("0"));
            vw->findChild<QCheckBox*>(QStringLiteral("1085"))->click();
            vw->show();
        }
        QTimer::singleShot(300, &app, [&] {
            if (!kept->IsReading() || !leaked->IsReading()) {
                std::fprintf(stderr, "reader did not run\n");
                rc = 1;
            }
            QCoreApplication::quit();
        });
        app.exec();
        if (kept->IsReading() || leaked->IsReading()) {
            std::fprintf(stderr, "reader still running after the event loop\n");
            rc = 1;
        }
        delete kept;
    }
    MDQ4170_DEV_Release(theApp.m_hDevice);
    return rc;
}
