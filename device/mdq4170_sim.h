/*
 * Control interface of the simulated MDQ4170 modules (the substitute device library).
 *
 * Not part of the module's interface: tests and demonstrations use it to set up modules
 * and to inject the faults the program must survive. Every setting can also be made at
 * start-up through environment variables (see device/README.md); MDQ4170SIM_Reset()
 * re-reads them.
 */
#ifndef MDQ4170_SIM_H
#define MDQ4170_SIM_H

#include "device/mdq4170.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Forget all runtime state (handles, tasks, faults, DIO latches, open files) and re-read
 * the environment. Stored parameter records and calibration stay on disk. */
MDQ4170_API void MDQ4170SIM_Reset(void);

/* Number of attached modules (MDQ4170_SIM_MODULES, default 1). */
MDQ4170_API void MDQ4170SIM_SetModuleCount(uint32_t count);
/* Factor on all simulated durations (MDQ4170_SIM_TIMESCALE, default 1.0). */
MDQ4170_API void MDQ4170SIM_SetTimeScale(double scale);

/* Module index unplugged: every call on it fails from then on (1) or works again (0).
 * Either switches off a pending MDQ4170SIM_UnplugAfter. */
MDQ4170_API void MDQ4170SIM_SetUnplugged(uint32_t index, int unplugged);
/* The module is unplugged right after `reads` more successful MDQ4170_AI_ReadData calls
 * (0: at once), as MDQ4170SIM_SetUnplugged(index, 1) would do. reads < 0 switches it off. */
MDQ4170_API void MDQ4170SIM_UnplugAfter(uint32_t index, int64_t reads);
/* After `reads` more successful reads, MDQ4170_AI_ReadData fails; timeout != 0 makes it a
 * time-out (last error 258). reads < 0 switches the fault off. */
MDQ4170_API void MDQ4170SIM_FailReadAfter(uint32_t index, int64_t reads, int timeout);
/* MDQ4170_AI_ReadCJCTemp fails after `reads` more successful CJC reads (< 0: off). */
MDQ4170_API void MDQ4170SIM_FailCJCAfter(uint32_t index, int64_t reads, int timeout);
/* MDQ4170_AI_InitTask fails (1) or works (0). */
MDQ4170_API void MDQ4170SIM_FailInitTask(uint32_t index, int fail);
/* MDQ4170_AI_ReleaseTask fails (1) or works (0). */
MDQ4170_API void MDQ4170SIM_FailReleaseTask(uint32_t index, int fail);
/* Device-information queries: bit 0 speed, 1 physical id, 2 version, 3 serial, 4 user PID. */
MDQ4170_API void MDQ4170SIM_FailInfoQueries(uint32_t index, uint32_t mask);
/* DIO calls fail: bit 0 ReadLines port 0, bit 1 ReadLines port 1, bit 2 ReadLine, bit 3 WriteLine. */
MDQ4170_API void MDQ4170SIM_FailDIO(uint32_t index, uint32_t mask);
/* Channel that reads as a broken thermocouple in thermocouple ranges (-1: none; default 7). */
MDQ4170_API void MDQ4170SIM_SetBrokenChannel(uint32_t index, int32_t channel);
/* Replace the 16-byte user PID of a module. */
MDQ4170_API void MDQ4170SIM_SetUserPID(uint32_t index, const char pid[16]);
/* Fix what the terminals of `channel` carry instead of the generated signal, in the unit of
 * the range the channel is read in (mV, V, mA; thermocouple ranges: the hot-junction
 * temperature in degC). No noise is added. NaN returns to the generated signal. Readings
 * still pass through the converter error and the stored calibration. */
MDQ4170_API void MDQ4170SIM_SetChannelInput(uint32_t index, uint32_t channel, double value);

/* Every data file created from now on accepts only `bytes` bytes in all; later writes come
 * up short (disk full). bytes < 0: no limit. */
MDQ4170_API void MDQ4170SIM_SetFileWriteLimit(int64_t bytes);
/* MDQ4170_FILE_GetDiskFreeBytes answers `bytes` instead of asking the file system (< 0: ask). */
MDQ4170_API void MDQ4170SIM_SetFreeBytesOverride(int64_t bytes);

/* Module index a handle belongs to, or -1. */
MDQ4170_API int32_t MDQ4170SIM_HandleIndex(MDQ4170_HANDLE h);
/* Whether an AI task is initialised on the module (for checks that it was released). */
MDQ4170_API int32_t MDQ4170SIM_TaskActive(uint32_t index);
/* Calls of MDQ4170_AI_ReadData that succeeded on the module since Reset. */
MDQ4170_API int64_t MDQ4170SIM_ReadCount(uint32_t index);
/* Path of the library's log file and of the folder holding parameters/calibration. */
MDQ4170_API const char* MDQ4170SIM_LogPath(void);
MDQ4170_API const char* MDQ4170SIM_StorePath(void);

#ifdef __cplusplus
}
#endif

#endif /* MDQ4170_SIM_H */
