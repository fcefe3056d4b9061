// Payloads of the messages the acquisition worker posts. Each carries a copy of what it
// announces, so the receiver sees one consistent reading however late it handles it.
#pragma once

#include "device/mdq4170.h"

#include <cstdint>

namespace nuv {

// WM_USER+100 to the live digit view: the reading count after this reading and the
// reading itself (the document's m_ScanCopy of that cycle).
struct DigitRowNotice {
    uint64_t SampleCount;
    ScanBlock Scan;
};

// WM_USER+101 to the parameter panel: the cold-junction temperature just read and the
// break state of every channel in the scan of that cycle.
struct CJCNotice {
    double Celsius;
    uint32_t ReadingRange[8];
    uint32_t BreakState[8];
};

// The worker's last message, to the document itself: which run ended, how, and the record
// it ran with (the device library's check may have corrected the one handed over).
struct RunEndNotice {
    uint64_t RunId;
    AIParam Given;
    AIParam Run;
    int32_t Corrected;
    int32_t Fault;   // ended by a failure, not by Stop
};

static_assert(sizeof(DigitRowNotice) <= 256 && sizeof(CJCNotice) <= 256 && sizeof(RunEndNotice) <= 256,
              "payloads fit a posted message");

} // namespace nuv
