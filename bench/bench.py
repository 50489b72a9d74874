#!/usr/bin/env python3
"""skerrow-batch against the tools a user would otherwise reach for on the same bytes.

A  many small entries: extraction against `tar -xf`, rebuild against `tar -cf`
B  one big entry: extraction and rebuild against `cp`
C  a long result log over many packages, no line naming an existing file: the replay against
   the bare copy of the packages

Run through bench/run, which builds the release binary first. Python's standard library only.
"""

import argparse
import mmap
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

KEY = 0x5D
SCRAMBLE = bytes(i ^ KEY for i in range(256))
POOL_SIZE = 8 << 20
EXTENSIONS = [".tga", ".wav", ".txt", ".bmp", ".dds", ".mdl", ".ini", ".TGA"]
FOLDERS = ["data\\tex", "data\\snd", "menu", "tracks\\enduro", "bikes"]
MIB = 1 << 20


def le32(value):
    return value.to_bytes(4, "little")


class Pool:
    """Random bytes to cut entry data from; every entry starts somewhere else."""

    def __init__(self, rng):
        self.rng = rng
        self.bytes = rng.randbytes(POOL_SIZE)

    def write(self, out, size):
        while size > 0:
            start = self.rng.randrange(POOL_SIZE)
            chunk = min(size, POOL_SIZE - start)
            out.write(memoryview(self.bytes)[start:start + chunk])
            size -= chunk


def write_package(path, entries, pool):
    """entries: (name, size) pairs. Writes count, scrambled directory, packed data."""
    directory_end = 4 + sum(16 + len(name) + 1 for name, _ in entries)
    head = bytearray(le32(len(entries)))
    offset = directory_end
    for name, size in entries:
        field = name.encode() + b"\0"
        record = le32(offset) + le32(0x1000) + le32(size)
        head += (le32(len(field)) + field + record).translate(SCRAMBLE)
        offset += size
    with open(path, "wb") as out:
        out.write(head)
        for _, size in entries:
            pool.write(out, size)


def mixed_entries(rng, count, low, high):
    entries = []
    for i in range(count):
        ext = rng.choice(EXTENSIONS)
        name = "%s\\item%05d%s" % (rng.choice(FOLDERS), i, ext)
        entries.append((name, rng.randint(low, high)))
    return entries


def read_through(path):
    """Reads a file, or every file below a folder, so that both sides start from warm caches."""
    paths = [path]
    if os.path.isdir(path):
        paths = [os.path.join(d, f) for d, _, files in os.walk(path) for f in files]
    for p in paths:
        with open(p, "rb", buffering=0) as f:
            while f.read(4 * MIB):
                pass


def run_checked(cmd):
    result = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit("bench: %s failed (%d): %s" % (" ".join(cmd), result.returncode, result.stderr))


def same_bytes(a, b):
    return subprocess.run(["cmp", "-s", a, b]).returncode == 0


def warm_memory(mib):
    """Touches mib MiB of fresh memory and gives it back.

    On a virtual machine whose host takes back the guest's free memory, the first touch of a
    page costs a trip to the host. A command that writes a GiB of page cache then spends most
    of its time there, more or less by chance; touching as much memory just before the
    command runs leaves it pages that are already there, for both sides alike.
    """
    if mib <= 0:
        return
    size = mib * MIB
    block = mmap.mmap(-1, size)
    for offset in range(0, size, mmap.PAGESIZE):
        block[offset] = 1
    block.close()


class Side:
    """One command of a comparison, with what it reads, the folder it writes, and how many MiB
    of memory to warm for it."""

    def __init__(self, label, cmd, warm, out, prepare=None, memory=0):
        self.label, self.cmd, self.warm, self.out, self.prepare = label, cmd, warm, out, prepare
        self.memory = memory
        self.times, self.peaks = [], []

    def measure(self, scratch):
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        if self.prepare:
            self.prepare(self.out)
        os.sync()  # what earlier runs left dirty goes out before the clock starts
        for path in self.warm:
            read_through(path)
        warm_memory(self.memory)
        report = os.path.join(scratch, "time.txt")
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-v", "-o", report] + self.cmd,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        elapsed = time.perf_counter() - start
        if result.returncode != 0:
            sys.exit("bench: %s failed: %s" % (" ".join(self.cmd), result.stderr))
        peak = 0
        with open(report) as f:
            for line in f:
                if "Maximum resident set size" in line:
                    peak = int(line.rsplit(":", 1)[1]) / 1024
        self.record(elapsed, result.stdout)
        self.peaks.append(peak)
        shutil.rmtree(self.out, ignore_errors=True)

    def record(self, elapsed, _output):
        self.times.append(elapsed)

    def median(self):
        return statistics.median(self.times)

    def peak(self):
        return max(self.peaks)


