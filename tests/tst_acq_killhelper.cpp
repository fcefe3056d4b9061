// Helper of tst_acq_kill: records channels 0-3 of the simulated module into argv[1] with
// a read interval of argv[2] ms until it is killed. Channels 0 and 1 (range +-1 V) carry
// the fixed inputs kKillInput; channels 2 and 3 run free.
#include "acquisition/aidoc.h"
#include "device/mdq4170.h"
#include "device/mdq4170_sim.h"
#include "tst_acq_kill.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    auto* doc = new nuv::CAIDoc;
    doc->m_hDevice = MDQ4170_DEV_Create(0, 0);
    doc->m_Param = nuv::DefaultAIParam();
    doc->m_Param.FirstChannel = 0;
    doc->m_Param.ChannelCount = 4;
    for (uint32_t c = 0; c < 4; ++c)
        doc->m_Param.Range[c] = kKillRange;
    MDQ4170SIM_SetChannelInput(0, 0, kKillInput[0]);
    MDQ4170SIM_SetChannelInput(0, 1, kKillInput[1]);
    doc->m_fReadInterval = float(std::atof(argv[2]));
    doc->m_strDataFile = QString::fromLocal8Bit(argv[1]);
    doc->m_bSaveFile = 1;
    doc->OnStartAcquisition();
    std::printf("%s\n", doc->m_bRunning.load() ? "recording" : "refused");
    std::fflush(stdout);
    return app.exec();
}
