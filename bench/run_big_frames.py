#!/usr/bin/env python3
"""Runs Ravlo's large-frame benchmarks and the Python reference in the same run and prints
Ravlo's time, the reference's time and their ratio.

  (a) a 100 000-device get_devices_resp (about 77 MB): Ravlo from textMessageReceived to the
      filled device table, against Python's json.loads of the same text;
  (b) the chunked manage_devices_req texts of a 100 000-device bulk run: Ravlo writing them from
      its records, against Python building the same objects and json.dumps;
  plus the longest pause of Ravlo's GUI thread, its peak memory and the time Qt takes to receive
  the frame (not counted), and with --with-sim the simulator's own benchmark.

Usage: bench/run_big_frames.py [--build BUILD_DIR] [--work DIR] [--with-sim]
The build must be configured with -DRAVLO_BUILD_BENCH=ON.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

ROUNDS = 3
BULK_DEVICES = 100000
CHUNK = 1000


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def run_ravlo(binary, fixture, benchmark_filter):
    env = dict(os.environ, RAVLO_BENCH_FIXTURE=fixture, QT_QPA_PLATFORM="offscreen")
    out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_filter=" + benchmark_filter],
                         env=env, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return {b["name"].split("/")[0]: b for b in json.loads(out.stdout)["benchmarks"]}


def run_ravlo_all(binary, fixture, benchmark_filter):
    """Every run by its name and argument."""
    env = dict(os.environ, RAVLO_BENCH_FIXTURE=fixture, QT_QPA_PLATFORM="offscreen")
    out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_filter=" + benchmark_filter],
                         env=env, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return {"/".join(b["name"].split("/")[:2]): b for b in json.loads(out.stdout)["benchmarks"]}


def ms(benchmark):
    factor = {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[benchmark["time_unit"]]
    return benchmark["real_time"] * factor


# ---- (b) the same records as the benchmark's bulkDevice(n) -----------------------------------

def bulk_record(n):
    return {
        "devEui": "70B3D5E75E%06X" % n, "appEui": "0000000000000001",
        "appKey": ("0123456789ABCDEF01234567%08x" % n).upper(), "devAddress": 0xFC000000 + n,
        "appsKey": ("00112233445566778899AABBCC%06x" % n).upper(),
        "nwksKey": ("FFEEDDCCBBAA998877665544%08x" % n).upper(),
        "devName": "Счётчик воды %d" % n, "devClass": "CLASS_A",
        "freq": {4: 864100000, 5: 864300000, 6: 864500000, 7: 864700000, 8: 864900000},
        "freqRx2": 869100000, "rxWindow": 2, "delayRx1": 1, "delayJoin1": 5, "reactionTime": -1,
        "altitude": 150, "longitude": 37.6173, "latitude": 55.7558, "preferDr": 5, "preferPower": 14,
        "drRx2": 0, "classCGate": -1, "useDownlinkQueueClassC": False, "serverAdrEnable": True,
        "channelEn": [i < 8 for i in range(16)], "hasAbp": False, "hasOtaa": False,
    }


def unset_coordinate(value):
    return abs(value + 1.0) * 1e12 <= min(abs(value), 1.0)


def device_object(r):
    """The device object by the same rules as Ravlo's request builder."""
    otaa, abp = r["hasOtaa"], r["hasAbp"]
    neither = not otaa and not abp
    with_mask = neither or (otaa and abp)
    with_abp = neither or (abp and not otaa)
    with_otaa = neither or (otaa and not abp)
    d = {"devEui": r["devEui"]}
    if r["devName"] or neither:
        d["devName"] = r["devName"]
    if r["devClass"]:
        d["class"] = r["devClass"]
    if with_mask:
        if r["reactionTime"] >= 0:
            d["reactionTime"] = r["reactionTime"]
        if r["classCGate"] > 0:
            d["useDownlinkQueueClassC"] = r["useDownlinkQueueClassC"]
    plan = {"freq%d" % c: f for c, f in r["freq"].items() if f >= 0}
    if plan or neither:
        d["frequencyPlan"] = plan
    if r["freqRx2"] >= 0:
        d["freqRx2"] = r["freqRx2"]
    if with_mask:
        d["channelMask"] = {"channel%dEn" % (i + 1): on for i, on in enumerate(r["channelEn"])}
    for key in ("preferDr", "preferPower"):
        if r[key] >= 0:
            d[key] = r[key]
    for key in ("rxWindow", "delayRx1", "drRx2", "delayJoin1"):
        if r[key] != -1:
            d[key] = r[key]
    position = {}
    for key in ("longitude", "latitude"):
        if not unset_coordinate(r[key]):
            position[key] = r[key]
    if r["altitude"] != -1:
        position["altitude"] = r["altitude"]
    if position:
        d["position"] = position
    if with_abp:
        a = {}
        if r["devAddress"]:
            a["devAddress"] = r["devAddress"]
        for key in ("appsKey", "nwksKey"):
            if r[key]:
                a[key] = r[key]
        if a:
            d["ABP"] = a
    if with_otaa:
        d["OTAA"] = {"appEui": r["appEui"], "appKey": r["appKey"]}
    d["serverAdrEnable"] = r["serverAdrEnable"]
    return d


