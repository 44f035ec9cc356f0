"""Runs 'm4k7db explain' for every key of the image (and the driver keys
answered by code) over several requests, and checks that explain, which
records the engine's own walk, reports the same status as get.

usage: explain_all.py TOOL PRINTER_NAME"""
import concurrent.futures
import json
import subprocess
import sys

tool, printer = sys.argv[1], sys.argv[2]


def run(args):
    p = subprocess.run([tool] + args, capture_output=True, text=True)
    if p.returncode not in (0, 1, 2):
        sys.exit(f"m4k7db {' '.join(args)}: exit {p.returncode}\n{p.stderr}")
    return p.returncode, json.loads(p.stdout)


_, check = run(["check", "--format", "json"])
ranges = [("root", 0x0001, 0x0FFF), ("drv", 0x1001, 0x1FFF), ("lm", 0x2001, 0x2FFF),
          ("mnt", 0x3001, 0x3FFF), ("pa", 0x4001, 0x4FFF), ("sm", 0x6001, 0x6FFF)]
settings = {
    "root": [[], ["--i0", "2"], ["--s0", "SSR"]],
    "drv": [[], ["--defaults", "--size", "9", "--mode", "1", "--printer", printer],
            ["--ink", "6", "--media", "275", "--quality", "2", "--mode", "1", "--i9", "1", "--size", "256",
             "--paper-width", "15000", "--paper-length", "20000", "--options", "0x800000"]],
    "lm": [[], ["--s1", "BK,VC", "--i1", "786432", "--i5", "1", "--i6", "0x1601"]],
    "mnt": [[], ["--i0", "1"]],
    "pa": [[], ["--i0", "1", "--i1", "277", "--i2", "4"]],
    "sm": [[], ["--s1", "VC,BK", "--s5", "1601", "--i0", "2", "--i5", "28"]],
}
keys = set(check["keys"]) | {4109, 4111, 4115, 4120, 4121, 4122, 4123, 4124, 4125, 4126}
# A request without any slot reaches every selector's missing-slot status.
for extra in settings.values():
    extra.append(["--ints", "0", "--strs", "0"])


def explain(job):
    key, db, n, extra = job
    args = [db, str(key)] + extra
    code, d = run(["explain"] + args + ["--format", "json"])
    if n == 0 or extra[:1] == ["--ints"]:
        gcode, g = run(["get"] + args + ["--format", "json"])
        if g["status"] != d["status"] or gcode != code:
            return f"{' '.join(args)}: explain says {d['status']}, get says {g['status']}"
    return None


jobs = []
for key in sorted(keys):
    db = next((name for name, lo, hi in ranges if lo <= key <= hi), "drv")  # internal keys: through drv
    jobs += [(key, db, n, extra) for n, extra in enumerate(settings[db])]
with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
    problems = [p for p in pool.map(explain, jobs) if p]
if problems:
    sys.exit("\n".join(problems))
print(f"{len(jobs)} explanations agree with the engine")
if len(jobs) < 400:
    sys.exit("too few keys: the image is not the one this test expects")