class SplitSide(Side):
    """skerrow-replay-timing: one replay, its time split into the replay's own part and the
    part inside the handlers. times holds the own part; shares its part of the whole."""

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.handler_times, self.shares = [], []

    def record(self, elapsed, output):
        words = output.split()
        total, handlers = float(words[words.index("total") + 1]), float(
            words[words.index("handlers") + 1])
        self.times.append(total - handlers)
        self.handler_times.append(handlers)
        self.shares.append((total - handlers) / total if total > 0 else 0.0)


class HandlerPart:
    """The handler part of a SplitSide, shown as the yardstick of its row."""

    def __init__(self, split):
        self.label, self.split = "rebuilds", split

    def median(self):
        return statistics.median(self.split.handler_times)

    def peak(self):
        return self.split.peak()


class Row:
    def __init__(self, case, ours, yardstick, target, kind="ratio"):
        self.case, self.ours, self.yardstick, self.target, self.kind = (
            case, ours, yardstick, target, kind)

    def sides(self):
        if self.kind == "own":  # one command measures both columns
            return [self.ours]
        return [self.ours, self.yardstick]

    def figure(self):
        t, y = self.ours.median(), self.yardstick.median()
        if self.kind == "overhead":  # the share of the replay's time beyond the bare copy
            return (t - y) / t if t > 0 else 0.0
        if self.kind == "own":  # the replay's own part of each run's time
            return statistics.median(self.ours.shares)
        return t / y if y > 0 else float("inf")

    def target_text(self):
        if self.target is None:
            return "(info)"
        if self.kind != "ratio":
            return "< %d %%" % round(self.target * 100)
        return "<= %.2f x" % self.target

    def figure_text(self):
        if self.kind != "ratio":
            return "%.1f %%" % (self.figure() * 100)
        return "%.2f x" % self.figure()

    def best_text(self):
        """The fastest run of ours against the fastest of the yardstick's: the runs least
        disturbed by the machine, as a check on the medians."""
        if self.kind != "ratio":
            return "-"
        best = min(self.yardstick.times)
        return "%.2f x" % (min(self.ours.times) / best) if best > 0 else "-"

    def met(self):
        if self.target is None:
            return "-" if self.ours.peak() < 32 else "NO"
        figure = self.figure()
        ok = figure < self.target if self.kind != "ratio" else figure <= self.target
        return "yes" if ok and self.ours.peak() < 32 else "NO"


def measure_rows(rows, runs, scratch):
    for row in rows:
        print("  measuring %s ..." % row.case, file=sys.stderr, flush=True)
        for run in range(runs):
            # Alternate who goes first, so a drift of the machine hits both sides alike.
            sides = row.sides() if run % 2 == 0 else row.sides()[::-1]
            for side in sides:
                side.measure(scratch)


def case_a(args, work, rng, pool):
    count = 2000 if args.quick else 20000
    folder = os.path.join(work, "a")
    os.makedirs(folder)
    package = os.path.join(folder, "enduro.dat")
    write_package(package, mixed_entries(rng, count, 1024, 64 * 1024), pool)
    ref = os.path.join(folder, "ref")
    run_checked([args.batch, "--out", ref, package])
    type_folders = sorted(n for n in os.listdir(ref) if os.path.isdir(os.path.join(ref, n)))
    archive = os.path.join(folder, "enduro.tar")
    run_checked(["tar", "-cf", archive, "-C", ref] + type_folders)
    check = os.path.join(folder, "check")
    run_checked([args.batch, "--out", check, os.path.join(ref, "result.log")])
    if not same_bytes(package, os.path.join(check, "enduro.dat")):
        sys.exit("bench: the rebuilt package of case A differs from its source")
    shutil.rmtree(check)
    size = os.path.getsize(package) / MIB
    out = os.path.join(folder, "out")
    memory = round(size) + 256  # what either side writes, and some
    title = "A %d entries, %.0f MiB" % (count, size)
    return title, [
        Row("A extract",
            Side("skerrow-batch", [args.batch, "--out", out, package], [package], out,
                 memory=memory),
            Side("tar -xf", ["tar", "-xf", archive, "-C", out], [archive], out, memory=memory),
            0.9),
        Row("A rebuild",
            Side("skerrow-batch", [args.batch, "--out", out, os.path.join(ref, "result.log")],
                 [ref, package], out, memory=memory),
            Side("tar -cf", ["tar", "-cf", os.path.join(out, "enduro.tar"), "-C", ref]
                 + type_folders, [ref], out, memory=memory), 0.9),
    ]


