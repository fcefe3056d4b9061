// Painting of the waveform views, checked on rendered images.
#include "tst_curve_rig.h"

#include <QDir>

using namespace curvetest;
using namespace nuv;

namespace {

void Save(const QImage& img, const char* name)
{
    const QByteArray dir = qgetenv("NUV_CURVE_PNG_DIR");
    if (!dir.isEmpty())
        img.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
}

} // namespace

class TstCurvePaint : public QObject {
    Q_OBJECT
private slots:
    void snapshots();
};

void TstCurvePaint::snapshots()
{
    {
        LiveRig rig(860, 630, 0, 6);
        Save(rig.Image(), "live.png");
        rig.doc->m_nScrollPos = 37;
        rig.view->ScrollToPosition(37, true);
        Save(rig.Image(), "live37.png");
    }
    {
        HistRig rig(3, 1000, 500);
        Save(rig.Image(), "hist.png");
    }
}

QTEST_MAIN(TstCurvePaint)
#include "tst_curve_paint.moc"
