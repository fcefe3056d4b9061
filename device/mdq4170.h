/*
 * MDQ4170 device library: the C interface of the module's driver library.
 *
 * Every access to the module, its parameter storage and the data files goes through
 * these functions. Operations return nonzero on success and 0 on failure; handle
 * creators return MDQ4170_INVALID_HANDLE (-1) on failure. After a failed call the
 * calling thread's last error (MDQ4170_GetLastError) tells why; a read that timed
 * out leaves MDQ4170_WAIT_TIMEOUT (258).
 */
#ifndef MDQ4170_H
#define MDQ4170_H

#include <stdint.h>

#if defined(_WIN32)
#define MDQ4170_API __declspec(dllexport)
#else
#define MDQ4170_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t MDQ4170_HANDLE;     /* module handle, 32-bit */
typedef int32_t MDQ4170_FILE;       /* data-file handle, 32-bit */

#define MDQ4170_INVALID_HANDLE ((MDQ4170_HANDLE)-1)
#define MDQ4170_WAIT_TIMEOUT 258u

/* Last-error codes besides MDQ4170_WAIT_TIMEOUT. */
#define MDQ4170_ERROR_SUCCESS 0u
#define MDQ4170_ERROR_INVALID_HANDLE 6u
#define MDQ4170_ERROR_INVALID_PARAMETER 87u
#define MDQ4170_ERROR_DEVICE_NOT_CONNECTED 1167u
#define MDQ4170_ERROR_NOT_READY 21u
#define MDQ4170_ERROR_READ_FAULT 30u
#define MDQ4170_ERROR_WRITE_FAULT 29u
#define MDQ4170_ERROR_DISK_FULL 112u
#define MDQ4170_ERROR_FILE_NOT_FOUND 2u
#define MDQ4170_ERROR_ACCESS_DENIED 5u

#define MDQ4170_FILE_MODE_WRITE 2   /* create or truncate, for writing */
#define MDQ4170_FILE_MODE_READ 3    /* open an existing file for reading */

/* The AI parameter record: 48 bytes, twelve 32-bit words. */
typedef struct MDQ4170_AIParam {
    uint32_t FirstChannel;  /* lowest enabled channel (0xFFFFFFFF: none) */
    uint32_t ChannelCount;  /* number of enabled channels */
    uint32_t Range[8];      /* range code of channel 0..7 */
    int32_t Reserved0;      /* owned by the library */
    int32_t Reserved1;      /* owned by the library */
} AIParam;

/* Range information of one range code: 64 bytes. */
typedef struct MDQ4170_RangeInfo {
    uint32_t RangeCode;     /* word 0: the range code the record describes */
    uint32_t Unit;          /* word 1: library's unit id (0 mV, 1 V, 2 mA, 3 degC) */
    double RangeMax;        /* upper end in the range's unit */
    double RangeMin;        /* lower end: value of raw code 0 */
    double RangeSpan;       /* RangeMax - RangeMin */
    double CodeStep;        /* units per raw code step */
    uint32_t Extra[6];      /* library's own words */
} RangeInfo;

/* What one channel contributes to a read: 28 bytes. */
typedef struct MDQ4170_ChannelReading {
    uint32_t Status;        /* library's own word */
    uint32_t BreakState;    /* thermocouple break: 0 normal, otherwise broken */
    uint32_t ReadingRange;  /* range code the channel was read in */
    uint16_t Code;          /* raw code */
    uint16_t Pad;
    float Value;            /* engineering value computed by the library */
    uint32_t Extra[2];
} ChannelReading;

/* One scan: eight readings, index = channel. 224 bytes. */
typedef struct MDQ4170_ScanBlock {
    ChannelReading Channel[8];
} ScanBlock;

/* ---- device ---- */
MDQ4170_API uint32_t MDQ4170_DEV_GetCount(void);
MDQ4170_API MDQ4170_HANDLE MDQ4170_DEV_Create(uint32_t index, uint32_t reserved);
MDQ4170_API int32_t MDQ4170_DEV_Release(MDQ4170_HANDLE h);
MDQ4170_API int32_t MDQ4170_DEV_GetSpeed(MDQ4170_HANDLE h, uint32_t* speed);
MDQ4170_API int32_t MDQ4170_DEV_GetPhysIdx(MDQ4170_HANDLE h, uint32_t* physIdx);
MDQ4170_API int32_t MDQ4170_DEV_GetVersion(MDQ4170_HANDLE h, uint32_t* libVersion,
                                           uint32_t* drvVersion, uint32_t* fwVersion);
MDQ4170_API int32_t MDQ4170_DEV_GetSerialNum(MDQ4170_HANDLE h, uint32_t* serial);
MDQ4170_API int32_t MDQ4170_DEV_GetUserPID(MDQ4170_HANDLE h, char pid[16]);

