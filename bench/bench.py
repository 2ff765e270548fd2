#!/usr/bin/env python3
"""Solver bench: generated model-RB instances and the shared benchmark set.

Each instance runs in its own directory as mac runs (the instance as
current.txt beside a "weight" file of ones): the fast solver and the plain
variant (mac_bench --reference: the plain reader and the plain search), the
built mac once to check its status and its files against both, and a
token-by-token fscanf read of the file alone, a lower bound for any reader
built on fscanf.  Prints a table and writes it as CSV.
"""
import argparse
import csv
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time

# name, variables, values, constraints, tightness, seed, runs.  Sizes chosen
# so that the plain variant takes about 0.1 s, 1 s and 10 s; the "big" one
# is the memory check (20,000 variables), the "dom" ones have large domains.
GENERATED = [
    ("rb-80-10-unsat", 80, 10, 320, 0.41, 3, 3),
    ("rb-95-10-sat", 95, 10, 380, 0.41, 3, 3),
    ("rb-95-10-unsat", 95, 10, 380, 0.41, 2, 3),
    ("rb-120-10-sat", 120, 10, 480, 0.40, 1, 3),
    ("rb-110-10-unsat", 110, 10, 440, 0.41, 3, 3),
    ("rb-120-10-sat-b", 120, 10, 480, 0.40, 5, 3),
    ("rb-95-10-unsat-b", 95, 10, 380, 0.41, 1, 3),
    ("dom-40-100-unsat", 40, 100, 80, 0.88, 1, 3),
    ("dom-30-200-unsat", 30, 200, 60, 0.92, 2, 3),
    ("dom-20-200-sat", 20, 200, 100, 0.62, 2, 3),
    ("dom-30-100-sat", 30, 100, 150, 0.57, 3, 3),
    ("dom-40-60-sat", 40, 60, 240, 0.46, 2, 3),
    ("big-20000-10-sat", 20000, 10, 50000, 0.30, 1, 3),
]

# Instances over mac's limit of 50,000 constraints, read and then refused
# (status 255): the memory of reading 60,000 constraints.
REFUSED = [
    ("big-20000-60000-read", 20000, 10, 60000, 0.30, 1),
]


def parse_args():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--bin", required=True, help="directory of mac, mac_bench and gen_rb")
    p.add_argument("--work", required=True, help="scratch directory for the runs")
    p.add_argument("--csv", required=True, help="CSV file to write")
    p.add_argument("--shared", default=None, help="benchmark directory with MANIFEST.md")
    p.add_argument("--limit", type=float, default=40.0, help="seconds per run of a generated instance")
    p.add_argument("--shared-limit", type=float, default=20.0, help="seconds per run of a shared instance")
    p.add_argument("--only", default=None, help="regular expression on the instance names")
    p.add_argument("--before", default=None, help="another build of mac to time once per instance (the code before)")
    p.add_argument("--runs", type=int, default=3, help="runs of each variant on generated instances")
    return p.parse_args()


def run(cmd, cwd, limit, stderr_out=None):
    """Runs cmd; returns (exit status or None on time-out, stdout, cpu seconds, peak kB),
    and appends its standard error to the list stderr_out when given.

    The command runs under /usr/bin/time, whose small process forks it: the
    peak resident size of a child forked straight from this interpreter would
    start at the interpreter's own.
    """
    proc = subprocess.Popen(["/usr/bin/time", "-f", "PEAK_KB=%M"] + cmd, cwd=cwd, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, start_new_session=True)
    killed = []

    def kill():
        killed.append(True)
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass

    timer = threading.Timer(limit, kill)
    timer.start()
    out = proc.stdout.read().decode()
    err = proc.stderr.read().decode()
    if stderr_out is not None:
        stderr_out.append(err)
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = 0
    timer.cancel()
    cpu = usage.ru_utime + usage.ru_stime
    found = re.findall(r"PEAK_KB=(\d+)", err)
    peak = int(found[-1]) if found else 0
    if killed:
        return None, out, cpu, peak
    code = os.waitstatus_to_exitcode(status)
    m = re.search(r"Command exited with non-zero status (\d+)", err)
    return (int(m.group(1)) if m else code), out, cpu, peak


def measures(out):
    return {k: v for k, v in re.findall(r"(\w+)=(\S+)", out)}


def files(d):
    res = {}
    for name in ("weight", "activity", "weightCons"):
        path = os.path.join(d, name)
        res[name] = open(path, "rb").read() if os.path.exists(path) else None
    return res


class Instance:
    def __init__(self, name, path, known=None, runs=1, limit=40.0, size=None):
        self.name, self.path, self.known, self.runs, self.limit = name, path, known, runs, limit
        self.size = size  # (variables, constraints) of an instance that is refused


def generate(binaries, gen_dir, name, args):
    """The instance gen_rb writes for args (n, d, m, p, seed), generated once."""
    path = os.path.join(gen_dir, name + ".txt")
    if not os.path.exists(path):
        with open(path + ".tmp", "wb") as f:
            subprocess.run([os.path.join(binaries, "gen_rb")] + [str(x) for x in args], stdout=f, check=True)
        os.replace(path + ".tmp", path)
    return path


