"""Runs a command and prints, on one line: seconds of wall-clock time, the peak resident memory of
its largest process in MB (as /usr/bin/time -v reports it), the peak resident memory of all its
processes together in MB (sampled every 20 ms), its exit status, and the peak of all its
processes' proportional set sizes in MB (sampled every 100 ms). Resident sizes count a shared
library once in every process that maps it; proportional ones share it out among them, so their
sum is what the processes take together.

Sampling takes CPU and holds each process's memory map while it reads it, which slows tools of
many processes more than tools of one: with --time-only nothing is sampled and the two sampled
figures are 0, for runs that are timed.

usage: measure.py [--time-only] LOG COMMAND [ARGUMENT ...]   (the command's output goes to LOG)"""
import os
import subprocess
import sys
import tempfile
import time


def children_map():
    children = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append(int(name))
    return children


def tree_memory_kb(root, proportional):
    """The resident and, when asked, the proportional set sizes of root and its descendants."""
    children = children_map()
    rss = pss = 0
    pending = [root]
    while pending:
        pid = pending.pop()
        pending.extend(children.get(pid, []))
        try:
            with open("/proc/%d/status" % pid) as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        rss += int(line.split()[1])
            if proportional:
                with open("/proc/%d/smaps_rollup" % pid) as rollup:
                    for line in rollup:
                        if line.startswith("Pss:"):
                            pss += int(line.split()[1])
        except OSError:
            pass
    return rss, pss


def main():
    arguments = sys.argv[1:]
    sampled = arguments[0] != "--time-only"
    if not sampled:
        arguments = arguments[1:]
    log, command = arguments[0], arguments[1:]
    with tempfile.NamedTemporaryFile(mode="r", suffix=".time") as report, open(log, "w") as out:
        start = time.monotonic()
        process = subprocess.Popen(["/usr/bin/time", "-v", "-o", report.name] + command,
                                   stdout=out, stderr=out)
        peak = peak_pss = samples = 0
        if not sampled:
            process.wait()
        while process.poll() is None:
            # Proportional sizes cost the kernel a walk of every mapping: one sample in five.
            rss, pss = tree_memory_kb(process.pid, samples % 5 == 0)
            peak = max(peak, rss)
            peak_pss = max(peak_pss, pss)
            samples += 1
            time.sleep(0.02)
        seconds = time.monotonic() - start
        largest = 0
        for line in report:
            if "Maximum resident set size" in line:
                largest = int(line.split(":")[1])
    print("%.2f %d %d %d %d" % (seconds, largest // 1024, peak // 1024, process.returncode,
                                peak_pss // 1024))


main()