/* ---- analog input ---- */
MDQ4170_API int32_t MDQ4170_AI_LoadParam(MDQ4170_HANDLE h, AIParam* param);
MDQ4170_API int32_t MDQ4170_AI_SaveParam(MDQ4170_HANDLE h, const AIParam* param);
MDQ4170_API int32_t MDQ4170_AI_VerifyParam(MDQ4170_HANDLE h, AIParam* param);
MDQ4170_API int32_t MDQ4170_AI_InitTask(MDQ4170_HANDLE h, const AIParam* param, void* reserved);
MDQ4170_API int32_t MDQ4170_AI_ReadData(MDQ4170_HANDLE h, ScanBlock* scan);
MDQ4170_API int32_t MDQ4170_AI_ReadCJCTemp(MDQ4170_HANDLE h, uint32_t* raw, double* celsius);
MDQ4170_API int32_t MDQ4170_AI_ReleaseTask(MDQ4170_HANDLE h);
MDQ4170_API int32_t MDQ4170_AI_GetRangeInfo(MDQ4170_HANDLE h, uint32_t rangeCode, RangeInfo* info);
MDQ4170_API int32_t MDQ4170_AI_Cal_Restore(MDQ4170_HANDLE h, uint32_t channel, uint32_t rangeCode);
MDQ4170_API int32_t MDQ4170_AI_Cal_Zero(MDQ4170_HANDLE h);
MDQ4170_API int32_t MDQ4170_AI_Cal_Full(MDQ4170_HANDLE h, float appliedValue);
MDQ4170_API int32_t MDQ4170_AI_SetCJC(MDQ4170_HANDLE h, float celsius);

/* ---- digital I/O (port 0: inputs, port 1: outputs) ---- */
MDQ4170_API int32_t MDQ4170_DIO_ReadLines(MDQ4170_HANDLE h, uint32_t port, uint32_t states[8]);
MDQ4170_API int32_t MDQ4170_DIO_ReadLine(MDQ4170_HANDLE h, uint32_t port, uint32_t line, uint32_t* state);
MDQ4170_API int32_t MDQ4170_DIO_WriteLine(MDQ4170_HANDLE h, uint32_t port, uint32_t line, uint32_t state);

/* ---- data files ---- */
MDQ4170_API MDQ4170_FILE MDQ4170_FILE_Create(const char* path, int32_t mode);
MDQ4170_API uint32_t MDQ4170_FILE_Write(MDQ4170_FILE f, const void* buffer, uint32_t bytes);
MDQ4170_API uint32_t MDQ4170_FILE_Read(MDQ4170_FILE f, void* buffer, uint32_t bytes);
MDQ4170_API int32_t MDQ4170_FILE_SetOffset(MDQ4170_FILE f, uint32_t offsetLow, uint32_t offsetHigh,
                                          uint32_t origin);
MDQ4170_API int32_t MDQ4170_FILE_Release(MDQ4170_FILE f);
MDQ4170_API uint64_t MDQ4170_FILE_GetDiskFreeBytes(const char* path);

/* The calling thread's last error, set by every failing call. */
MDQ4170_API uint32_t MDQ4170_GetLastError(void);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#include <cstddef>
static_assert(sizeof(AIParam) == 48, "AIParam is 48 bytes");
static_assert(offsetof(AIParam, Range) == 8 && offsetof(AIParam, Reserved0) == 40 &&
              offsetof(AIParam, Reserved1) == 44, "AIParam layout");
static_assert(sizeof(RangeInfo) == 64, "RangeInfo is 64 bytes");
static_assert(offsetof(RangeInfo, RangeMax) == 8 && offsetof(RangeInfo, RangeMin) == 16 &&
              offsetof(RangeInfo, RangeSpan) == 24 && offsetof(RangeInfo, CodeStep) == 32 &&
              offsetof(RangeInfo, Extra) == 40, "RangeInfo layout");
static_assert(sizeof(ChannelReading) == 28, "ChannelReading is 28 bytes");
static_assert(offsetof(ChannelReading, BreakState) == 4 && offsetof(ChannelReading, ReadingRange) == 8 &&
              offsetof(ChannelReading, Code) == 12 && offsetof(ChannelReading, Value) == 16,
              "ChannelReading layout");
static_assert(sizeof(ScanBlock) == 224, "ScanBlock is 224 bytes");
#else
_Static_assert(sizeof(AIParam) == 48, "AIParam is 48 bytes");
_Static_assert(sizeof(RangeInfo) == 64, "RangeInfo is 64 bytes");
_Static_assert(sizeof(ChannelReading) == 28, "ChannelReading is 28 bytes");
_Static_assert(sizeof(ScanBlock) == 224, "ScanBlock is 224 bytes");
#endif

#endif /* MDQ4170_H */
