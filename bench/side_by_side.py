#!/usr/bin/env python3
"""Times a Velkor command and a reference command side by side with hyperfine.

    side_by_side.py LABEL TARGET ROUNDS RUNS PREPARE_A COMMAND_A PREPARE_B COMMAND_B

The two commands take turns: each of ROUNDS rounds runs hyperfine once with both
(RUNS runs of each, every run after its PREPARE command), so that a change of load on a
shared machine falls on both alike; commands run without a shell (plain words only). The
result is the ratio of the medians of all runs; it prints one line and exits 1 when the
ratio is above TARGET. The ratio of the CPU times
(user + system, medians of the rounds' means) is printed too: on a loaded machine it
shows what the wall-clock ratio hides.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile


def main() -> int:
    label, target, rounds, runs, prepare_a, command_a, prepare_b, command_b = sys.argv[1:9]
    target, rounds, runs = float(target), int(rounds), int(runs)
    times_a, times_b = [], []
    cpu_a, cpu_b = [], []  # per round: mean user + system seconds
    with tempfile.TemporaryDirectory() as scratch:
        export = os.path.join(scratch, "t.json")
        for _ in range(rounds):
            subprocess.run(["hyperfine", "-N", "--style", "none", "--warmup", "1", "--runs", str(runs),
                            "--prepare", prepare_a, "--prepare", prepare_b, "--export-json", export,
                            command_a, command_b], check=True, stdout=subprocess.DEVNULL)
            with open(export) as f:
                results = json.load(f)["results"]
            times_a += results[0]["times"]
            times_b += results[1]["times"]
            cpu_a.append(results[0]["user"] + results[0]["system"])
            cpu_b.append(results[1]["user"] + results[1]["system"])
    a, b = statistics.median(times_a), statistics.median(times_b)
    ratio = a / b
    met = ratio <= target
    print(f"{label:<34} velkor {a * 1000:8.1f} ms   reference {b * 1000:8.1f} ms   "
          f"ratio {ratio:5.2f} (target {target:g}x, {'met' if met else 'MISSED'})   "
          f"CPU time ratio {statistics.median(cpu_a) / max(statistics.median(cpu_b), 1e-6):5.2f}", flush=True)
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
