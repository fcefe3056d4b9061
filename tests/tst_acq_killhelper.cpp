// Helper of tst_acq_kill: records channels 0-3 of the simulated module into argv[1] with
// a read interval of argv[2] ms until it is killed.
#include "acquisition/aidoc.h"
#include "app/nuvapp.h"
#include "device/mdq4170.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    nuv::theApp.m_hDevice = MDQ4170_DEV_Create(0, 0);
    auto* doc = new nuv::CAIDoc;
    MDQ4170_AI_LoadParam(nuv::theApp.m_hDevice, &doc->m_Param);
    doc->m_Param.FirstChannel = 0;
    doc->m_Param.ChannelCount = 4;
    doc->m_fReadInterval = float(std::atof(argv[2]));
    doc->m_strDataFile = QString::fromLocal8Bit(argv[1]);
    doc->m_bSaveFile = 1;
    doc->OnStartAcquisition();
    std::printf("%s\n", doc->m_bRunning.load() ? "recording" : "refused");
    std::fflush(stdout);
    return app.exec();
}
