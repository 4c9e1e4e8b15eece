#!/usr/bin/env python3
"""Turns the JSON output of qx_bench's converter benchmarks into the Markdown tables of
docs/performance.md.

    build/bench/bench/qx_bench --benchmark_filter='^SRC' --benchmark_repetitions=3 \\
        --benchmark_report_aggregates_only=true --benchmark_format=json > build/bench/src.json
    python3 bench/src_report.py build/bench/src.json

Each figure comes from the shortest CPU time of the repetitions (on a shared host, the
run least slowed down by other programs), for every program alike, in ns per output
sample. The last column is soxr's time divided by ours: above 1 means ours is faster.
"""
import json
import sys

LIBS = ["soxr", "speexdsp", "libsamplerate"]
# The peak benchmark each path of FIR loops is measured against.
PEAKS = {"scalar": "SRCPeak/multiply-add", "sse2": "SRCPeak/multiply-add",
         "avx2": "SRCPeak/multiply-add-avx2", "avx512": "SRCPeak/multiply-add-avx512"}
LABELS = {"scalar": "scalar", "sse2": "SSE2", "avx2": "AVX2", "avx512": "AVX-512"}


def medians(path):
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


def ns(run):
    """CPU ns per output sample."""
    return run["cpu_time"] / run["outputs"] if run and run.get("outputs") else None


def peak(run):
    """G multiply-adds per second."""
    return run["macsPerIteration"] / run["cpu_time"] if run else None


def main():
    runs = medians(sys.argv[1])
    print("| Conversion | ours | soxr | speexdsp | libsamplerate | soxr / ours |")
    print("|---|---|---|---|---|---|")
    for name, run in runs.items():
        parts = name.split("/")
        if len(parts) != 4 or parts[0] != "SRC" or parts[1] != "ours":
            continue
        ours = ns(run)
        others = [ns(runs.get("/".join(["SRC", lib, parts[2], parts[3]]))) for lib in LIBS]
        cells = ["%.2f" % t if t else "-" for t in others]
        ratio = "%.2f" % (others[0] / ours) if others[0] else "-"
        print("| %s %s | %.2f | %s | %s |" % (parts[2], parts[3], ours, " | ".join(cells), ratio))
    print()
    for key in ("SRCPeak/multiply-add", "SRCPeak/multiply-add-avx2", "SRCPeak/multiply-add-avx512"):
        if key in runs:
            print("- %s: %.1f G multiply-adds/s" % (key, peak(runs[key])))
    print()
    print("| Stage | Loops | Multiply-adds per output | M outputs/s | G multiply-adds/s | Fraction of peak |")
    print("|---|---|---|---|---|---|")
    for name, run in runs.items():
        parts = name.split("/")
        if parts[0] != "SRCStage" or len(parts) != 3:
            continue
        top = peak(runs.get(PEAKS[parts[2]]))
        rate = run["MACperOut"] / ns(run)
        frac = "%.0f%%" % (100.0 * rate / top) if top else "-"
        print("| %s | %s | %.1f | %.0f | %.2f | %s |" % (parts[1], LABELS[parts[2]], run["MACperOut"],
                                                       1e3 / ns(run), rate, frac))


if __name__ == "__main__":
    main()
