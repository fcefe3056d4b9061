// What changed in the live document: the hint CAIDoc hands its views with UpdateAllViews.
// The document has changed its own state already; each view reads what it shows from it.
#pragma once

#include "acquisition/aitypes.h"

namespace nuv {

enum AIHint : int {
    kHintNone = 0,
    // The enabled run or a range changed, or a run starts: the digit view rebuilds its
    // columns and drops its rows.
    kHintColumns,
    // The sweep starts again at its origin: the waveform's scroll range (sweep + 150),
    // position 0, layout and redraw.
    kHintSweepReset,
    // A cleared sweep buffer is to be shown: the waveform repaints.
    kHintSweepCleared,
    // A run started or stopped: the parameter panel is locked while one runs.
    kHintRunState,
    // The number of channels shown changed: the statistics list has one row per channel.
    kHintRowCount,
    // The arrangement of the strips changed: the waveform lays out and redraws.
    kHintLayout,
    // The position went back to 0: the waveform follows.
    kHintScrollHome,
    // kHintRange + k: the range of channel k changed (CAIDoc::m_RangeInfo[k] holds it).
    kHintRange = 0x100,
};

constexpr int RangeHint(int channel) { return kHintRange + channel; }
// The channel of a range hint, or -1 for any other hint.
constexpr int RangeHintChannel(int hint)
{
    return hint >= kHintRange && hint < kHintRange + kChannels ? hint - kHintRange : -1;
}

} // namespace nuv
