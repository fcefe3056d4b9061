// Texts of the status information bar of a recording.
#pragma once

#include <QString>
#include <cstdint>

class QDateTime;

namespace nuv {

// Megabytes (2^20 bytes) of `readings` records of `channels` 16-bit codes.
double StoredMegabytes(uint64_t readings, uint32_t channels);
// "%.3f MB" of the stored size (field IDC_STATUS_STORED).
QString StoredSizeText(double storedMB);
// Remaining space r = free megabytes at creation - stored megabytes (field IDC_STATUS_FREESPACE):
// "%.0f MB" of r while r > 100, otherwise the warning to stop saving.
QString FreeSpaceText(int32_t freeMBAtCreation, double storedMB);
// Free megabytes from a byte count: truncated, at most INT32_MAX.
int32_t FreeMegabytes(uint64_t bytes);
// The name the save dialog offers for a new recording: "AI_yyyyMMdd_hhmmss.bin".
QString DefaultDataFileName(const QDateTime& when);

} // namespace nuv
