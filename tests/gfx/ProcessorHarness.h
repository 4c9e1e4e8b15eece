#pragma once
// Drives one processor the way the outside host does: created through the module's class
// factory, recording components registered under the component classes a test names, an
// in-memory FX store, and helpers that read back what the components were given. Header
// only, so the programs of the three processors share it.
#include <windows.h>
#include <propsys.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "processors/IQXEffectProcessor.h"
#include "settings/WinGuid.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/ModuleContract.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"
#include "tests/support/WaveFormats.h"

namespace qx::test {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::wstring>;
using settings::KeyId;

constexpr KeyId Key(const char (&fmtid)[39], uint32_t pid) { return {ParseGuid(fmtid), pid}; }
constexpr uint32_t kSpeakers = 1, kMicrophone = 4, kSpdif = 8;  // endpoint form factors
constexpr float kUntouched = -7.0f;

inline Bytes Words(std::initializer_list<uint32_t> words) {  // little-endian, as the components read them
    Bytes out;
    for (uint32_t w : words) out.insert(out.end(), {uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16), uint8_t(w >> 24)});
    return out;
}
inline Bytes Float(float f) {
    Bytes out(4);
    std::memcpy(out.data(), &f, 4);
    return out;
}
inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
template <class T>
std::vector<T> Concat(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The contract's component classes of the given names, in that order.
inline std::vector<ContractComponent> ComponentClasses(std::initializer_list<const wchar_t*> names) {
    std::vector<ContractComponent> out;
    for (const wchar_t* name : names)
        for (const ContractComponent& c : kContractComponents)
            if (!std::wcscmp(c.name, name)) out.push_back(c);
    return out;
}

// One value in the FX store: VT_UI4, a blob, or a value of a type no reader accepts.
struct Value {
    KeyId key;
    enum Kind { UInt, Blob, WrongType } kind;
    uint32_t number = 0;
    Bytes blob;
};
inline Value U(KeyId key, uint32_t v) { return {key, Value::UInt, v, {}}; }
inline Value B(KeyId key, Bytes b) { return {key, Value::Blob, 0, std::move(b)}; }
inline Value Wrong(KeyId key) { return {key, Value::WrongType, 0, {}}; }

// One SetParameter call as a component received it.
struct Push {
    std::wstring component;
    int id;
    Bytes data;
    bool operator==(const Push& o) const { return component == o.component && id == o.id && data == o.data; }
};
inline std::ostream& operator<<(std::ostream& os, const Push& p) {
    os << "\n  " << std::string(p.component.begin(), p.component.end()) << " " << p.id << ":";
    for (uint8_t b : p.data) os << " " << int(b);
    return os;
}
using Pushes = std::vector<Push>;
// An Initialize call as CallsOf shows it.
inline Push I(const wchar_t* component, uint8_t in, uint8_t out, uint8_t flag) { return {component, -1, {in, out, flag}}; }

// A stream format offered at lock time and what the processor must make of it.
struct LockRow {
    uint32_t rate, in, out, frames;
    HRESULT status;
    uint32_t internalRate, internalFrames;
};

// A processor made through the module's class factory, as the outside host makes it.
inline ComPtr<IQXEffectProcessor> NewProcessor(const ContractClass& processor) {
    return NewContractObject<IQXEffectProcessor>(processor, ContractGuid(kContractProcessorIid));
}

class ProcessorTest : public testing::Test {
protected:
    // Registers every class, then creates the processor from its class identifier.
    void Start(const ContractClass& processor, const std::vector<ContractComponent>& classes) {
        for (const ContractComponent& c : classes)
            regs_.push_back(std::make_unique<ComponentRegistration>(log_, ContractGuid(c.clsid), ContractGuid(c.iid), c.name));
        fx_ = NewMemoryStore();
        p_ = NewProcessor(processor);
        ASSERT_TRUE(p_);
    }
    void TearDown() override {
        p_.Reset();
        for (auto& r : regs_) EXPECT_TRUE(!r || r->AllReleasedByOthers()) << "a component reference was kept";
    }
    ComponentBehaviour& Behaviour(const std::wstring& name) {
        for (auto& r : regs_)
            if (r && r->Name() == name) return r->Behaviour();
        throw std::invalid_argument("no such component class");
    }
    // Takes a class away before Initialize, so its component cannot be created.
    void Drop(const std::wstring& name) {
        for (auto& r : regs_)
            if (r && r->Name() == name) r.reset();
    }

    HRESULT Init(uint32_t formFactor) { return p_->Initialize(NewEndpointStore(formFactor).Get()); }
    HRESULT Lock(uint32_t rate, uint32_t in, uint32_t out, uint32_t frames, uint32_t tag = 1) {
        return p_->LockForProcess(rate, in, out, frames, fx_.Get(), tag);
    }
    void Put(const std::vector<Value>& values) {
        for (const Value& v : values) {
            if (v.kind == Value::UInt) PutUInt(fx_.Get(), v.key, v.number);
            if (v.kind == Value::Blob) PutBlob(fx_.Get(), v.key, v.blob.data(), v.blob.size());
            if (v.kind == Value::WrongType) PutBool(fx_.Get(), v.key, true);
        }
    }
    void Put(const Value& v) { Put(std::vector<Value>{v}); }
    HRESULT Report(const KeyId& key) {
        const PROPERTYKEY pk{ToGuid(key.fmtid), key.pid};
        return p_->OnPropertyChanged(&pk, fx_.Get());
    }
    HRESULT Set(const KeyId& key, uint32_t value) {
        Put({U(key, value)});
        return Report(key);
    }

    // One period of a ramp into an output that starts as kUntouched everywhere.
    HRESULT Run(uint32_t in, uint32_t out, uint32_t frames) {
        in_.assign(size_t(in) * frames, 0.0f);
        for (size_t k = 0; k < in_.size(); ++k) in_[k] = RampAt(uint32_t(k / in), uint32_t(k % in));
        out_.assign(size_t(out) * frames, kUntouched);
        return p_->Process(in_.data(), out_.data(), frames);
    }
    static float RampAt(uint32_t frame, uint32_t channel) { return float(100 * channel + frame + 1) / 1000.0f; }
    // The components that ran in one period of a ramp.
    Names Chain(uint32_t in = 2, uint32_t out = 2) {
        log_.Clear();
        Run(in, out, 16);
        return log_.ProcessOrder();
    }
    // Heap calls of `frames` more frames through Process (and the monitor when asked), made
    // with the call log off: the log allocates, the audio path must not.
    size_t PeriodAllocations(uint32_t frames, bool monitor = false) {
        log_.SetRecordProcess(false);
        AllocationCounter counter;
        p_->Process(in_.data(), out_.data(), frames);
        if (monitor) p_->ProcessMonitor(out_.data(), frames);
        log_.SetRecordProcess(true);
        return counter.Count();
    }

    // Locks with each row: a refused format makes no component call; an accepted one
    // initialises every component for float at the internal rate and frame count.
    void ExpectLocks(const std::vector<LockRow>& rows) {
        for (const LockRow& row : rows) {
            SCOPED_TRACE(testing::Message() << row.rate << " Hz " << row.in << ">" << row.out);
            log_.Clear();
            EXPECT_EQ(row.status, Lock(row.rate, row.in, row.out, row.frames));
            EXPECT_EQ(log_.Calls().empty(), FAILED(row.status));
            for (const ComponentCall& c : log_.Calls(ComponentCall::Initialize)) {
                ExpectFloatFormat(c.in, row.internalRate, c.in.nChannels);
                EXPECT_EQ(c.maxFrames, row.internalFrames);
                EXPECT_EQ(c.in.nChannels, InputChannels(c.component, row)) << std::string(c.component.begin(), c.component.end());
            }
        }
    }
    // The channel count of a component's input format for a row (the stream's by default).
    virtual int InputChannels(const std::wstring&, const LockRow& row) const { return int(row.in); }

    Pushes PushesSince() const {
        Pushes out;
        for (const ComponentCall& c : log_.Calls(ComponentCall::SetParameter)) {
            EXPECT_EQ(c.size, c.data.size());
            out.push_back({c.component, c.id, c.data});
        }
        return out;
    }
    // The Initialize and SetParameter calls of the named components (of all when none is
    // named) in order; an Initialize shows as id -1 with the channel counts of its formats
    // (0 for no output format) and its flag, each checked to be float at `rate`.
    Pushes CallsOf(const Names& components, uint32_t rate = 48000) const {
        Pushes out;
        for (const ComponentCall& c : log_.Calls()) {
            if (!components.empty() && std::find(components.begin(), components.end(), c.component) == components.end())
                continue;
            if (c.kind == ComponentCall::SetParameter) out.push_back({c.component, c.id, c.data});
            if (c.kind != ComponentCall::Initialize) continue;
            ExpectFloatFormat(c.in, rate, c.in.nChannels);
            if (c.hasOut) ExpectFloatFormat(c.out, rate, c.out.nChannels);
            out.push_back({c.component, -1, {uint8_t(c.in.nChannels), uint8_t(c.hasOut ? c.out.nChannels : 0), uint8_t(c.flag)}});
        }
        return out;
    }
    std::vector<ComponentCall> Inits(const std::wstring& name) const {
        std::vector<ComponentCall> out;
        for (const ComponentCall& c : log_.Calls(ComponentCall::Initialize))
            if (c.component == name) out.push_back(c);
        return out;
    }
    // The components the processor holds now, in class-table order; one it failed to let
    // go of on a new Initialize shows twice.
    Names Held() const {
        Names out;
        for (auto& r : regs_)
            for (size_t i = 0; r && i < r->InstanceCount(); ++i)
                if (r->Instance(i)->RefCount() > 1) out.push_back(r->Name());
        return out;
    }

    CallLog log_;
    ComPtr<IPropertyStore> fx_;
    ComPtr<IQXEffectProcessor> p_;
    std::vector<float> in_, out_;
    std::vector<std::unique_ptr<ComponentRegistration>> regs_;
};

}  // namespace qx::test
