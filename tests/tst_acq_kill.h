// What the killed recorder of tst_acq_kill records.
#pragma once

#include <cstdint>

constexpr uint32_t kKillRange = 3;                  // -1 ~ +1 V
constexpr double kKillInput[2] = {0.25, -0.625};    // volts on channels 0 and 1
