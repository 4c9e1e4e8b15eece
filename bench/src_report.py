#!/usr/bin/env python3
"""Turns the JSON output of qx_bench's converter benchmarks into the Markdown tables of
docs/performance.md, with the figures of the DLL's benchmark (qx_bench_src under Wine)
beside them when its output is given:

    build/bench/bench/qx_bench --benchmark_filter='^SRC' --benchmark_repetitions=5 \\
        --benchmark_min_time=0.2 --benchmark_report_aggregates_only=true \\
        --benchmark_format=json > build/bench/src.json
    python3 bench/src_report.py build/bench/src.json [more rounds.json ...] [build/win/src.txt ...]

Each figure comes from the shortest CPU time of the repetitions (on a shared host, the
run least slowed down by other programs), for every program alike, in ns per output
sample. The ratio columns are soxr's time divided by ours: above 1 means ours is faster.
The DLL's fraction of peak is taken against the peaks of the native run.
"""
import json
import re
import sys

LIBS = ["soxr", "speexdsp", "libsamplerate"]
# The peak benchmarks each path of loops is measured against: loops of 6, 8, 10 and 12
# sums (name/6 .. name/12), of which the fastest is the peak.
PEAKS = {"scalar": "SRCPeak/multiply-add", "sse2": "SRCPeak/multiply-add",
         "avx2": "SRCPeak/multiply-add-avx2", "avx512": "SRCPeak/multiply-add-avx512"}
# The AVX2 paired FIR step alone with its loads (SRCPeak/paired-loads-avx2/5 and /6): what
# the machine sustains of multiply-adds that need the loads the loops make.
SHAPE = "SRCPeak/paired-loads-avx2"
# The paired step over the blocks of one `Up3` call with its stores (scaled, interleaved by
# three with the centre tap): how near Up3's loops can come to the peak.
UP3_BLOCKS = "SRCPeak/up3-blocks-avx2"
LABELS = {"scalar": "scalar", "sse2": "SSE2", "avx2": "AVX2", "avx512": "AVX-512"}


def shortest(path):
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        name = b["name"]
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") != "min":
                continue
            name = name[: -len("_min")]
        out[name] = b
    return out


def dll_figures(path):
    """The DLL benchmark's tables: ns per output by conversion, G multiply-adds/s by stage and loops."""
    pairs, stages = {}, {}
    for line in open(path):
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        m = re.match(r"(\d+->\d+) (forward|reverse) \(\d+\)$", cells[0])
        if m and len(cells) == 3:
            pairs[(m.group(1), m.group(2))] = float(cells[1])
        elif len(cells) == 5 and cells[1] in LABELS.values():
            stages[(cells[0], cells[1])] = float(cells[4])
    return pairs, stages


def ns(run):
    """CPU ns per output sample."""
    return run["cpu_time"] / run["outputs"] if run and run.get("outputs") else None


def rate(run):
    """G multiply-adds per second of one peak loop."""
    return run["macsPerIteration"] / run["cpu_time"] if run else None


def peak(runs, key):
    """An instruction set's peak: its fastest peak loop (key/6, key/8, ... sums)."""
    rates = [rate(run) for name, run in runs.items() if name.startswith(key + "/")]
    return max(rates) if rates else None


