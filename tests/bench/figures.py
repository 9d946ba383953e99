"""The figures of a benchmark, kept for ./zev bench's table (bench_table.py).

Each figure is one JSON line in ZEV_BENCH_FIGURES/<bench>.jsonl (the folder ctest gives
the benchmarks): its value beside its aim and its floor, measured in the same run where
there is one. A benchmark starts its file afresh, so the table shows the last run."""
import json
import os


class Figures:
    def __init__(self, bench):
        folder = os.environ.get("ZEV_BENCH_FIGURES")
        self.path = os.path.join(folder, bench + ".jsonl") if folder else None
        if self.path:
            os.makedirs(folder, exist_ok=True)
            open(self.path, "w").close()

    def add(self, name, value, unit, aim=None, floor=None, lower_is_better=True, note=""):
        """One figure. `aim` is the value it must not pass (above when lower is better,
        below otherwise); `floor` what the same work costs without the tool."""
        if not self.path:
            return
        with open(self.path, "a") as f:
            f.write(json.dumps({"name": name, "value": value, "unit": unit, "aim": aim, "floor": floor,
                                "lower_is_better": lower_is_better, "note": note}) + "\n")
