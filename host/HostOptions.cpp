#include "host/HostOptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace qx::host {

namespace {
using settings::KeyInfo;
using settings::ValueKind;

struct NamedValue {
    const char* name;
    uint32_t value;
};
constexpr NamedValue kFormFactors[] = {
    {"speakers", settings::FormFactorSpeakers}, {"headphones", settings::FormFactorHeadphones},
    {"microphone", settings::FormFactorMicrophone}, {"spdif", settings::FormFactorSpdif},
    {"hdmi", settings::FormFactorHdmi},
};

struct ProcessorEntry {
    const char* option;
    ProcessorKind kind;
    const char* name;
    settings::Processor owner;
};
constexpr ProcessorEntry kProcessors[] = {
    {"gfx", ProcessorKind::Global, "QXGFXLib", settings::Processor::GFX},
    {"lfx", ProcessorKind::Local, "QXLFXLib", settings::Processor::LFX},
    {"mic", ProcessorKind::Capture, "QXMicLFXLib", settings::Processor::MicLFX},
};

bool Fail(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}

// Stores a parsed value; true, for option handlers that end in an assignment.
template <class T, class U>
bool Assign(T& field, U value) {
    field = value;
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string WithoutSpaces(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool ParseInteger(const std::string& text, long long& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 0);
    return errno == 0 && end && *end == 0;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == 0 && std::isfinite(value);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

bool ParseFlag(const std::string& text, uint32_t& value) {
    const std::string t = Lower(text);
    if (t == "1" || t == "on" || t == "true") return Assign(value, 1);
    if (t == "0" || t == "off" || t == "false") return Assign(value, 0);
    return false;
}

// "on,frequency,gain[,q]" into one 16-byte filter record.
bool ParseRecord(const std::string& text, uint8_t* out, std::string& error) {
    const std::vector<std::string> f = Split(text, ',');
    long long on = 0, freq = 0, gain = 0;
    double q = 1.0;
    if ((f.size() != 3 && f.size() != 4) || !ParseInteger(f[0], on) || !ParseInteger(f[1], freq) ||
        !ParseInteger(f[2], gain) || (f.size() == 4 && !ParseNumber(f[3], q)))
        return Fail(error, "a filter record is on,frequency,gain[,q]: '" + text + "'");
    if (on < 0 || on > 1 || freq < 1 || freq > 100000 || gain < -12 || gain > 12 || q < 0.5 || q > 10)
        return Fail(error, "filter record '" + text + "' out of range (on 0..1, frequency 1..100000, gain -12..12, q 0.5..10)");
    settings::FilterRecord r{uint32_t(on), uint32_t(freq), int32_t(gain), float(q)};
    settings::EncodeFilterRecord(r, out);
    return true;
}

bool ParseBlob(const KeyInfo& key, const std::string& text, SettingValue& s, std::string& error) {
    s.blob.assign(key.blobSize, 0);
    const std::vector<std::string> records = Split(text, '/');
    if (records.size() > key.blobSize / settings::kFilterRecordSize)
        return Fail(error, std::string(key.name) + " holds at most " +
                               std::to_string(key.blobSize / settings::kFilterRecordSize) + " records");
    for (size_t i = 0; i < records.size(); ++i)
        if (!ParseRecord(records[i], s.blob.data() + i * settings::kFilterRecordSize, error)) return false;
    return true;
}

// An environment preset may be given by its name.
bool ParsePresetName(const std::string& text, uint32_t& value) {
    for (uint32_t i = 0; i < 28; ++i) {
        std::string name;
        for (const wchar_t* p = settings::kEnvironmentPresets[i]; *p; ++p) name += char(*p);
        if (Lower(name) == Lower(text)) return Assign(value, i);
    }
    return false;
}

bool ParseValue(const KeyInfo& key, const std::string& text, SettingValue& s, std::string& error) {
    if (key.kind == ValueKind::Blob) return ParseBlob(key, text, s, error);
    if (key.kind == ValueKind::Flag) {
        if (!ParseFlag(text, s.value)) return Fail(error, std::string(key.name) + " is a flag: 0 or 1, not '" + text + "'");
        return true;
    }
    if (key.key == settings::key::EnvironmentPreset && ParsePresetName(text, s.value)) return true;
    long long v = 0;
    if (!ParseInteger(text, v)) return Fail(error, std::string(key.name) + " needs a number, not '" + text + "'");
    if (v < key.min || v > key.max)
        return Fail(error, std::string(key.name) + "=" + text + " is out of range " + std::to_string(key.min) + ".." +
                               std::to_string(key.max));
    s.value = key.kind == ValueKind::Signed ? settings::EncodeSigned(int32_t(v)) : uint32_t(v);
    return true;
}

// The value of an option that takes one; advances i.
bool TakeValue(int argc, const char* const* argv, int& i, std::string& value, std::string& error) {
    if (i + 1 >= argc) return Fail(error, std::string(argv[i]) + " needs a value");
    value = argv[++i];
    return true;
}

bool ParseCount(const std::string& option, const std::string& text, uint32_t lo, uint32_t hi, uint32_t& out,
                std::string& error) {
    long long v = 0;
    if (!ParseInteger(text, v) || v < lo || v > hi)
        return Fail(error, option + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    out = uint32_t(v);
    return true;
}

// The options that take a value.
const std::string kValueOptions[] = {"--in",       "--out",          "--png",        "--module",     "--components",
                                     "--rate",     "--channels",     "--out-channels", "--output-tag", "--seconds",
                                     "--period",   "--out-format",   "--form-factor", "--processor",  "--enable",
                                     "--set",      "--change",       "--level",      "--periods",    "--seed",
                                     "--against",  "--repeat",       "--eq-preset",  "--eq-target"};

bool ParseOption(int argc, const char* const* argv, int& i, HostOptions& o, std::string& error);
}  // namespace

const char* ProcessorName(ProcessorKind kind) {
    for (const ProcessorEntry& p : kProcessors)
        if (p.kind == kind) return p.name;
    return "?";
}

const char* FormFactorName(uint32_t formFactor) {
    for (const NamedValue& f : kFormFactors)
        if (f.value == formFactor) return f.name;
    return "other";
}

std::string EffectLabel(const settings::EffectInfo& effect) {
    std::string s;
    for (const wchar_t* p = effect.label; *p; ++p) s += char(*p);
    return s;
}

const settings::EffectInfo* FindEffectByLabel(const std::string& label) {
    for (const settings::EffectInfo& e : settings::kEffectTable)
        if (WithoutSpaces(EffectLabel(e)) == WithoutSpaces(label)) return &e;
    return nullptr;
}

bool ParseSetting(const std::string& text, SettingValue& s, std::string& error) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos) return Fail(error, "a setting is Family.key=value: '" + text + "'");
    const std::string name = text.substr(0, eq);
    s.key = settings::FindKeyByName(name.c_str());
    if (!s.key) return Fail(error, "unknown setting '" + name + "' (settings are named like Equalizer.band4)");
    s.text = std::string(s.key->name) + "=" + text.substr(eq + 1);
    return ParseValue(*s.key, text.substr(eq + 1), s, error);
}

namespace {
bool ParseOption(int argc, const char* const* argv, int& i, HostOptions& o, std::string& error) {
    const std::string opt = argv[i];
    std::string v;
    if (opt == "--help" || opt == "-h") return Assign(o.help, true);
    if (std::find(std::begin(kValueOptions), std::end(kValueOptions), opt) == std::end(kValueOptions))
        return Fail(error, "unknown option '" + opt + "' (see --help)");
    if (!TakeValue(argc, argv, i, v, error)) return false;
    if (opt == "--in") return Assign(o.inputPath, v);
    if (opt == "--out") return Assign(o.outputPath, v);
    if (opt == "--png") return Assign(o.pngPath, v);
    if (opt == "--module") return Assign(o.modulePath, v);
    if (opt == "--components") return Assign(o.componentsPath, v);
    if (opt == "--rate") return ParseCount(opt, v, 8000, 384000, o.rate, error);
    if (opt == "--channels") return ParseCount(opt, v, 1, kMaxWavChannels, o.channels, error);
    if (opt == "--out-channels") return ParseCount(opt, v, 1, kMaxWavChannels, o.outChannels, error);
    if (opt == "--output-tag") return ParseCount(opt, v, 1, 0xFFFF, o.outputTag, error);
    if (opt == "--level") {
        if (!ParseNumber(v, o.levelDb) || o.levelDb < -60 || o.levelDb > 0) return Fail(error, "--level is in dBFS, from -60 to 0");
        return true;
    }
    if (opt == "--against") return Assign(o.againstPath, v);
    if (opt == "--eq-preset") return Assign(o.eqPresetPath, v);
    if (opt == "--eq-target") {
        if (Lower(v) != "eq15" && Lower(v) != "eq10") return Fail(error, "--eq-target is eq15 or eq10, not '" + v + "'");
        return Assign(o.eqTenBand, Lower(v) == "eq10");
    }
    if (opt == "--repeat") return ParseCount(opt, v, 2, 1000, o.repeat, error);
    if (opt == "--periods") return ParseCount(opt, v, 1, 10000000, o.stressPeriods, error);
    if (opt == "--seed") return ParseCount(opt, v, 0, 0xFFFFFFFF, o.seed, error);
    if (opt == "--seconds") {
        if (!ParseNumber(v, o.seconds) || o.seconds <= 0 || o.seconds > 600) return Fail(error, "--seconds must be above 0 and at most 600");
        return true;
    }
    if (opt == "--period") {
        if (!ParseNumber(v, o.periodMs) || o.periodMs < 0.1 || o.periodMs > 1000)
            return Fail(error, "--period is in milliseconds, from 0.1 to 1000");
        return true;
    }
    if (opt == "--out-format") {
        if (!ParseFormatName(v, o.outputFormat)) return Fail(error, "--out-format is pcm8, pcm16, pcm24, pcm32 or float");
        return Assign(o.outputFormatGiven, true);
    }
    if (opt == "--form-factor") {
        for (const NamedValue& f : kFormFactors)
            if (Lower(v) == f.name) return Assign(o.formFactor, f.value);
        return Fail(error, "--form-factor is speakers, headphones, microphone, spdif or hdmi, not '" + v + "'");
    }
    if (opt == "--processor") {
        for (const ProcessorEntry& p : kProcessors)
            if (Lower(v) == p.option) return Assign(o.processor, p.kind);
        return Fail(error, "--processor is gfx, lfx or mic, not '" + v + "'");
    }
    if (opt == "--enable") {
        const settings::EffectInfo* e = FindEffectByLabel(v);
        if (!e) return Fail(error, "unknown effect '" + v + "' (effects are named as in the effect list, e.g. Equalizer)");
        o.enabled.push_back(e);
        return true;
    }
    if (opt == "--set") {
        SettingValue s;
        if (!ParseSetting(v, s, error)) return false;
        o.settings.push_back(s);
        return true;
    }
    if (opt == "--change") {
        const size_t colon = v.find(':');
        TimedChange c;
        if (colon == std::string::npos || !ParseNumber(v.substr(0, colon), c.seconds) || c.seconds < 0)
            return Fail(error, "--change is SECONDS:Family.key=value, not '" + v + "'");
        if (!ParseSetting(v.substr(colon + 1), c.setting, error)) return false;
        o.changes.push_back(c);
        return true;
    }
    return Fail(error, "unknown option '" + opt + "' (see --help)");
}
}  // namespace

bool ParseHostOptions(int argc, const char* const* argv, HostOptions& o, std::string& error) {
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "measure") == 0) o.mode = HostMode::Measure, first = 2;
    if (argc > 1 && std::strcmp(argv[1], "stress") == 0) o.mode = HostMode::Stress, first = 2;
    if (argc > 1 && std::strcmp(argv[1], "compare") == 0) o.mode = HostMode::Compare, first = 2;
    // In compare mode, --vs starts the second set of effects and settings.
    int end = argc;
    for (int i = first; i < argc; ++i)
        if (o.mode == HostMode::Compare && end == argc && std::strcmp(argv[i], "--vs") == 0) end = i;
    for (int i = first; i < end; ++i)
        if (!ParseOption(end, argv, i, o, error)) return false;
    if (end < argc) {
        HostOptions b;
        for (int i = end + 1; i < argc; ++i) {
            const std::string opt = argv[i];
            if (opt != "--enable" && opt != "--set") return Fail(error, "after --vs only --enable and --set may follow");
            if (!ParseOption(argc, argv, i, b, error)) return false;
        }
        o.secondSet = true;
        o.enabledB = b.enabled;
        o.settingsB = b.settings;
    }
    if (o.formFactor == 0)
        o.formFactor = o.processor == ProcessorKind::Capture ? settings::FormFactorMicrophone : settings::FormFactorSpeakers;
    const settings::Processor owner = kProcessors[size_t(o.processor)].owner;
    std::vector<const settings::EffectInfo*> all = o.enabled;
    all.insert(all.end(), o.enabledB.begin(), o.enabledB.end());
    for (const settings::EffectInfo* e : all)
        if (e->processor != owner)
            return Fail(error, "effect '" + EffectLabel(*e) + "' is not run by " + ProcessorName(o.processor));
    return true;
}

