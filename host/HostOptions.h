#pragma once
// The command line of the processor host tool. Pure C++: effect and key names come from
// the settings schema, values are checked against its ranges.
#include <cstdint>
#include <string>
#include <vector>

#include "host/WavFile.h"
#include "settings/EffectSchema.h"

namespace qx::host {

enum class ProcessorKind : uint8_t { Global, Local, Capture };

// One FX-store value to write: a VT_UI4 or, for the filter keys, a VT_BLOB.
struct SettingValue {
    const settings::KeyInfo* key = nullptr;
    uint32_t value = 0;
    std::vector<uint8_t> blob;  // Blob keys only
    std::string text;           // as given, for the summary
};

// A setting changed while the stream runs, reported through OnPropertyChanged.
struct TimedChange {
    double seconds = 0;
    SettingValue setting;
};

// What qxhost does: run audio through (the default), measure the chain with a sweep,
// storm it with setting changes while it runs, or compare two outputs.
enum class HostMode : uint8_t { Run, Measure, Stress, Compare };

struct HostOptions {
    bool help = false;
    HostMode mode = HostMode::Run;
    double levelDb = -12;                // measure: the sweep's level in dBFS
    uint32_t stressPeriods = 2000;       // stress: periods to run
    uint32_t seed = 1;                   // stress: of the random changes
    std::string againstPath;             // compare: a second WAV file to compare --in with
    bool secondSet = false;              // compare: --vs was given
    std::vector<const settings::EffectInfo*> enabledB;  // compare: the set after --vs
    std::vector<SettingValue> settingsB;
    uint32_t repeat = 0;                 // compare: runs of one set that must agree
    std::string eqPresetPath;            // a published EQ preset to fit and apply
    bool eqTenBand = false;              // fit it to the ten-band Equalizer
    ProcessorKind processor = ProcessorKind::Global;
    std::string inputPath;               // empty: the synthesised test signal
    std::string outputPath = "qxhost-out.wav";
    std::string pngPath;                 // empty: no plot
    bool outputFormatGiven = false;
    SampleFormat outputFormat = SampleFormat::Float32;
    uint32_t rate = 48000;               // of the synthesised signal
    uint32_t channels = 2;               // of the synthesised signal
    double seconds = 4.0;                // of the synthesised signal
    uint32_t outChannels = 0;            // 0: as many as the input
    double periodMs = 10.0;
    uint32_t formFactor = 0;             // 0 until given: then microphone for the capture
                                         // processor, speakers for the others
    uint32_t outputTag = 1;              // the output format tag asked for at lock time
    std::vector<const settings::EffectInfo*> enabled;
    std::vector<SettingValue> settings;
    std::vector<TimedChange> changes;
    std::string modulePath;              // load the processor's DLL directly
    std::string componentsPath;          // register a components DLL's classes in-process

    // Frames in one period of periodMs at the given rate, at least one.
    uint32_t PeriodFrames(uint32_t streamRate) const;
};

// False with a one-line reason when the command line is not usable.
bool ParseHostOptions(int argc, const char* const* argv, HostOptions& options, std::string& error);

// Parses "Family.key=value" against the schema.
bool ParseSetting(const std::string& text, SettingValue& setting, std::string& error);

// An effect by its list label, ignoring case and spaces ("Smart Volume", "smartvolume").
const settings::EffectInfo* FindEffectByLabel(const std::string& label);

const char* ProcessorName(ProcessorKind kind);   // "QXGFXLib", ...
const char* FormFactorName(uint32_t formFactor);  // "speakers", ...
std::string EffectLabel(const settings::EffectInfo& effect);

extern const char kHostUsage[];

}  // namespace qx::host
