// Payloads of the messages the acquisition worker posts. Each carries a copy of what it
// announces, so the receiver sees one consistent reading however late it handles it.
#pragma once

#include "mdq4170.h"

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

static_assert(sizeof(DigitRowNotice) <= 256 && sizeof(CJCNotice) <= 256, "payloads fit a posted message");

} // namespace nuv
