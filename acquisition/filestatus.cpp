#include "acquisition/filestatus.h"

#include <QDateTime>
#include <limits>

namespace nuv {

double StoredMegabytes(uint64_t readings, uint32_t channels)
{
    return double(readings) * double(channels) * 2.0 / 1048576.0;
}

QString StoredSizeText(double storedMB) { return QString::asprintf("%.3f MB", storedMB); }

QString FreeSpaceText(int32_t freeMBAtCreation, double storedMB)
{
    const double r = double(freeMBAtCreation) - storedMB;
    if (r > 100.0)
        return QString::asprintf("%.0f MB", r);
    return QStringLiteral("磁盘空间小于100MB，请停止存盘");
}

int32_t FreeMegabytes(uint64_t bytes)
{
    const uint64_t mb = bytes >> 20;
    return mb > uint64_t(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max() : int32_t(mb);
}

QString DefaultDataFileName(const QDateTime& when)
{
    return when.toString(QStringLiteral("'AI_'yyyyMMdd_hhmmss'.bin'"));
}

} // namespace nuv
