#!/usr/bin/env python3
"""Reads a 100 000-line device file (10.5 MB) with Ravlo's parser into the bulk-load dialog's
model and with a plain Python loop doing the same split and upper-casing, side by side, and
prints both times and their ratio; then the matching of 100 000 results to rows, and (unless
--no-run) the whole registration of the file against the simulator.

Build first:  RAVLO_WITH_BENCH=1 tools/build.sh -DRAVLO_BUILD_BENCH=ON
Run:          bench/intake/run_device_file_bench.py [--build build] [--no-run]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

LINES = 100_000
UPPER_KEYS = ("DevEUI", "AppKey", "AppEUI", "AppSKey", "NwkSKey")


def device_line(i):
    # The same lines as bench/intake/DeviceFileText.h.
    return ("DevEUI=70b3d5e75e%06x AppEUI=70b3d5e75e000001 AppKey=2b7e151628aed2a6abf71588%08x "
            "SerNum=SN%07d\n" % (i, i, i))


def python_parse(path):
    """The plain loop: split each line at blanks, each token at its first '=', upper-case the keys."""
    devices = []
    with open(path, encoding="utf-8", newline="") as f:
        for line in f:
            parts = line.rstrip("\r\n").split(" ")
            if len(parts) < 3:
                continue
            device = {}
            for part in parts:
                key, eq, value = part.partition("=")
                if not eq:
                    continue
                if key in UPPER_KEYS:
                    device[key] = value.upper()
                elif key == "DevAdd":
                    try:
                        device[key] = int(value, 16)
                    except ValueError:
                        device[key] = 0
                elif key == "SerNum":
                    device[key] = value
            if device.get("DevEUI") and device.get("AppEUI") and device.get("AppKey"):
                devices.append(device)
    return devices


def run_benchmark(program, bench_filter, env, cwd):
    out = subprocess.run([program, "--benchmark_filter=" + bench_filter, "--benchmark_format=json"],
                         env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True)
    return json.loads(out.stdout)["benchmarks"]


def ms(benchmark):
    factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[benchmark["time_unit"]]
    return benchmark["real_time"] * factor


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(here, "..", "..", "build"))
    parser.add_argument("--rounds", type=int, default=5, help="Python rounds; the best one counts")
    parser.add_argument("--no-run", action="store_true", help="skip the run against the simulator")
    args = parser.parse_args()
    bench_dir = os.path.join(os.path.abspath(args.build), "bench", "intake")

    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "devices.csv")
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.writelines(device_line(i) for i in range(LINES))
        size = os.path.getsize(path)
        print("load: %s" % open("/proc/loadavg").read().strip())
        print("device file: %d lines, %.1f MB" % (LINES, size / 1e6))

        best = None
        for _ in range(args.rounds):
            start = time.perf_counter()
            devices = python_parse(path)
            elapsed = (time.perf_counter() - start) * 1000
            best = elapsed if best is None else min(best, elapsed)
        assert len(devices) == LINES

        env = dict(os.environ, RAVLO_DEVICE_FILE=path, QT_QPA_PLATFORM="offscreen")
        results = run_benchmark(os.path.join(bench_dir, "bench_device_file"), ".", env, work)
        by_name = {b["name"].split("/")[0]: b for b in results}
        model = ms(by_name["BM_ParseFileIntoModel"])
        dialog = ms(by_name["BM_LoadIntoDialog"])
        match = ms(by_name["BM_MatchResults"])
        print("parse into the model:  Ravlo %7.1f ms   Python %7.1f ms   ratio Python/Ravlo %.1f"
              % (model, best, best / model))
        print("load into the dialog:  Ravlo %7.1f ms   (model, table sized to its contents)" % dialog)
        print("match 100 000 results: Ravlo %7.1f ms" % match)

        if not args.no_run:
            run = run_benchmark(os.path.join(bench_dir, "bench_bulk_run"), ".", env, work)[0]
            print("whole run, 100 000 devices against the simulator: %.1f s, %d requests, longest stall %d ms, "
                  "%d rows without status (%s)"
                  % (ms(run) / 1000, run["requests"], run["longest_stall_ms"], run["rows_without_status"],
                     run.get("label", "")))
        print("load: %s" % open("/proc/loadavg").read().strip())
    return 0


if __name__ == "__main__":
    sys.exit(main())
