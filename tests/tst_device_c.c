/* The device header compiled as C: record layouts seen from C and a few calls through it. */
#include "device/mdq4170.h"
#include "device/mdq4170_sim.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

#define CHECK(cond)                                                              \
    do {                                                                         \
        if (!(cond)) {                                                           \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                          \
        }                                                                        \
    } while (0)

int main(void)
{
    /* The same layouts the C++ side asserts: a C caller must agree with the library. */
    CHECK(sizeof(AIParam) == 48);
    CHECK(offsetof(AIParam, Range) == 8 && offsetof(AIParam, Reserved0) == 40 && offsetof(AIParam, Reserved1) == 44);
    CHECK(sizeof(RangeInfo) == 64);
    CHECK(offsetof(RangeInfo, RangeMax) == 8 && offsetof(RangeInfo, RangeMin) == 16);
    CHECK(offsetof(RangeInfo, RangeSpan) == 24 && offsetof(RangeInfo, CodeStep) == 32 && offsetof(RangeInfo, Extra) == 40);
    CHECK(sizeof(ChannelReading) == 28);
    CHECK(offsetof(ChannelReading, BreakState) == 4 && offsetof(ChannelReading, ReadingRange) == 8);
    CHECK(offsetof(ChannelReading, Code) == 12 && offsetof(ChannelReading, Value) == 16);
    CHECK(sizeof(ScanBlock) == 224);

    MDQ4170SIM_Reset();
    CHECK(MDQ4170_DEV_GetCount() == 1);
    MDQ4170_HANDLE h = MDQ4170_DEV_Create(0, 0);
    CHECK(h != MDQ4170_INVALID_HANDLE);

    uint32_t speed = 0;
    CHECK(MDQ4170_DEV_GetSpeed(h, &speed) && speed == 2);

    RangeInfo ri;
    CHECK(MDQ4170_AI_GetRangeInfo(h, 6, &ri));
    CHECK(ri.RangeCode == 6 && ri.RangeMin == -10.0 && ri.RangeMax == 10.0 && ri.CodeStep == 20.0 / 65536);

    AIParam p;
    memset(&p, 0, sizeof p);
    p.FirstChannel = 1;
    p.ChannelCount = 2;
    p.Range[1] = 6;
    p.Range[2] = 6;
    ScanBlock scan;
    CHECK(MDQ4170_AI_InitTask(h, &p, NULL));
    CHECK(MDQ4170_AI_ReadData(h, &scan));
    CHECK(scan.Channel[1].ReadingRange == 6);
    CHECK(scan.Channel[1].Value == (float)(ri.RangeMin + scan.Channel[1].Code * ri.CodeStep));
    CHECK(MDQ4170_AI_ReleaseTask(h));

    CHECK(MDQ4170_DEV_Release(h));
    CHECK(MDQ4170_DEV_GetSpeed(h, &speed) == 0);
    CHECK(MDQ4170_GetLastError() == MDQ4170_ERROR_INVALID_HANDLE);

    if (failures)
        fprintf(stderr, "%d check(s) failed\n", failures);
    else
        printf("all checks passed\n");
    return failures ? 1 : 0;
}
