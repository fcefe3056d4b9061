// Channel statistics of the readings on show: maximum, middle value (max + min) / 2,
// minimum, amplitude (max − min) and average, in the channel's unit.
//
// Everything is gathered on the raw codes (whole-number sums, exact at any length) and
// turned into values with the channel's decoding only when shown, so the numbers are the
// ones the digit views print for the same readings. A broken thermocouple's reading (code
// 65535 in a thermocouple range) is left out of the figures and counted instead.
#pragma once

#include "datafile/histlayout.h"
#include "device/mdq4170.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

namespace nuv::measure {

// How one channel's codes become values: value = offset + code × gain.
struct ChannelDecode {
    int channel = 0;          // device channel number, named in the row ("AI2")
    uint32_t rangeCode = 0;   // unit and break rule
    double offset = 0.0;      // RangeMin
    double gain = 0.0;        // CodeStep as the window decodes it
};

// The decodings of a recording's enabled channels, in slot order, as playback decodes
// them. Returns the number of channels (0..8).
int RecordingDecodes(const HistLayout& layout, ChannelDecode out[8]);

// Codes of one channel, summarised.
struct CodeSummary {
    uint64_t count = 0;    // readings summarised (break readings left out)
    uint64_t broken = 0;   // break readings left out
    uint64_t sum = 0;      // of the summarised codes
    uint16_t min = 0xFFFF;
    uint16_t max = 0;

    void Add(uint16_t code, bool breakable)
    {
        if (breakable && code == 0xFFFFu) {
            ++broken;
            return;
        }
        ++count;
        sum += code;
        min = code < min ? code : min;
        max = code > max ? code : max;
    }
    void Merge(const CodeSummary& o);
};

// Whether a channel of this range reports a break by code 65535 (thermocouple ranges).
bool Breakable(uint32_t rangeCode);

// The five figures of a channel in its unit.
struct ChannelStats {
    bool valid = false;    // at least one reading summarised
    double max = 0.0, mid = 0.0, min = 0.0, amplitude = 0.0, mean = 0.0;
    uint64_t count = 0;
    uint64_t broken = 0;
};
ChannelStats StatsOf(const CodeSummary& s, const ChannelDecode& d);

// A statistics row as the list shows it: "AI2", the five values with the unit (printed
// with `decimals` places, empty without a reading) and the tooltip that counts the
// readings and the break readings left out.
struct StatsRowText {
    QString channel;
    QString cells[5];
    QString tip;
};
StatsRowText StatsRow(const ChannelStats& st, const ChannelDecode& d, int decimals);

// Summary of `count` codes of one channel laid out one after another.
CodeSummary SummariseCodes(const uint16_t* codes, int64_t count, uint32_t rangeCode);

// Adds `records` little-endian records of `channels` codes each (as a data file holds
// them) to out[0..channels-1]. `rangeCodes` gives each slot's range.
void SummariseRecords(const uint8_t* bytes, uint64_t records, int channels, const uint32_t* rangeCodes,
                      CodeSummary* out);

// Statistics over a sliding window of the latest readings (at most kCapacity), updated
// reading by reading in constant amortised time: a running sum and, per channel, two
// monotonic queues over a ring of the window's codes give the maximum and minimum without
// a rescan. The storage is part of the object: no update allocates.
class SweepStats {
public:
    static constexpr int kCapacity = 2048;

    SweepStats() = default;
    // Channels summarised (0..8), each slot's range code (break rule) and how many
    // readings the window keeps (1..kCapacity). Empties the window.
    void Configure(int channels, const uint32_t* rangeCodes, int window);
    // Empties the window (a new sweep, a new run).
    void Reset();
    // One reading: the codes of slots 0..channels-1. The oldest reading leaves a full window.
    void Push(const uint16_t* codes);

    int Channels() const { return m_nChannels; }
    int Window() const { return m_nWindow; }
    int Size() const { return m_nSize; }
    uint32_t RangeCode(int slot) const { return m_Range[slot]; }
    CodeSummary Summary(int slot) const;

private:
    static constexpr uint32_t kMask = kCapacity - 1;
    struct Queue {   // sequence numbers of the window, codes monotonic from front to back
        uint32_t seq[kCapacity];
        uint32_t head = 0, tail = 0;   // front at head, next free at tail (both wrap)
    };

    uint16_t Code(uint32_t seq, int slot) const { return m_Ring[seq & kMask][slot]; }

    int m_nChannels = 0;
    int m_nWindow = 800;
    int m_nSize = 0;
    uint32_t m_nNext = 0;          // sequence number of the next reading
    uint32_t m_Range[8]{};
    bool m_bBreakable[8]{};
    uint64_t m_Sum[8]{};
    uint32_t m_Count[8]{};
    uint32_t m_Broken[8]{};
    uint16_t m_Ring[kCapacity][8]{};
    Queue m_Max[8];
    Queue m_Min[8];
};

// ---- the whole recording ----

enum class FileStatsStatus {
    Ok,
    OpenFailed,    // the library could not open the recording
    ShortHeader,   // fewer than the 1312 header bytes
    Foreign,       // the identification at byte 188 is not 0x4170
    NoChannels,    // the header's channel configuration cannot be matched to the records
    ReadFailed,    // the library failed to read records the file holds
    Cancelled,
};

struct FileStats {
    FileStatsStatus Status = FileStatsStatus::Ok;
    QString Detail;                 // the library's reason, or the numbers at fault
    uint64_t Readings = 0;          // complete records in the file (a torn last one is left out)
    uint64_t Done = 0;              // records summarised
    int Channels = 0;
    ChannelDecode Decode[8];
    CodeSummary Summary[8];
    bool Ok() const { return Status == FileStatsStatus::Ok; }
};

// Called after every block with the records summarised so far and the total; the cancel
// flag is read as often.
using StatsProgress = std::function<void(uint64_t done, uint64_t total)>;

// Statistics of every complete record of `path`, read through the device library's file
// calls in blocks of about `blockBytes`, one streaming pass in constant memory. Safe to run
// on a worker thread: it opens its own handle.
FileStats ComputeFileStats(const QString& path, const std::atomic<bool>* cancel = nullptr,
                           const StatsProgress& progress = {}, uint32_t blockBytes = 4u << 20);

// The operator's message for a pass that did not finish (empty for success).
QString FileStatsMessage(const FileStats& s);

} // namespace nuv::measure
