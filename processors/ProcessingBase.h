#pragma once
// What the three processors share beneath their effect chains: the stream format fixed
// at lock time, the enable flags, the eight planar channel buffers, the converter to and
// from the internal rate, and the period (split, forward conversion, chain, reverse
// conversion, write-back). A processor supplies its chain, its tables and its settings
// refresh.
#include <windows.h>
#include <propsys.h>

#include <atomic>
#include <cstdint>

#include "processors/ChannelBlock.h"
#include "processors/ProcessorTables.h"
#include "resample/SRCInternal.h"
#include "settings/IQXEffectComponent.h"

namespace qx {

// Where the processors differ in the parts of the period their contracts fix.
struct StreamRules {
    HRESULT unlockedStatus;          // answer to a period before any successful lock
    bool decideBeforeChecks;         // a period with nothing to do returns 1 before its arguments are checked
    bool clearBeforeSplit;           // zero the buffers before the input is split into them
    bool emptyPeriodIsIdle;          // a period of 0 frames returns 1 without running
    bool exactPeriodWhenConverting;  // while converting, a period holds exactly the lock-time frames
    bool converterSpansOutput;       // the converter is planned for max(in, out) channels rather than in
    bool roundUp441;                 // a working count of exactly 441 frames becomes 480
};

class ProcessingBase {
public:
    static constexpr uint32_t kMaxFlags = 16;
    // Far above any engine period, and low enough that no buffer or converter size overflows.
    static constexpr uint32_t kMaxFramesPerCall = 1u << 20;

protected:
    // One period as the chain sees it.
    struct Period {
        uint32_t flags[kMaxFlags];  // each enable flag as read at the start of the period
        uint32_t frames;            // frames per buffer (the internal count while converting)
        uint32_t channels;          // the channels the buffers hold now
        HRESULT status;             // status of the last effect call, 1 while none ran
        bool On(uint8_t flag) const { return flags[flag] != 0; }
    };

    explicit ProcessingBase(const StreamRules& rules);
    virtual ~ProcessingBase() = default;

    // Checks and stores the format, plans the converter and sizes the buffers. Bad
    // arguments change nothing (E_INVALIDARG); a failed allocation stores the format but
    // leaves the stream unlocked (E_OUTOFMEMORY).
    HRESULT LockStream(UINT32 rate, UINT32 inChannels, UINT32 outChannels, UINT32 maxFrames);
    // Reads the enable keys (keys[flag]) of the flags in `order` (flags 0 to count - 1
    // when null); a VT_UI4 value sets its flag to 0 or 1, anything else leaves it.
    // Returns the status of the last read (E_POINTER without any key).
    HRESULT ReadEnableFlags(IPropertyStore* store, const settings::KeyId* keys, const uint8_t* order, size_t count);
    // The whole period: checks, the decision, split, conversion, chain, write-back.
    HRESULT RunPeriod(const float* input, void* output, UINT32 frames);

    // Whether this period is worked on; may note what the period needs.
    virtual bool Works(const Period& p) = 0;
    // The effects, in place on the buffers; sets p.status (and p.channels).
    virtual void RunChain(Period& p) = 0;
    // Writes the buffers into the output and returns the period's status; by default
    // buffer c becomes interleaved output channel c.
    virtual HRESULT WriteBack(const Period& p, void* output, uint32_t frames);

    // Acts on a changed key by its refresh row: a push row sends the key to `component`
    // while the row's condition holds (else `status` stays; a mode key is read first); any
    // other row reads the value and, when it counts or the row follows up even unread
    // values, hands it to FlagChanged. Returns the status of the last call.
    HRESULT Refresh(const RefreshRow& row, const settings::KeyId& key, IPropertyStore* store,
                    IQXEffectComponent* component, HRESULT status);
    // A flag row's value, when it counted: stored in its flag; on, it switches off the
    // flags it excludes. Follow-up rows and values that did not count change nothing here.
    virtual HRESULT FlagChanged(const RefreshRow& row, bool counted, uint32_t value, IPropertyStore* store,
                                HRESULT status);

    // No longer than the lock allows (and exact while converting, where required).
    HRESULT CheckFrames(uint32_t frames) const;
    bool Locked() const { return maxFrames_ != 0; }
    bool Converting() const { return internalRate_ != rate_; }
    uint32_t Flag(uint8_t flag) const { return flags_[flag].load(std::memory_order_acquire); }
    void StoreFlag(uint8_t flag, uint32_t value) { flags_[flag].exchange(value, std::memory_order_acq_rel); }
    // Switches off the flags of `mask` (a bit per flag): those an effect going on excludes.
    void ClearFlags(uint32_t mask) {
        for (uint8_t f = 0; f < kMaxFlags; ++f)
            if (mask & (1u << f)) StoreFlag(f, 0);
    }
    // The internal float format of `channels` channels.
    WAVEFORMATEX Format(uint32_t channels) const;
    // Runs a component in place: the buffer table is its input and its output.
    HRESULT RunInPlace(IQXEffectComponent* component, uint32_t frames) const;
    void Convert(SRCInternal& converter, uint32_t channels, uint32_t frames, uint32_t direction);

    uint32_t rate_ = 0;
    uint32_t internalRate_ = 0;
    uint32_t inChannels_ = 0;
    uint32_t outChannels_ = 0;
    uint32_t maxFrames_ = 0;  // 0 while not locked
    uint32_t internalFrames_ = 0;
    ChannelBlock block_;
    SRCInternal converter_;

private:
    const StreamRules& rules_;
    std::atomic<uint32_t> flags_[kMaxFlags];
};

}  // namespace qx
