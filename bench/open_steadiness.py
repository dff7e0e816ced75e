#!/usr/bin/env python3
"""Opens generated files of several sizes N times each (a fresh process per
open, the sizes alternating) and prints, per size, the median and spread of
the open beside one plain read() of the same bytes into a fresh buffer, and
the peak memory the open adds over the file's size.

Usage: open_steadiness.py OURS [--runs N] [--sizes L1 L2 ...] [--fragment FRAG]

OURS is build-rel/bin/bench_open_figures. With --fragment (FRAG is
build-rel/bin/bench_fragment_memory) free memory is broken into 4 KB pieces
first and held so while the files are opened, as on a machine that has run
for a while.
"""
import argparse
import os
import statistics
import subprocess
import sys


def figures(command):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    out = subprocess.run(command, env=env, check=True, capture_output=True, text=True).stdout
    values = {}
    for pair in out.split():
        key, _, value = pair.partition("=")
        try:
            values[key] = float(value)
        except ValueError:
            pass
    return values


def asm_file(lines):
    tmp = os.environ.get("TMPDIR", "/tmp")
    path = os.path.join(tmp, "torvane-bench", f"asm_{lines}.asm")
    if not os.path.exists(path):
        here = os.path.dirname(os.path.abspath(__file__))
        gen = os.path.join(here, "..", "..", "shared", "bench", "gen_asm.py")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run([sys.executable, gen, str(lines), path], check=True)
    return path


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ours")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", type=int, nargs="+", default=[100_000, 1_000_000, 10_000_000])
    parser.add_argument("--fragment")
    args = parser.parse_args()
    paths = {lines: asm_file(lines) for lines in args.sizes}

    holder = None
    if args.fragment:
        holder = subprocess.Popen([args.fragment], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
        if holder.stdout.readline().strip() != "ready":
            sys.exit("the fragmenter did not get ready: " + holder.stderr.read())
    load_before = load()
    runs = {lines: [] for lines in args.sizes}
    try:
        for _ in range(args.runs):
            for lines in args.sizes:
                runs[lines].append(figures([args.ours, paths[lines]]))
    finally:
        if holder is not None:
            holder.stdin.close()
            fragmented = holder.stderr.read().strip().replace("\n", "; ")
            holder.wait()
    print(f"runs={args.runs} load_before={load_before!r} load_after={load()!r}"
          + (f" fragmented: {fragmented}" if holder is not None else ""))
    header = ["lines", "file MB", "plain read", "open median", "open min-max", "slowest/median",
              "open/read", "peak/file", "first paint"]
    print(" | ".join(header))
    for lines in args.sizes:
        r = runs[lines]
        opens = [x["load_ms"] for x in r]
        median = statistics.median(opens)
        ratios = [x["load_ms"] / x["plain_read_ms"] for x in r]
        print(" | ".join([
            f"{lines:,}",
            f"{r[0]['file_mb']:.1f}",
            f"{statistics.median(x['plain_read_ms'] for x in r):.1f} ms",
            f"{median:.1f} ms",
            f"{min(opens):.1f}-{max(opens):.1f} ms",
            f"{max(opens) / median:.2f}",
            f"{statistics.median(ratios):.2f} (max {max(ratios):.2f})",
            f"{statistics.median(x['rss_open_over_file'] for x in r):.2f}",
            f"{statistics.median(x['paint_ms'] for x in r):.1f} ms",
        ]))


if __name__ == "__main__":
    main()