def prepare(inst, work, binaries):
    d = os.path.join(work, inst.name)
    os.makedirs(d, exist_ok=True)
    shutil.copyfile(inst.path, os.path.join(d, "current.txt"))
    st, _, _, _ = run([os.path.join(binaries, "mac_bench"), "--weights", "current.txt"], d, 600)
    if st != 0:
        raise RuntimeError(f"{inst.name}: cannot write the weight file")
    shutil.copyfile(os.path.join(d, "weight"), os.path.join(d, "weight.init"))
    return d


def one_run(cmd, d, limit):
    shutil.copyfile(os.path.join(d, "weight.init"), os.path.join(d, "weight"))
    st, out, cpu, peak = run(cmd, d, limit)
    return st, measures(out), cpu, peak, files(d) if st is not None else None


def bench(inst, work, binaries, before=None):
    d = prepare(inst, work, binaries)
    mb = os.path.join(binaries, "mac_bench")
    row = {"instance": inst.name}
    fast, ref, fscanf = [], [], []
    fast_files = ref_files = None
    for _ in range(inst.runs):  # interleaved, so that all see the same machine
        _, out, _, _ = run([mb, "--fscanf", "current.txt"], d, 600)
        fscanf.append(float(measures(out).get("fscanf_s", "nan")))
        st, m, cpu, peak, f = one_run([mb, "current.txt"], d, inst.limit)
        fast.append((st, m, cpu, peak))
        fast_files = fast_files or f
        if st is None:  # the plain variant would not finish either
            ref.append((None, {}, 0.0, 0))
            break
        st, m, cpu, peak, f = one_run([mb, "--reference", "current.txt"], d, inst.limit)
        ref.append((st, m, cpu, peak))
        ref_files = ref_files or f
    st_mac, cpu_mac, peak_mac, mac_files = None, 0.0, 0, None
    if fast[0][0] is not None:
        st_mac, _, cpu_mac, peak_mac, mac_files = one_run([os.path.join(binaries, "mac")], d, inst.limit)
    if before:
        st_b, _, cpu_b, peak_b, _ = one_run([before], d, inst.limit)
        row["before_cpu_s"] = cpu_b if st_b is not None else f">{inst.limit:g}"
        row["before_peak_mb"] = peak_b / 1024
        row["before_status"] = "timeout" if st_b is None else st_b
    fscanf_s = statistics.median(fscanf)

    done = [r for r in fast if r[0] is not None]
    if done:
        m = done[0][1]
        row.update(variables=m["vars"], constraints=m["ctrs"], status=m["status"], decisions=m["decisions"])
        row["load_s"] = statistics.median(float(r[1]["load_s"]) for r in done)
        row["search_s"] = statistics.median(float(r[1]["search_s"]) for r in done)
        row["cpu_s"] = statistics.median(float(r[1]["cpu_s"]) for r in done)
        row["peak_mb"] = max(r[3] for r in done) / 1024
        row["fixed_s"] = statistics.median(float(r[1]["load_s"]) + float(r[1]["files_s"]) for r in done)
    else:
        row.update(status="timeout", cpu_s=f">{inst.limit:g}")
    ref_done = [r for r in ref if r[0] is not None]
    row["ref_cpu_s"] = statistics.median(r[2] for r in ref_done) if len(ref_done) == len(ref) else f">{inst.limit:g}"
    if done and len(ref_done) == len(ref):
        row["speedup"] = statistics.median(r[2] for r in ref_done) / max(statistics.median(r[2] for r in done), 1e-4)
        row["ref_search_s"] = statistics.median(float(r[1]["search_s"]) for r in ref_done)
        row["search_speedup"] = row["ref_search_s"] / max(row["search_s"], 1e-4)
    if done and ref_done:
        row["ref_load_s"] = statistics.median(float(r[1]["load_s"]) for r in ref_done)
        row["load_speedup"] = row["ref_load_s"] / max(row["load_s"], 1e-4)
    row["fscanf_s"] = fscanf_s
    if done:
        row["scan_speedup"] = fscanf_s / max(row["load_s"], 1e-4)
    row["mac_cpu_s"] = cpu_mac if st_mac is not None else f">{inst.limit:g}"
    row["mac_peak_mb"] = peak_mac / 1024

    problems = []
    statuses = {r[0] for r in fast + ref if r[0] is not None}
    if st_mac is not None:
        statuses.add(st_mac)
    if fast[0][0] is not None and len(ref_done) < len(ref):
        row["speedup"] = f">{inst.limit / max(row['cpu_s'], 1e-4):.1f}"
    if len(statuses) > 1:
        problems.append(f"statuses differ {sorted(statuses)}")
    if fast_files and ref_files and fast_files != ref_files:
        problems.append("files differ from the plain variant")
    if fast_files and mac_files and fast_files != mac_files:
        problems.append("files differ from mac")
    if before and row["before_status"] != "timeout" and statuses and {row["before_status"]} != statuses:
        problems.append("status differs from the code before")
    if inst.known is not None and statuses and statuses != {inst.known}:
        problems.append(f"known status {inst.known}")
    row["check"] = "; ".join(problems) if problems else ("ok" if statuses else "timeout")
    return row


