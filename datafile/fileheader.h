// The data file: a 1312-byte header followed by one record of raw codes per reading.
// All numbers little-endian, whatever the host.
#pragma once

#include "device/mdq4170.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace nuv {

constexpr uint32_t kHeaderSize = 1312;
constexpr uint32_t kHeadMark = 0x55AA55AAu;
constexpr uint32_t kTailMark = 0xAA55AA55u;
constexpr uint32_t kFormatVersion = 0x00060001u;
constexpr uint32_t kProductId = 0x4170u;
constexpr uint32_t kChannelBlockOffset = 296;
constexpr uint32_t kChannelBlockSize = 960;
constexpr uint32_t kDescriptorSize = 120;
constexpr uint32_t kParamBlockOffset = 1256;

// Byte offsets of the fields readers use.
namespace hdr {
constexpr size_t ProductId = 188;
constexpr size_t Versions = 196;
constexpr size_t StartTime = 208;
constexpr size_t ReadingCount = 256;
constexpr size_t ReadingCount2 = 264;
constexpr size_t CodesPerRecord = 272;
constexpr size_t RangeInfoOfChannel0 = kChannelBlockOffset + 40; // + 120 * c
} // namespace hdr

// Local time of the task start: year, month, day of week (0 = Sunday), day, hour,
// minute, second, millisecond. All zero if the task never started.
struct StartTime {
    uint16_t Year = 0, Month = 0, DayOfWeek = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
StartTime LocalStartTimeNow();

using HeaderBytes = std::array<uint8_t, kHeaderSize>;

// Builds the header of a run: versions and every channel's range information are asked
// of the device library through `device` (a failed version query gives zeros).
void BuildFileHeader(MDQ4170_HANDLE device, const AIParam& param, const StartTime& start,
                     uint32_t codesPerRecord, uint64_t readingCount, HeaderBytes& out);
// The parts of a header that change after it was built: the start time, the counts, and
// the versions and each channel's range information as the library gives them now (a
// query that fails leaves what `out` holds).
void PutHeaderStartTime(const StartTime& start, HeaderBytes& out);
void PutHeaderCounts(uint32_t codesPerRecord, uint64_t readingCount, HeaderBytes& out);
void PutHeaderDeviceInfo(MDQ4170_HANDLE device, const AIParam& param, HeaderBytes& out);

// What a reader takes from a header.
struct FileHeaderInfo {
    uint64_t ReadingCount = 0;
    uint32_t CodesPerRecord = 0;
    AIParam Param{};
    RangeInfo Range[8]{};   // from the channel descriptors
    StartTime Start;
};

// Accepts a header only when at least 1312 bytes are given and the word at byte 188 is
// 0x4170; the marks and the header size word are not checked.
bool ReadFileHeader(const uint8_t* data, size_t size, FileHeaderInfo& out);

// Offset of record j: 1312 + 2 * codesPerRecord * j.
inline uint64_t RecordOffset(uint32_t codesPerRecord, uint64_t j)
{
    return uint64_t(kHeaderSize) + 2ull * codesPerRecord * j;
}

// Little-endian access helpers.
void PutLE32(uint8_t* p, uint32_t v);
void PutLE64(uint8_t* p, uint64_t v);
void PutLE16(uint8_t* p, uint16_t v);
uint32_t GetLE32(const uint8_t* p);
uint64_t GetLE64(const uint8_t* p);
uint16_t GetLE16(const uint8_t* p);
void PutRangeInfo(uint8_t* p, const RangeInfo& ri);
RangeInfo GetRangeInfo(const uint8_t* p);
void PutAIParam(uint8_t* p, const AIParam& ap);
AIParam GetAIParam(const uint8_t* p);

} // namespace nuv