def case_b(args, work, rng, pool):
    size = (64 if args.quick else 1024) * MIB
    folder = os.path.join(work, "b")
    os.makedirs(folder)
    package = os.path.join(folder, "intro.dat")
    write_package(package, [("movie\\intro.bik", size)], pool)
    ref = os.path.join(folder, "ref")
    run_checked([args.batch, "--out", ref, package])
    entry = os.path.join(ref, "bik", "00000000.bik")
    log = os.path.join(ref, "result.log")
    check = os.path.join(folder, "check")
    run_checked([args.batch, "--out", check, log])
    if not same_bytes(package, os.path.join(check, "intro.dat")):
        sys.exit("bench: the rebuilt package of case B differs from its source")
    shutil.rmtree(check)
    out = os.path.join(folder, "out")

    def previous_package(into):
        shutil.copyfile(package, os.path.join(into, "intro.dat"))

    def previous_file(into):
        shutil.copyfile(package, os.path.join(into, "00000000.bik"))

    m = size // MIB + 256
    title = "B one entry of %d MiB" % (size // MIB)
    return title, [
        Row("B extract",
            Side("skerrow-batch", [args.batch, "--out", out, package], [package], out, memory=m),
            Side("cp", ["cp", entry, out], [entry], out, memory=m), 1.05),
        Row("B rebuild",
            Side("skerrow-batch", [args.batch, "--out", out, log], [entry, package], out,
                 memory=m),
            Side("cp", ["cp", entry, out], [entry], out, memory=m), 1.05),
        Row("B rebuild, replacing",
            Side("skerrow-batch", [args.batch, "--out", out, log], [entry, package], out,
                 previous_package, memory=m),
            Side("cp", ["cp", entry, out], [entry], out, previous_file, memory=m), 1.05),
    ]


def case_c(args, work, rng, pool):
    packages = 5 if args.quick else 50
    per_package = 4000
    folder = os.path.join(work, "c")
    os.makedirs(folder)
    gone = os.path.join(folder, "gone")  # the folder the log's entry files were extracted to
    lines = []
    paths = []
    for p in range(packages):
        package = os.path.join(folder, "track%02d.dat" % p)
        entries = mixed_entries(rng, per_package, args.c_low, args.c_high)
        write_package(package, entries, pool)
        paths.append(package)
        lines += ["#Format: DAT", "#Source: " + package]
        for i, (name, _) in enumerate(entries):
            ext = name[name.rfind("."):]
            lines.append("%s/%s/%08X%s" % (gone, ext[1:], i, ext))
    log = os.path.join(folder, "result.log")
    with open(log, "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))
    check = os.path.join(folder, "check")
    run_checked([args.batch, "--out", check, log])
    for package in paths:
        if not same_bytes(package, os.path.join(check, os.path.basename(package))):
            sys.exit("bench: a rebuilt package of case C differs from its source")
    shutil.rmtree(check)
    out = os.path.join(folder, "out")
    size = sum(os.path.getsize(p) for p in paths) / MIB
    memory = round(size) + 256
    title = "C %d entry lines over %d packages, %.0f MiB" % (packages * per_package, packages, size)
    split = SplitSide("replay", [args.timing, "--out", out, log], [log] + paths, out,
                      memory=memory)
    return title, [
        Row("C replay vs copy",
            Side("replay", [args.batch, "--out", out, log], [log] + paths, out, memory=memory),
            Side("cp", ["cp"] + paths + [out], paths, out, memory=memory), None,
            kind="overhead"),
        Row("C replay's own part", split, HandlerPart(split), 0.05, kind="own"),
    ]


def print_table(titles, rows, runs):
    print()
    header = ("case", "skerrow s", "yardstick", "yard s", "figure", "target", "best", "peak MiB",
              "yard MiB", "met")
    widths = (22, 10, 13, 8, 9, 10, 7, 9, 9, 4)
    line = "  ".join(h.ljust(w) for h, w in zip(header, widths))
    print(line)
    print("-" * len(line))
    for row in rows:
        cells = (row.case, "%.3f" % row.ours.median(), row.yardstick.label,
                 "%.3f" % row.yardstick.median(), row.figure_text(), row.target_text(),
                 row.best_text(), "%.1f" % row.ours.peak(), "%.1f" % row.yardstick.peak(),
                 row.met())
        print("  ".join(c.ljust(w) for c, w in zip(cells, widths)))
    print()
    print("Inputs: " + "; ".join(titles) + ".")
    print("""Times are medians of %d runs; every run writes into an empty folder. Caches are not
dropped; both sides are warmed alike: before each run, `sync`, then every input file is
read once, then as much memory as the run will fill is touched and given back (on a
virtual machine the host's first handing-out of a page costs more than the copy of it).
Figure: our median / the yardstick's (A, B); best: our fastest run / the yardstick's
fastest, not judged. Peak memory is the largest maximum resident
set of the runs (/usr/bin/time -v); the target is < 32 MiB.
A and B compare the same bytes: the tar holds the extracted files in the same folders; cp
copies the entry file. 'B rebuild, replacing' writes over a package already in the
output folder (cp over an existing file): that replacement is made durable (fsync before
the rename); the fresh write of 'B rebuild' is not.
C: a result log of one line per entry, none naming an existing file, so every entry keeps
its data and each rebuilt package equals its source byte for byte. 'C replay vs copy'
(information) sets the whole replay against cp of the same packages, the least such a
rebuild can cost; the gap is the rebuild's look-up of each entry line (one failed open)
and its directory walk. 'C replay's own part' runs the same replay in
skerrow-replay-timing, which times the rebuild calls from inside: the figure is the
median share of each run's time spent outside them (loading the log, walking its
lines, opening sources, the status line). A log of one line per package cannot serve
as the comparison: a rebuild takes one line per entry, and such a log stops at its
first package with 'List index out of bounds'.""" % runs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--batch", required=True, help="the skerrow-batch to measure")
    parser.add_argument("--timing", required=True, help="the skerrow-replay-timing beside it")
    parser.add_argument("--quick", action="store_true", help="small inputs, one run: a smoke run")
    parser.add_argument("--runs", type=int, help="runs per side (default 5, 1 with --quick)")
    parser.add_argument("--dir", help="parent of the temporary input folder (default: /tmp)")
    parser.add_argument("--cases", default="A,B,C", help="which cases to run (default A,B,C)")
    parser.add_argument("--keep", action="store_true", help="keep the generated inputs")
    parser.add_argument("--no-build", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--c-low", type=int, default=1024, help=argparse.SUPPRESS)
    parser.add_argument("--c-high", type=int, default=4096, help=argparse.SUPPRESS)
    args = parser.parse_args()
    runs = args.runs or (1 if args.quick else 5)
    cases = [c.strip().upper() for c in args.cases.split(",") if c.strip()]

    parent = args.dir or "/tmp"
    need = (1 if args.quick else 6) << 30
    free = shutil.disk_usage(parent).free
    if free < need:
        sys.exit("bench: %s has %.1f GiB free; the inputs need about %.0f GiB"
                 % (parent, free / (1 << 30), need / (1 << 30)))

    print("skerrow bench: %d cores, %s, runs per side %d%s" % (
        os.cpu_count(), os.uname().release, runs, " (quick)" if args.quick else ""))
    work = tempfile.mkdtemp(prefix="skerrow-bench-", dir=parent)
    titles, rows = [], []
    try:
        rng = random.Random(20240601)
        pool = Pool(rng)
        makers = {"A": case_a, "B": case_b, "C": case_c}
        for case in cases:
            print("  generating case %s ..." % case, file=sys.stderr, flush=True)
            title, case_rows = makers[case](args, work, rng, pool)
            titles.append(title)
            measure_rows(case_rows, runs, work)
            rows += case_rows
            if not args.keep:
                shutil.rmtree(os.path.join(work, case.lower()))
    finally:
        if args.keep:
            print("inputs kept in " + work, file=sys.stderr)
        else:
            shutil.rmtree(work, ignore_errors=True)
    print_table(titles, rows, runs)


if __name__ == "__main__":
    main()