def bench_refused(inst, work, binaries):
    """One run of mac_bench and one of mac on an instance they must read and
    then refuse for its constraint count: status 255 and the message."""
    d = prepare(inst, work, binaries)
    row = {"instance": inst.name}
    problems = []
    peaks, cpus = [], []
    for cmd in ([os.path.join(binaries, "mac_bench"), "current.txt"], [os.path.join(binaries, "mac")]):
        shutil.copyfile(os.path.join(d, "weight.init"), os.path.join(d, "weight"))
        err = []
        st, _, cpu, peak = run(cmd, d, inst.limit, err)
        peaks.append(peak)
        cpus.append(cpu)
        if st != 255 or "Too much constraint for this experimental version" not in err[0]:
            problems.append(f"{os.path.basename(cmd[0])}: status {st}, not 255 with the message on the count")
    row.update(variables=inst.size[0], constraints=inst.size[1], status=255, cpu_s=max(cpus),
               peak_mb=max(peaks) / 1024)
    row["check"] = "; ".join(problems) if problems else "ok"
    return row


def manifest(shared):
    text = open(os.path.join(shared, "MANIFEST.md")).read()
    out = []
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) < 6 or cells[0] in ("family", "---") or cells[0].startswith("-"):
            continue
        family, name, known = cells[0], cells[1], cells[5]
        path = os.path.join(shared, family, name + ".txt")
        if not os.path.exists(path):
            continue
        out.append((family + "/" + name, path, {"SAT": 10, "UNSAT": 0}.get(known)))
    return out


COLUMNS = ["instance", "variables", "constraints", "status", "decisions", "load_s", "search_s", "cpu_s",
           "peak_mb", "ref_cpu_s", "speedup", "ref_search_s", "search_speedup", "ref_load_s", "load_speedup",
           "fscanf_s", "scan_speedup", "fixed_s", "mac_cpu_s", "mac_peak_mb", "before_cpu_s", "before_peak_mb", "check"]
SHORT = ["instance", "variables", "constraints", "status", "decisions", "load_s", "search_s", "cpu_s",
         "peak_mb", "ref_cpu_s", "speedup", "search_speedup", "load_speedup", "scan_speedup", "fixed_s", "check"]
if "--before" in sys.argv:
    SHORT[-1:-1] = ["before_cpu_s", "before_peak_mb"]


def fmt(v):
    if isinstance(v, float):
        return f"{v:.3f}" if v < 100 else f"{v:.1f}"
    return "" if v is None else str(v)


def main():
    a = parse_args()
    a.bin, a.work = os.path.abspath(a.bin), os.path.abspath(a.work)
    if a.before:
        a.before = os.path.abspath(a.before)
    os.makedirs(a.work, exist_ok=True)
    gen_dir = os.path.join(a.work, "instances")
    os.makedirs(gen_dir, exist_ok=True)
    todo = []
    for name, n, dv, m, p, seed, runs in GENERATED:
        path = generate(a.bin, gen_dir, name, (n, dv, m, p, seed))
        todo.append(Instance(name, path, None, min(runs, a.runs), a.limit))
    for name, n, dv, m, p, seed in REFUSED:
        path = generate(a.bin, gen_dir, name, (n, dv, m, p, seed))
        todo.append(Instance(name, path, 255, 1, a.limit, size=(n, m)))
    if a.shared and os.path.exists(os.path.join(a.shared, "MANIFEST.md")):
        for name, path, known in manifest(a.shared):
            todo.append(Instance(name, path, known, 1, a.shared_limit))
    if a.only:
        todo = [t for t in todo if re.search(a.only, t.name)]
    print(f"# {os.cpu_count()} cores; medians of up to {a.runs} runs for generated instances, 1 run for shared ones",
          flush=True)
    print(" | ".join(SHORT), flush=True)
    rows = []
    start = time.time()
    for inst in todo:
        if inst.known == 255:
            row = bench_refused(inst, os.path.join(a.work, "runs"), a.bin)
        else:
            row = bench(inst, os.path.join(a.work, "runs"), a.bin, a.before)
        rows.append(row)
        print(" | ".join(fmt(row.get(c)) for c in SHORT), flush=True)
        with open(a.csv, "w", newline="") as f:
            w = csv.DictWriter(f, fieldnames=COLUMNS)
            w.writeheader()
            for r in rows:
                w.writerow({c: fmt(r.get(c)) for c in COLUMNS})
    print(f"# {len(rows)} instances in {time.time() - start:.0f} s; CSV in {a.csv}")
    bad = [r for r in rows if r["check"] not in ("ok", "timeout")]
    for r in bad:
        print(f"# CHECK FAILED: {r['instance']}: {r['check']}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
