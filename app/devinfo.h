// The device information report of command ID_DEVICE_INFO.
#pragma once

#include "device/mdq4170.h"

#include <QString>
#include <cstdint>

namespace nuv {

struct DeviceInfo {
    uint32_t speed = 0;
    uint32_t physId = 0;
    uint32_t libVersion = 0;
    uint32_t drvVersion = 0;
    uint32_t fwVersion = 0;
    uint32_t serial = 0;
    char pid[16] = {};
};

// The report text; the PID ends at its first zero byte or after 16 bytes.
QString FormatDeviceInfo(const DeviceInfo& info);

// Queries the module behind `h` in order (speed, physical id, versions, serial number,
// user PID) and shows the report, or the message of the first query that fails.
void ShowDeviceInfo(MDQ4170_HANDLE h);

} // namespace nuv