const char kHostUsage[] =
    "usage: qxhost [measure | stress | compare] [options]\n"
    "Runs audio through an effect processor the way the audio engine's plug-in does.\n"
    "  compare              compare two outputs: --in FILE --against FILE, or one input\n"
    "                       (or the test signal) through two sets: the first set's\n"
    "                       --enable/--set, then --vs and the second set's; --repeat N\n"
    "                       runs one set N times from a fresh lock and checks the outputs\n"
    "                       are bit-identical; --png plots the difference spectrum\n"
    "  measure              sweep the chain (rate, channels, effects and settings as\n"
    "                       given) and print its response from 20 Hz to 20 kHz per\n"
    "                       channel, its 2nd to 5th harmonics and its latency; --png plots\n"
    "                       the response; --level DB sets the sweep level (default -12)\n"
    "  stress               run noise through the chain while a second thread changes the\n"
    "                       settings of the enabled effects at random and switches them on\n"
    "                       and off; report non-finite samples, failures and jumps;\n"
    "                       --periods N (default 2000), --seed N\n"
    "  --in FILE            input WAV (PCM 8/16/24/32-bit or float, up to 8 channels);\n"
    "                       without it a test signal is synthesised (tones, sweep, noise)\n"
    "  --rate HZ            rate of the test signal (default 48000)\n"
    "  --channels N         channels of the test signal (default 2)\n"
    "  --seconds S          length of the test signal (default 4)\n"
    "  --out FILE           output WAV (default qxhost-out.wav)\n"
    "  --out-format F       pcm8, pcm16, pcm24, pcm32 or float (default: as the input)\n"
    "  --out-channels N     output channels (default: as the input)\n"
    "  --png FILE           plot input and output spectra into a PNG image\n"
    "  --period MS          period length in milliseconds (default 10)\n"
    "  --processor P        gfx (default), lfx or mic\n"
    "  --form-factor F      speakers, headphones, microphone, spdif or hdmi (default:\n"
    "                       microphone for mic, speakers for the others)\n"
    "  --output-tag N       output format tag asked for at lock time (default 1, PCM)\n"
    "  --enable EFFECT      switch an effect on, named as in the effect list (repeatable)\n"
    "  --set Family.key=V   write a setting into the FX store, e.g. Equalizer.band4=6;\n"
    "                       Eq15.bass/treble take on,frequency,gain[,q]; Eq15.bands takes up\n"
    "                       to 15 such records separated by '/'\n"
    "  --change T:Family.key=V  change a setting T seconds into the stream\n"
    "  --eq-preset FILE     fit a published EQ preset (Preamp/Filter lines or a GraphicEQ\n"
    "                       curve) to the 15-Band Equalizer, switch it on and write its\n"
    "                       settings; prints the residual and the preset's preamp\n"
    "  --eq-target T        eq15 (default) or eq10: fit to the ten-band Equalizer\n"
    "  --module DLL         load the processor from this DLL instead of the registry\n"
    "  --components DLL     serve the effect components from this DLL, not the registry\n"
    "The summary counts the clipped output samples: those the processor wrote at or beyond\n"
    "full scale (|x| >= 1.0, or not a number), before conversion to the output format\n"
    "(PCM output clips them to its range, float output keeps them), with the peak in dBFS.\n"
    "At exit, after releasing everything, each DLL the run used is asked whether it can\n"
    "unload (DllCanUnloadNow) and the answer printed.\n"
    "Exit status: 0 done, 1 the run failed, 2 bad command line, 3 a DLL cannot unload.\n";

uint32_t HostOptions::PeriodFrames(uint32_t streamRate) const {
    return std::max<uint32_t>(1, uint32_t(std::lround(streamRate * periodMs / 1000)));
}

}  // namespace qx::host
