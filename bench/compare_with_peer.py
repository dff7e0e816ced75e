#!/usr/bin/env python3
"""Runs our open benchmark and both peers' benchmarks on the same file, N
times each (alternating, a fresh process each time), and prints the medians
side by side in one table, with the machine's load before and after.

Usage: compare_with_peer.py OURS PEER [FILE] [--qpte QPTE] [--runs N] [--long-line MB]

OURS is build-rel/bin/bench_open_figures, PEER the peer component's
qsci_bench (built as ../shared/bench/peer/README.md says), QPTE our harness
of Qt's QPlainTextEdit with a NASM QSyntaxHighlighter (default:
bench_qpte_figures beside OURS; "none" leaves it out: on files of millions
of lines it takes minutes). FILE defaults to the generated
1,000,000-line file. The ratio columns are ours over each peer (below 1:
ours is faster or smaller). --long-line also runs our 50 MB-line figures
and the whole-window Open-to-title figure once per run.
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
    for line in out.splitlines():
        for pair in line.split():
            if "=" in pair:
                key, _, value = pair.partition("=")
                try:
                    values[key] = float(value)
                except ValueError:
                    pass
    return values


def medians(runs):
    keys = []
    for run in runs:
        keys += [k for k in run if k not in keys]
    return {k: statistics.median([r[k] for r in runs if k in r]) for k in keys}


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def cell(value, width=12):
    return f"{value:{width}.1f}" if value is not None else f"{'-':>{width}}"


def ratio(a, b):
    return f"{a / b:10.3f}" if a is not None and b else f"{'-':>10}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ours")
    parser.add_argument("peer")
    parser.add_argument("file", nargs="?")
    parser.add_argument("--qpte")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--long-line", type=int, default=0)
    args = parser.parse_args()
    qpte = args.qpte
    if qpte is None:
        qpte = os.path.join(os.path.dirname(os.path.abspath(args.ours)), "bench_qpte_figures")
    if qpte == "none" or not os.path.exists(qpte):
        qpte = None
    path = args.file
    if path is None:
        tmp = os.environ.get("TMPDIR", "/tmp")
        path = os.path.join(tmp, "torvane-bench", "asm_1000000.asm")
        if not os.path.exists(path):
            here = os.path.dirname(os.path.abspath(__file__))
            gen = os.path.join(here, "..", "..", "shared", "bench", "gen_asm.py")
            os.makedirs(os.path.dirname(path), exist_ok=True)
            subprocess.run([sys.executable, gen, "1000000", path], check=True)

    load_before = load()
    ours, peer, plain, extra = [], [], [], []
    for _ in range(args.runs):
        ours.append(figures([args.ours, path]))
        peer.append(figures([args.peer, path]))
        if qpte:
            plain.append(figures([qpte, path]))
        if args.long_line:
            run = {"line_" + k: v for k, v in
                   figures([args.ours, "--long-line", str(args.long_line)]).items()}
            run.update(figures([args.ours, "--window", path]))
            extra.append(run)
    load_after = load()

    ours_m, peer_m, plain_m = medians(ours), medians(peer), medians(plain)
    print(f"file={path} runs={args.runs} load_before={load_before!r} load_after={load_after!r}")
    print(f"{'figure (median)':<24}{'ours':>12}{'peer':>12}{'qplaintext':>12}"
          f"{'ours/peer':>10}{'ours/qpte':>10}")
    keys = list(ours_m) + [k for k in list(peer_m) + list(plain_m) if k not in ours_m]
    for key in dict.fromkeys(keys):
        a, b, c = ours_m.get(key), peer_m.get(key), plain_m.get(key)
        print(f"{key:<24}{cell(a)}{cell(b)}{cell(c)}{ratio(a, b)}{ratio(a, c)}")
    for key, value in medians(extra).items():
        print(f"{key:<24}{value:12.1f}")


if __name__ == "__main__":
    main()
