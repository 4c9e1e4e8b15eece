#!/usr/bin/env python3
"""Turns the JSON output of qx_bench's converter benchmarks into the Markdown tables of
docs/performance.md.

    build/bench/bench/qx_bench --benchmark_filter='^SRC' --benchmark_repetitions=5 \\
        --benchmark_report_aggregates_only=true --benchmark_format=json > build/bench/src.json
    python3 bench/src_report.py build/bench/src.json

Each figure is the median over the repetitions. A ratio is the library's time per output
sample divided by ours: above 1 means ours is faster.
"""
import json
import sys

LIBS = ["soxr", "speexdsp", "libsamplerate"]


def medians(path):
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        name = b["name"]
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") != "median":
                continue
            name = name[: -len("_median")]
        out[name] = b
    return out


def main():
    runs = medians(sys.argv[1])
    print("| Conversion (block) | Ours: ns per output | M outputs/s | soxr | speexdsp | libsamplerate |")
    print("|---|---|---|---|---|---|")
    for name, run in runs.items():
        parts = name.split("/")
        if len(parts) != 4 or parts[0] != "SRC" or parts[1] != "ours":
            continue
        ours = 1e9 / run["items_per_second"]
        cells = []
        for lib in LIBS:
            other = runs.get("/".join(["SRC", lib, parts[2], parts[3]]))
            cells.append("%.2f" % ((1e9 / other["items_per_second"]) / ours) if other else "-")
        print("| %s %s | %.2f | %.0f | %s |" % (parts[2], parts[3], ours, run["items_per_second"] / 1e6,
                                             " | ".join(cells)))
    peak = runs.get("SRCPeak/multiply-add")
    wide = runs.get("SRCPeak/multiply-add-avx2")
    peaks = {False: peak["MACs"] if peak else None, True: wide["MACs"] if wide else None}
    print()
    for label, rate in (("SSE2", peaks[False]), ("AVX2", peaks[True])):
        if rate:
            print("- Peak, %s, one core: %.1f G multiply-adds/s" % (label, rate / 1e9))
    print()
    print("| Stage | Loops | Multiply-adds per output | M outputs/s | G multiply-adds/s | Fraction of peak |")
    print("|---|---|---|---|---|---|")
    for name, run in runs.items():
        if not name.startswith("SRCStage/"):
            continue
        parts = name.split("/")
        avx2 = bool(run.get("AVX2"))
        loops = "AVX2" if avx2 else "SSE2"
        rate = run["MACs"]
        peak_rate = peaks[avx2]
        frac = "%.0f%%" % (100.0 * rate / peak_rate) if peak_rate else "-"
        print("| %s | %s | %.1f | %.0f | %.2f | %s |" % (parts[1], loops, run["MACperOut"],
                                                       run["items_per_second"] / 1e6, rate / 1e9, frac))


if __name__ == "__main__":
    main()
