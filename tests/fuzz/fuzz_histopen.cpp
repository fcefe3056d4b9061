// Opening arbitrary bytes as a data file in a history document with its digit view, then
// moving through it and painting: no crash, no read or write outside the buffers.
// The input goes to a temporary file; its first byte also picks the positions visited.
#include "framework/msgseam.h"
#include "datafile/aihistdoc.h"
#include "views/aidigitvw.h"

#include <QApplication>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

using namespace nuv;

namespace {
QApplication* App()
{
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz_histopen";
        static char* argv[] = {name, nullptr};
        auto* a = new QApplication(argc, argv);
        SetMessageHandler([](const MsgRequest&) { return int(IDOK); });
        return a;
    }();
    return app;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    App();
    char path[] = "/tmp/fuzz_histopen_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return 0;
    const bool written = size == 0 || write(fd, data, size) == ssize_t(size);
    close(fd);
    if (written) {
        auto doc = std::make_unique<CAIHistDoc>();
        CAIDigitVw view;
        view.resize(400, 300);
        view.SetDocument(doc.get());
        view.OnInitialUpdate();
        if (doc->OpenFile(QString::fromLocal8Bit(path))) {
            QImage image(QSize(400, 300), QImage::Format_RGB32);
            const int pick = size > 0 ? data[0] : 0;
            const int64_t m = doc->m_nMaxPosition;
            for (int64_t pos : {int64_t(0), m / 2, m - pick, m, m + 5}) {
                doc->MoveTo(pos);
                view.RenderTo(image);
            }
            doc->m_nDigitMode = pick % 3;
            view.OnVScroll(CAIDigitVw::VScroll::PageUp);
            view.RenderTo(image);
            uint16_t codes[8 * 64];
            doc->ReadScans(pick, 64, codes);
            doc->OnCloseDocument();
        }
        view.SetDocument(nullptr);
    }
    unlink(path);
    return 0;
}
