"""Runs a command and prints, on one line: seconds of wall-clock time, the peak resident memory of
its largest process in MB (as /usr/bin/time -v reports it), the peak resident memory of all its
processes together in MB (sampled every 20 ms), and its exit status.

usage: measure.py LOG COMMAND [ARGUMENT ...]   (the command's output goes to LOG)"""
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


def tree_rss_kb(root):
    children = children_map()
    total = 0
    pending = [root]
    while pending:
        pid = pending.pop()
        pending.extend(children.get(pid, []))
        try:
            with open("/proc/%d/status" % pid) as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def main():
    log, command = sys.argv[1], sys.argv[2:]
    with tempfile.NamedTemporaryFile(mode="r", suffix=".time") as report, open(log, "w") as out:
        start = time.monotonic()
        process = subprocess.Popen(["/usr/bin/time", "-v", "-o", report.name] + command,
                                   stdout=out, stderr=out)
        peak = 0
        while process.poll() is None:
            peak = max(peak, tree_rss_kb(process.pid))
            time.sleep(0.02)
        seconds = time.monotonic() - start
        largest = 0
        for line in report:
            if "Maximum resident set size" in line:
                largest = int(line.split(":")[1])
    print("%.2f %d %d %d" % (seconds, largest // 1024, peak // 1024, process.returncode))


main()
