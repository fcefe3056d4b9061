// A recording as comma- or tab-separated text: one row per reading with its index, its
// local time and the value of every enabled channel. Records are read through the device
// library's file calls block by block, so memory stays the same whatever the file's
// length, and codes are decoded exactly as playback decodes them.
#pragma once

#include "acquisition/aitypes.h"
#include "datafile/histlayout.h"

#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

class QIODevice;

namespace nuv {

enum class CsvStatus {
    Ok,
    OpenFailed,    // the library could not open the recording
    ShortHeader,   // fewer than the 1312 header bytes (an empty file, a cut header)
    Foreign,       // the identification at byte 188 is not 0x4170
    NoChannels,    // the header's channel configuration cannot be matched to the records
    BadRange,      // the readings asked for are not in the file
    ReadFailed,    // the library failed to read records the file holds
    WriteFailed,   // the text could not be written; Detail holds the system's reason
    Cancelled,
};

struct CsvResult {
    CsvStatus Status = CsvStatus::Ok;
    QString Detail;     // the system's or the library's reason, or the numbers at fault
    uint64_t Rows = 0;  // readings written
    uint64_t Bytes = 0; // bytes written, heading row included
    bool Ok() const { return Status == CsvStatus::Ok; }
};

// What a recording holds, as playback sees it.
struct RecordingInfo {
    HistLayout Layout;
    uint64_t FileBytes = 0;
    uint64_t Readings = 0;   // complete records: a torn last record is left out
};

struct CsvOptions {
    int64_t First = 0;            // first reading written (readings count from 0)
    int64_t Last = -1;            // last reading written; -1 or beyond the end: the file's last
    bool RawCodes = false;        // a code column after every value column
    char Separator = ',';         // ',' or '\t'; the decimal point is always '.'
    double IntervalMs = 1000.0;   // read interval of the run (the file does not record it)
};

// Called after every block of readings with the readings written so far and the total;
// the cancel flag is read as often.
using CsvProgress = std::function<void(uint64_t done, uint64_t total)>;

// Opens and checks `path` as playback does, without reading its records.
CsvResult InspectRecording(const QString& path, RecordingInfo& out);

// Writes the text to `out` (stdout, a pipe). On failure what was written stays written.
CsvResult ExportCsv(const QString& source, QIODevice& out, const CsvOptions& options,
                    const std::atomic<bool>* cancel = nullptr, const CsvProgress& progress = {});

// Writes the text to the file `target`: it takes the target's place only when complete, so
// a failed or cancelled export leaves no partial file (and an older `target` as it was). A
// target that is not a regular file (a device such as /dev/null) is written in place.
CsvResult ExportCsvFile(const QString& source, const QString& target, const CsvOptions& options,
                        const std::atomic<bool>* cancel = nullptr, const CsvProgress& progress = {});

// Time between two readings of a run: the read interval, but never less than the module
// needs to read the enabled channels (10 samples per second shared by them).
double ReadingPeriodMs(double intervalMs, uint32_t channels);

// A broken thermocouple reads up-scale: code 65535 in a thermocouple range.
inline bool IsBreakCode(uint32_t rangeCode, uint16_t code) { return IsThermocouple(rangeCode) && code == 0xFFFFu; }

// The gain playback applies to a channel's codes: its CodeStep rounded to single precision.
inline double PlaybackGain(const RangeInfo& ri) { return double(float(ri.CodeStep)); }

// Local time of a header's start time; invalid when the task never started.
QDateTime StartDateTime(const StartTime& s);

// Heading of a channel's value column, e.g. "AI2 (V)".
QString CsvValueHeading(int channel, uint32_t rangeCode);

// The operator's message for a failed export (empty for success).
QString CsvStatusText(const CsvResult& r);

} // namespace nuv