def main():
    # Several native runs (rounds of the same build) give each benchmark's shortest time
    # over all of them; a file not ending in .json is the DLL's output.
    natives = [a for a in sys.argv[1:] if a.endswith(".json")]
    dlls = [a for a in sys.argv[1:] if not a.endswith(".json")]
    runs = {}
    for path in natives:
        for name, run in shortest(path).items():
            if name not in runs or run["cpu_time"] < runs[name]["cpu_time"]:
                runs[name] = run
    # Several runs of the DLL's benchmark give each row's best run (fewest ns per output,
    # most multiply-adds per second), as the native rounds give their shortest times.
    dll_pairs, dll_stages = {}, {}
    for path in dlls:
        pairs, stages = dll_figures(path)
        for key, t in pairs.items():
            dll_pairs[key] = min(t, dll_pairs.get(key, t))
        for key, r in stages.items():
            dll_stages[key] = max(r, dll_stages.get(key, r))
    print("| Conversion | ours | ours, DLL | soxr | speexdsp | libsamplerate | soxr / ours | soxr / ours (DLL) |")
    print("|---|---|---|---|---|---|---|---|")
    for name, run in runs.items():
        parts = name.split("/")
        if len(parts) != 4 or parts[0] != "SRC" or parts[1] != "ours":
            continue
        ours = ns(run)
        dll = dll_pairs.get((parts[2], parts[3]))
        others = [ns(runs.get("/".join(["SRC", lib, parts[2], parts[3]]))) for lib in LIBS]
        cells = ["%.2f" % t if t else "-" for t in others]
        ratio = "%.2f" % (others[0] / ours) if others[0] else "-"
        dll_ratio = "%.2f" % (others[0] / dll) if others[0] and dll else "-"
        print("| %s %s | %.2f | %s | %s | %s | %s |" % (parts[2], parts[3], ours, "%.2f" % dll if dll else "-",
                                                      " | ".join(cells), ratio, dll_ratio))
    print()
    for key in ("SRCPeak/multiply-add", "SRCPeak/multiply-add-avx2", "SRCPeak/multiply-add-avx512"):
        if peak(runs, key):
            print("- %s: %.1f G multiply-adds/s" % (key, peak(runs, key)))
    shape = peak(runs, SHAPE)
    if shape:
        print("- %s: %.1f G multiply-adds/s" % (SHAPE, shape))
    if UP3_BLOCKS in runs:
        print("- %s: %.1f G multiply-adds/s" % (UP3_BLOCKS, rate(runs[UP3_BLOCKS])))
    print()
    print("| Stage | Loops | Multiply-adds per output | M outputs/s | G multiply-adds/s | Fraction of peak "
          "| FIR loops alone: fraction of peak | Fraction of the paired-load loop | DLL: G multiply-adds/s "
          "| DLL: fraction of peak |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for name, run in runs.items():
        parts = name.split("/")
        if parts[0] != "SRCStage" or len(parts) != 3:
            continue
        top = peak(runs, PEAKS[parts[2]])
        macs = run["MACperOut"] / ns(run)
        frac = "%.0f%%" % (100.0 * macs / top) if top else "-"
        # The same kind's FIR loops alone (SRCLoops), without the stage's work per call.
        loops = runs.get("SRCLoops/%s/%s" % (parts[1], parts[2]))
        loops_frac = "%.0f%%" % (100.0 * loops["MACperOut"] / ns(loops) / top) if loops and top else "-"
        of_shape = "%.0f%%" % (100.0 * macs / shape) if shape and parts[2] == "avx2" else "-"
        dll = dll_stages.get((parts[1], LABELS[parts[2]]))
        dll_frac = "%.0f%%" % (100.0 * dll / top) if dll and top else "-"
        print("| %s | %s | %.1f | %.0f | %.2f | %s | %s | %s | %s | %s |" % (
            parts[1], LABELS[parts[2]], run["MACperOut"], 1e3 / ns(run), macs, frac, loops_frac, of_shape,
            "%.2f" % dll if dll else "-", dll_frac))

    # Where an AVX2 stage's time per call goes: its FIR loops alone, the rest of the call
    # (the copies of the block, the move of the history, the calls down to the loops), and
    # the time the call would take at three quarters of the peak.
    top = peak(runs, PEAKS["avx2"])
    print()
    print("| Stage | AVX2: ns per call | FIR loops alone | Rest of the call | At 75% of the peak |")
    print("|---|---|---|---|---|")
    for name, run in runs.items():
        parts = name.split("/")
        if parts[0] != "SRCStage" or len(parts) != 3 or parts[2] != "avx2" or not top:
            continue
        loops = runs.get("SRCLoops/%s/avx2" % parts[1])
        budget = run["MACperOut"] * run["outputs"] / (0.75 * top)
        print("| %s | %.0f | %s | %s | %.0f |" % (
            parts[1], run["cpu_time"], "%.0f" % loops["cpu_time"] if loops else "-",
            "%.0f" % (run["cpu_time"] - loops["cpu_time"]) if loops else "-", budget))


if __name__ == "__main__":
    main()
