#!/usr/bin/env python3
"""Times a Velkor command and a reference command side by side with hyperfine.

    side_by_side.py LABEL TARGET ROUNDS RUNS PREPARE_A COMMAND_A PREPARE_B COMMAND_B

The two commands take turns: each of ROUNDS rounds runs hyperfine once with both
(RUNS runs of each, every run after its PREPARE command), so that a change of load on a
shared machine falls on both alike, and each round starts with the command that went
second in the round before, so that neither always runs in the wake of the other (or of
whatever ran before the script: file systems keep working for a while after big
deletes); commands run without a shell (plain words only). The
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
        for round_number in range(rounds):
            a_first = round_number % 2 == 0
            pairs = [(prepare_a, command_a), (prepare_b, command_b)]
            if not a_first:
                pairs.reverse()
            subprocess.run(["hyperfine", "-N", "--style", "none", "--warmup", "1", "--runs", str(runs),
                            "--prepare", pairs[0][0], "--prepare", pairs[1][0], "--export-json", export,
                            pairs[0][1], pairs[1][1]], check=True, stdout=subprocess.DEVNULL)
            with open(export) as f:
                results = json.load(f)["results"]
            result_a, result_b = results if a_first else reversed(results)
            times_a += result_a["times"]
            times_b += result_b["times"]
            cpu_a.append(result_a["user"] + result_a["system"])
            cpu_b.append(result_b["user"] + result_b["system"])
    a, b = statistics.median(times_a), statistics.median(times_b)
    ratio = a / b
    met = ratio <= target
    print(f"{label:<34} velkor {a * 1000:8.1f} ms   reference {b * 1000:8.1f} ms   "
          f"ratio {ratio:5.2f} (target {target:g}x, {'met' if met else 'MISSED'})   "
          f"CPU time ratio {statistics.median(cpu_a) / max(statistics.median(cpu_b), 1e-6):5.2f}", flush=True)
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
