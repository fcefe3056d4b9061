// What playback may show of a data file: the header's counts checked against each other
// and against the file's real length, the byte offset of a window, its length, and the
// split of interleaved records into per-channel slots. Pure arithmetic, no file access.
#pragma once

#include "datafile/fileheader.h"

#include <cstddef>
#include <cstdint>

namespace nuv {

// Readings a history window can address: the scroll range must stay within a signed
// 32-bit size after the 720-pixel margin of the table is added.
constexpr int32_t kMaxHistScans = 2147482391;
// Scans the window buffer holds per channel.
constexpr uint32_t kHistWindowScans = 131072;
// Rows the playback table shows at most; the window always holds at least these.
constexpr uint32_t kHistTableRows = 128;
// Window length used when no waveform view tells one.
constexpr uint32_t kHistDefaultWindow = 1024;

// Why a file that passed the identification check still shows no readings.
enum class HistProblem {
    None,
    NoChannels,        // readings recorded but no channel enabled
    BadChannelRun,     // FirstChannel + ChannelCount beyond channel 7
    CodesMismatch,     // codes per record neither 0 nor the parameter block's channel count
};

struct HistLayout {
    bool HeaderComplete = false;   // at least 1312 header bytes present
    bool ProductOk = false;        // word at byte 188 is 0x4170
    FileHeaderInfo Info;           // as the header says
    AIParam Param{};               // the block in force: the header's, or no channel when impossible
    HistProblem Problem = HistProblem::None;
    uint32_t ChannelCount = 0;     // codes per record used to split records (0..8)
    int Enabled[8]{};              // enabled channel numbers, ascending
    int EnabledCount = 0;
    uint64_t CompleteRecords = 0;  // whole records present in the file
    int32_t ScanCount = 0;         // readings shown: the complete records, capped by the limit
    bool Truncated = false;        // the header promises more readings than the file holds
};

// Checks a header (`headerBytes` of it available) for a file of `fileBytes` bytes.
HistLayout ComputeHistLayout(const uint8_t* header, size_t headerBytes, uint64_t fileBytes);

// Byte offset of scan `position` for records of `channelCount` codes.
inline uint64_t HistWindowOffset(uint32_t channelCount, int64_t position)
{
    return uint64_t(kHeaderSize) + 2ull * channelCount * uint64_t(position < 0 ? 0 : position);
}

// Scans to load at `position`: the view's request (at least a table's worth), never past
// `maxPosition` nor beyond the buffer.
uint32_t HistLoadLength(int64_t requested, int64_t position, int64_t maxPosition);

// Window length without a waveform view: min(131072, max - position, 1024).
uint32_t HistDefaultWindowLength(int64_t position, int64_t maxPosition);

// What the waveform view beside the table tells playback about its plot: the width in
// readings, and the readings one screen shows away from the end of the file. A width
// below 0: no waveform view shows the recording.
struct HistScreen {
    int32_t Width = -1;
    int32_t Scans = 0;
};

// Window length at `position`: what the screen shows from there, cut at `maxPosition`
// (the default length without a waveform), never beyond the buffer.
uint32_t HistWindowLength(const HistScreen& screen, int64_t position, int64_t maxPosition);

// First reading of the last screenful: the last reading on the waveform's rightmost
// column, or, without a waveform, on the table's last row.
int32_t HistEndPosition(const HistScreen& screen, int32_t maxPosition);

// Splits `bytes` little-endian interleaved records of `channelCount` codes into
// window[k][r]; at most `scans` records. Returns the complete records split.
uint32_t HistDeinterleave(const uint8_t* bytes, size_t byteCount, uint32_t channelCount, uint32_t scans,
                          uint16_t (*window)[kHistWindowScans]);

} // namespace nuv
