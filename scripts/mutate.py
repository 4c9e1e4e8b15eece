#!/usr/bin/env python3
"""Mutation check, run by hand: small faults are put into product files one at a time,
the relevant tests are built and run, and a fault the tests still pass with (a surviving
mutant) shows a gap in the tests.

    python3 scripts/mutate.py --build "CMD" --test "CMD" [--sample N] [--seed S] FILE...

--build and --test are shell commands run from the source root (the build may fail: the
mutant then does not count). Faults: flipped comparisons, off-by-one limits (a number
compared with, or a bound, moved by one), swapped table rows (two neighbouring rows of
an initializer table) and dropped statements. With --sample, that many mutants per file
are drawn at random (reproducibly, from --seed). Every file is restored after each
mutant, also when the run is interrupted.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import time
from pathlib import Path

FLIPS = [(" < ", " >= "), (" > ", " <= "), (" <= ", " > "), (" >= ", " < "), (" == ", " != "), (" != ", " == ")]
COMPARED_NUMBER = re.compile(r"(<=|>=|<|>|==|!=)\s*(\d+)\b(?![.xXeEfF])")
ROW = re.compile(r"^\s*\{.*\},?\s*(//.*)?$")
STATEMENT = re.compile(r"^\s*[A-Za-z_][\w:\.\->\[\]]*(\(.*\)|\s*[-+*/|&]?=\s*.+|\+\+|--);\s*(//.*)?$")


def code_lines(text):
    """Indexes of lines worth mutating: not blank, not comments, not preprocessor lines."""
    out = []
    for i, line in enumerate(text):
        s = line.strip()
        if not s or s.startswith(("//", "*", "/*", "#")):
            continue
        out.append(i)
    return out


def mutants(lines):
    """Every mutant of a file as (description, line index, new lines for that index...)."""
    found = []
    for i in code_lines(lines):
        line = lines[i]
        code = line.split("//")[0]
        for old, new in FLIPS:
            start = 0
            while (pos := code.find(old, start)) >= 0:
                found.append((f"line {i + 1}: '{old.strip()}' -> '{new.strip()}'", i,
                              [line[:pos] + new + line[pos + len(old):]]))
                start = pos + len(old)
        for m in COMPARED_NUMBER.finditer(code):
            n = int(m.group(2))
            for moved in (n + 1, n - 1):
                if moved < 0:
                    continue
                new_line = line[:m.start(2)] + str(moved) + line[m.end(2):]
                found.append((f"line {i + 1}: limit {n} -> {moved}", i, [new_line]))
        if ROW.match(line) and i + 1 < len(lines) and ROW.match(lines[i + 1]) and line.strip() != lines[i + 1].strip():
            a, b = line.rstrip("\n"), lines[i + 1].rstrip("\n")
            # Keep each line's trailing comma where it was, so the last row stays last.
            ac, bc = a.rstrip().endswith(","), b.rstrip().endswith(",")
            a2 = b.rstrip().rstrip(",") + ("," if ac else "")
            b2 = a.rstrip().rstrip(",") + ("," if bc else "")
            found.append((f"lines {i + 1}-{i + 2}: rows swapped", i, [a2 + "\n", b2 + "\n"], 2))
        if STATEMENT.match(code) and not code.strip().startswith(("return", "break", "continue", "case", "default")):
            found.append((f"line {i + 1}: statement dropped", i, [""]))
    return [m if len(m) == 4 else m + (1,) for m in found]


def run(cmd, root, timeout):
    # A mutant that crashes a program under Wine must end the run, not wait in Wine's
    # debugger until the timeout.
    env = dict(os.environ)
    env["WINEDLLOVERRIDES"] = ";".join(filter(None, [env.get("WINEDLLOVERRIDES"), "winedbg.exe=d"]))
    try:
        return subprocess.run(cmd, shell=True, cwd=root, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, env=env).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", required=True)
    ap.add_argument("--test", required=True)
    ap.add_argument("--sample", type=int, default=0)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--timeout", type=int, default=900, help="seconds for one build or test run")
    ap.add_argument("--root", default=str(Path(__file__).resolve().parent.parent))
    ap.add_argument("files", nargs="+")
    args = ap.parse_args()
    root = Path(args.root)

    if run(args.build, root, args.timeout) != 0 or run(args.test, root, args.timeout) != 0:
        sys.exit("the unmutated build or tests fail: nothing to measure")

    totals = {"killed": 0, "survived": 0, "not built": 0}
    survivors = []
    rng = random.Random(args.seed)
    for name in args.files:
        path = root / name
        original = path.read_text()
        lines = original.splitlines(keepends=True)
        candidates = mutants(lines)
        chosen = sorted(rng.sample(candidates, args.sample), key=lambda m: m[1]) \
            if args.sample and len(candidates) > args.sample else candidates
        print(f"{name}: {len(candidates)} mutants, {len(chosen)} run", flush=True)
        counts = {"killed": 0, "survived": 0, "not built": 0}
        try:
            for desc, index, new, span in chosen:
                path.write_text("".join(lines[:index] + new + lines[index + span:]))
                began = time.time()
                if run(args.build, root, args.timeout) != 0:
                    outcome = "not built"
                else:
                    outcome = "survived" if run(args.test, root, args.timeout) == 0 else "killed"
                counts[outcome] += 1
                if outcome == "survived":
                    survivors.append(f"{name} {desc}: {lines[index].strip()}")
                print(f"  {desc}: {outcome} ({time.time() - began:.0f} s)", flush=True)
        finally:
            path.write_text(original)
            run(args.build, root, args.timeout)
        tried = counts["killed"] + counts["survived"]
        print(f"{name}: {counts['killed']} of {tried} killed, {counts['not built']} not built", flush=True)
        for k in totals:
            totals[k] += counts[k]

    tried = totals["killed"] + totals["survived"]
    print(f"total: {totals['killed']} of {tried} killed"
          f" ({100.0 * totals['killed'] / tried if tried else 0:.0f}%), {totals['not built']} not built")
    for s in survivors:
        print("survived:", s)


if __name__ == "__main__":
    main()
