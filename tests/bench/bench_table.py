#!/usr/bin/env python3
"""./zev bench's table: every benchmark's figures from its last run, each beside its aim
and its floor (the same work without the tool, measured in the same run).

    bench_table.py FOLDER      (the benchmarks' figures, build/bench)

A figure that misses its aim is marked; the exit code is 1 when one does, so a slower
tool cannot pass unseen (the benchmarks themselves assert nothing)."""
import glob
import json
import os
import sys

ORDER = ["download_bench", "rfc2217_bench", "settings_bench", "monitor_bench", "kora_latency_bench", "connect_stress_bench",
         "line_bench", "eventlog_bench",
         "framer_bench"]


def number(value):
    if value is None:
        return ""
    return "%.3g" % value if abs(value) < 100 else "%.0f" % value


def misses(figure):
    aim = figure.get("aim")
    if aim is None:
        return False
    return figure["value"] > aim if figure.get("lower_is_better", True) else figure["value"] < aim


def rows(folder):
    files = sorted(glob.glob(os.path.join(folder, "*.jsonl")),
                   key=lambda p: (ORDER.index(os.path.basename(p)[:-6]) if os.path.basename(p)[:-6] in ORDER
                                  else len(ORDER), p))
    for path in files:
        bench = os.path.basename(path)[:-len(".jsonl")]
        with open(path) as f:
            for line in f:
                if line.strip():
                    yield bench, json.loads(line)


def main(argv):
    folder = argv[0] if argv else "build/bench"
    table = [("benchmark", "figure", "value", "aim", "floor", "x floor", "unit", "")]
    missed = 0
    for bench, figure in rows(folder):
        aim = figure.get("aim")
        mark = ""
        if misses(figure):
            mark = "MISSES ITS AIM"
            missed += 1
        elif aim is not None:
            mark = "ok"
        shown_aim = "" if aim is None else ("<= " if figure.get("lower_is_better", True) else ">= ") + number(aim)
        # The figure as a multiple of its floor: a tool that holds an answer back 20 ms
        # shows ten times its usual multiple, whatever the machine's own speed.
        floor = figure.get("floor")
        times = "%.2f" % (figure["value"] / floor) if floor else ""
        table.append((bench, figure["name"], number(figure["value"]), shown_aim, number(floor), times,
                      figure["unit"], mark + ("  (%s)" % figure["note"] if figure.get("note") else "")))
    if len(table) == 1:
        print("no benchmark figures in %s" % folder)
        return 1
    widths = [max(len(row[i]) for row in table) for i in range(7)]
    print()
    for n, row in enumerate(table):
        print("  ".join(cell.rjust(widths[i]) if i in (2, 3, 4, 5) else cell.ljust(widths[i])
                        for i, cell in enumerate(row[:7])) + "  " + row[7])
        if n == 0:
            print("  ".join("-" * w for w in widths))
    print()
    if missed:
        print("%d figure%s missed %s aim" % (missed, "" if missed == 1 else "s", "its" if missed == 1 else "their"))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