def bulk_texts(records):
    texts = []
    for first in range(0, len(records), CHUNK):
        request = {"cmd": "manage_devices_req",
                   "devices_list": [device_object(r) for r in records[first:first + CHUNK]]}
        texts.append(json.dumps(request, ensure_ascii=False, separators=(",", ":")))
    return texts


def timed(function, rounds=ROUNDS):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        result = function()
        times.append((time.perf_counter() - start) * 1000)
        del result
    return statistics.mean(times)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--work", default="/tmp/ravlo-bench")
    parser.add_argument("--with-sim", action="store_true")
    args = parser.parse_args()
    binary = os.path.join(args.build, "bench", "server", "bench_big_frames")
    if not os.path.exists(binary):
        sys.exit("no %s: configure with -DRAVLO_BUILD_BENCH=ON and build bench_big_frames" % binary)
    os.makedirs(args.work, exist_ok=True)
    fixture = os.path.join(args.work, "devices-100k.json")
    if not os.path.exists(fixture):
        subprocess.run([binary, "--make-fixture", fixture], check=True, stderr=subprocess.DEVNULL,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    chunk_file = os.path.join(args.work, "first-chunk.json")
    subprocess.run([binary, "--dump-chunk", chunk_file], check=True, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))

    print("load average at start: %s" % load())
    # (a)
    tables = run_ravlo_all(binary, fixture, "BM_DeviceTableFromLargeFrame")
    table = tables["BM_DeviceTableFromLargeFrame/1"]
    qt_table = tables.get("BM_DeviceTableFromLargeFrame/0")
    with open(fixture, encoding="utf-8") as f:
        text = f.read()
    loads_ms = timed(lambda: json.loads(text))
    del text
    # (b)
    records = [bulk_record(n) for n in range(BULK_DEVICES)]
    with open(chunk_file, encoding="utf-8") as f:
        if json.loads(f.read()) != json.loads(bulk_texts(records[:CHUNK])[0]):
            sys.exit("the Python reference does not build the objects Ravlo writes")
    ravlo_bulk = run_ravlo(binary, fixture, "BM_BulkRequests")
    dumps_ms = timed(lambda: bulk_texts(records))

    frame_mb = table["frame_MB"]
    print()
    print("(a) get_devices_resp of %d devices, %.1f MB" % (int(table["rows"]), frame_mb))
    print("    Ravlo, textMessageReceived -> filled table: %8.0f ms" % ms(table))
    print("    Python json.loads of the same text:         %8.0f ms" % loads_ms)
    print("    ratio:                                      %8.2f  (goal <= 0.5)" % (ms(table) / loads_ms))
    print("    longest GUI-thread gap (10 ms timer):       %8.1f ms (goal <= 100)" % table["longest_gui_gap_ms"])
    print("    peak memory above idle, x frame size:       %8.2f  (goal <= 4; %.2f from arrival on)"
          % (table["peak_x_frame"], table["handling_peak_x_frame"]))
    print("    Qt receiving the frame (not counted):       %8.0f ms (request sent -> textMessageReceived)"
          % table["qt_receive_ms"])
    if qt_table:
        print("    (read on the GUI thread with Qt's JSON classes: %.0f ms, longest gap %.0f ms, peak x%.2f)"
              % (ms(qt_table), qt_table["longest_gui_gap_ms"], qt_table["peak_x_frame"]))
    written = ravlo_bulk["BM_BulkRequestsWritten"]
    print("(b) manage_devices_req of %d devices in chunks of %d" % (BULK_DEVICES, CHUNK))
    print("    Ravlo, built and written:                   %8.0f ms" % ms(written))
    print("    Python, built and json.dumps:               %8.0f ms" % dumps_ms)
    print("    ratio:                                      %8.2f  (goal <= 0.5)" % (ms(written) / dumps_ms))
    if "BM_BulkRequestsWithJsonClasses" in ravlo_bulk:
        print("    (Ravlo through Qt's JSON classes:           %8.0f ms)"
              % ms(ravlo_bulk["BM_BulkRequestsWithJsonClasses"]))
    if args.with_sim:
        sim = os.path.join(args.build, "bench", "tools", "bench_lns_sim")
        out = subprocess.run([sim, "--benchmark_format=json",
                              "--benchmark_filter=BM_ManageDevices|BM_GetAllDevices"],
                             check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        print("(d) simulator (goals: 10 000-device registration < 500 ms, whole list of 100 000 < 1000 ms;")
        print("    the Handler lines are the simulator alone, the WebSocket lines include Qt sending and")
        print("    receiving the frames and the client's parse, all on one thread)")
        for b in json.loads(out.stdout)["benchmarks"]:
            print("    %-45s %8.0f ms" % (b["name"], ms(b)))
    print()
    print("load average at end: %s" % load())


if __name__ == "__main__":
    main()
