#!/usr/bin/python3
"""Runs bench/series_bench (the viewer's series after its load) and
bench/numpy_series.py (the same series with numpy) alternately on the same
file, each a fresh process, and prints the medians: the load, the series
and their ratio, numpy's times, and numpy's time over the viewer's.

    /usr/bin/python3 bench/series_driver.py [ROUNDS] [MEGABYTES] [FOLDER]

ROUNDS is 5 unless said (at least 3); the file, the benchmarks' random
table of 30 bodies (300 MB unless said), is written to FOLDER (a temporary
folder unless said, kept then for the next run) by `series_bench --write`.
Wants the release build: cmake --preset release && cmake --build --preset
release --target series_bench.
"""

import os
import re
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.path.join(HERE, "..", "build", "release", "bench", "series_bench")
NUMPY = os.path.join(HERE, "numpy_series.py")


def load_average():
    with open("/proc/loadavg") as file:
        return " ".join(file.read().split()[:3])


def seconds(output, key):
    """The first number after `key` in the output; None when absent."""
    found = re.search(rf"^{key} ([0-9.]+)", output, re.MULTILINE)
    return float(found.group(1)) if found else None


def run(arguments):
    done = subprocess.run(arguments, capture_output=True, text=True, check=True)
    return done.stdout


def main(rounds, megabytes, folder):
    config = os.path.join(folder, "big.ovx")
    if not os.path.exists(config):
        print(run([BENCH, "--write", folder, str(megabytes)]), end="")
    print("numpy's first reading of the file (kept for the rounds)...", flush=True)
    run(["/usr/bin/python3", NUMPY, config])
    print(f"load average before: {load_average()}")
    times = {key: [] for key in ("load", "body", "energy", "np_body", "np_energy")}
    checks = ("", "")
    for round_ in range(rounds):
        ours = run([BENCH, config])
        theirs = run(["/usr/bin/python3", NUMPY, config])
        times["load"].append(seconds(ours, "load_s"))
        times["body"].append(seconds(ours, "body_series_s"))
        times["energy"].append(seconds(ours, "energy_s"))
        times["np_body"].append(seconds(theirs, "numpy_body_series_s"))
        times["np_energy"].append(seconds(theirs, "numpy_energy_s"))
        print(
            f"round {round_ + 1}: load {times['load'][-1]:.3f} s, series {times['body'][-1]:.3f} s "
            f"+ energy {times['energy'][-1] or 0:.3f} s; numpy {times['np_body'][-1]:.3f} s "
            f"+ energy {times['np_energy'][-1] or 0:.3f} s; load average {load_average()}",
            flush=True,
        )
        checks = ("\n".join(re.findall(r"^check.*", ours, re.MULTILINE)),
                  "\n".join(re.findall(r"^check.*", theirs, re.MULTILINE)))
    median = {key: statistics.median(v) if None not in v else None for key, v in times.items()}
    print(f"load average after: {load_average()}")
    print(f"medians of {rounds} rounds:")
    print(f"  load {median['load']:.3f} s")
    print(
        f"  r, a, e, eps of every body: {median['body']:.3f} s = {median['body'] / median['load']:.2f} x the load; "
        f"numpy {median['np_body']:.3f} s = {median['np_body'] / median['body']:.2f} x the viewer's"
    )
    if median["energy"] is not None and median["np_energy"] is not None:
        ours = median["body"] + median["energy"]
        theirs = median["np_body"] + median["np_energy"]
        print(
            f"  the system's energy: {median['energy']:.3f} s; numpy {median['np_energy']:.3f} s = "
            f"{median['np_energy'] / median['energy']:.2f} x the viewer's"
        )
        print(
            f"  all of them: {ours:.3f} s = {ours / median['load']:.2f} x the load; numpy {theirs:.3f} s = "
            f"{theirs / ours:.2f} x the viewer's"
        )
    else:
        print("  the system's energy: not computed, the configuration gives no masses")
    print("the viewer's values of body 1 and the system, then numpy's:")
    print(checks[0])
    print(checks[1])


if __name__ == "__main__":
    rounds = max(3, int(sys.argv[1])) if len(sys.argv) > 1 else 5
    megabytes = float(sys.argv[2]) if len(sys.argv) > 2 else 300.0
    folder = sys.argv[3] if len(sys.argv) > 3 else tempfile.mkdtemp(prefix="orbivex-series-")
    main(rounds, megabytes, folder)
