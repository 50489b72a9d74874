#!/usr/bin/env python3
"""skerrow-batch against the tools a user would otherwise reach for on the same bytes.

A  many small entries: extraction against `tar -xf`, rebuild against `tar -cf`
B  one big entry: extraction and rebuild against `cp`
C  a long result log over many packages, no line naming an existing file: the replay against
   the bare copy of the packages

Run through bench/run, which builds the release binary first. Python's standard library only.
"""

import argparse
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


class Side:
    """One command of a comparison, with what it reads and the folder it writes."""

    def __init__(self, label, cmd, warm, out, prepare=None):
        self.label, self.cmd, self.warm, self.out, self.prepare = label, cmd, warm, out, prepare
        self.times, self.peaks = [], []

    def measure(self, scratch):
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        if self.prepare:
            self.prepare(self.out)
        os.sync()  # what earlier runs left dirty goes out before the clock starts
        for path in self.warm:
            read_through(path)
        report = os.path.join(scratch, "time.txt")
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-v", "-o", report] + self.cmd,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        elapsed = time.perf_counter() - start
        if result.returncode != 0:
            sys.exit("bench: %s failed: %s" % (" ".join(self.cmd), result.stderr))
        peak = 0
        with open(report) as f:
            for line in f:
                if "Maximum resident set size" in line:
                    peak = int(line.rsplit(":", 1)[1]) / 1024
        self.times.append(elapsed)
        self.peaks.append(peak)
        shutil.rmtree(self.out, ignore_errors=True)

    def median(self):
        return statistics.median(self.times)

    def peak(self):
        return max(self.peaks)


class Row:
    def __init__(self, case, ours, yardstick, target, kind="ratio"):
        self.case, self.ours, self.yardstick, self.target, self.kind = (
            case, ours, yardstick, target, kind)

    def figure(self):
        t, y = self.ours.median(), self.yardstick.median()
        if self.kind == "overhead":  # the share of the replay's time beyond the bare copy
            return (t - y) / t if t > 0 else 0.0
        if self.kind == "share":  # the walk's time as a share of the whole replay's
            return t / y if y > 0 else float("inf")
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
            sides = [row.ours, row.yardstick] if run % 2 == 0 else [row.yardstick, row.ours]
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
    title = "A %d entries, %.0f MiB" % (count, size)
    return title, [
        Row("A extract", Side("skerrow-batch", [args.batch, "--out", out, package], [package], out),
            Side("tar -xf", ["tar", "-xf", archive, "-C", out], [archive], out), 0.9),
        Row("A rebuild",
            Side("skerrow-batch", [args.batch, "--out", out, os.path.join(ref, "result.log")],
                 [ref, package], out),
            Side("tar -cf", ["tar", "-cf", os.path.join(out, "enduro.tar"), "-C", ref]
                 + type_folders, [ref], out), 0.9),
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

    title = "B one entry of %d MiB" % (size // MIB)
    return title, [
        Row("B extract", Side("skerrow-batch", [args.batch, "--out", out, package], [package], out),
            Side("cp", ["cp", entry, out], [entry], out), 1.05),
        Row("B rebuild", Side("skerrow-batch", [args.batch, "--out", out, log], [entry, package], out),
            Side("cp", ["cp", entry, out], [entry], out), 1.05),
        Row("B rebuild, replacing",
            Side("skerrow-batch", [args.batch, "--out", out, log], [entry, package], out,
                 previous_package),
            Side("cp", ["cp", entry, out], [entry], out, previous_file), 1.05),
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
    # The same lines under a format no handler takes: the replay walks every one of them,
    # opens each source and rebuilds nothing. More than its share in a real replay, where the
    # rebuild consumes the entry lines, so an upper bound of the replay's own cost.
    walk = os.path.join(folder, "walk.log")
    with open(walk, "w", newline="") as f:
        f.write("".join(("#Format: NONE" if line == "#Format: DAT" else line) + "\r\n"
                        for line in lines))
    check = os.path.join(folder, "check")
    run_checked([args.batch, "--out", check, log])
    for package in paths:
        if not same_bytes(package, os.path.join(check, os.path.basename(package))):
            sys.exit("bench: a rebuilt package of case C differs from its source")
    shutil.rmtree(check)
    out = os.path.join(folder, "out")
    size = sum(os.path.getsize(p) for p in paths) / MIB
    title = "C %d entry lines over %d packages, %.0f MiB" % (packages * per_package, packages, size)
    replay = Side("replay", [args.batch, "--out", out, log], [log] + paths, out)
    return title, [
        Row("C replay vs copy", replay, Side("cp", ["cp"] + paths + [out], paths, out), None,
            kind="overhead"),
        Row("C walk vs replay",
            Side("walk only", [args.batch, "--out", out, walk], [walk] + paths, out), replay,
            0.05, kind="share"),
    ]


def print_table(titles, rows, runs):
    print()
    header = ("case", "skerrow s", "yardstick", "yard s", "figure", "target", "peak MiB",
              "yard MiB", "met")
    widths = (22, 10, 13, 8, 9, 10, 9, 9, 4)
    line = "  ".join(h.ljust(w) for h, w in zip(header, widths))
    print(line)
    print("-" * len(line))
    for row in rows:
        cells = (row.case, "%.3f" % row.ours.median(), row.yardstick.label,
                 "%.3f" % row.yardstick.median(), row.figure_text(), row.target_text(),
                 "%.1f" % row.ours.peak(), "%.1f" % row.yardstick.peak(),
                 row.met())
        print("  ".join(c.ljust(w) for c, w in zip(cells, widths)))
    print()
    print("Inputs: " + "; ".join(titles) + ".")
    print("Times are medians of %d runs; every run writes into an empty folder. Caches are not" % runs)
    print("dropped; both sides are warmed alike: before each run, `sync`, then every input file")
    print("is read once. Figure: our median / the yardstick's (A, B); for C the share of the")
    print("replay's time beyond the bare copy, (replay - cp) / replay. Peak memory is the")
    print("largest maximum resident set of the runs (/usr/bin/time -v); the target is < 32 MiB.")
    print("A and B compare the same bytes: the tar holds the extracted files in the same folders;")
    print("cp copies the 1 GiB entry file. 'B rebuild, replacing' writes over a package that is")
    print("already in the output folder (cp over an existing file): that replace is made")
    print("durable (fsync before the rename), the fresh write of 'B rebuild' is not.")
    print("C: a result log with one line per entry, none naming an existing file, so every entry")
    print("keeps its data and each rebuilt package equals its source byte for byte. 'C replay vs")
    print("copy' sets the whole replay against cp of the same packages, the least such a rebuild")
    print("can cost: the gap is the rebuild's look-up of every entry line (one failed open each)")
    print("and its directory walk. 'C walk vs replay' is the replay's own cost: the same log")
    print("with its format lines naming no format, so the driver walks all lines and opens every")
    print("source but rebuilds nothing, as a share of the whole replay. (A log of one line per")
    print("package cannot be the comparison: its first rebuild stops with 'List index out of")
    print("bounds', as a package takes one line per entry.)")

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--batch", required=True, help="the skerrow-batch to measure")
    parser.add_argument("--quick", action="store_true", help="small inputs, one run: a smoke run")
    parser.add_argument("--runs", type=int, help="runs per side (default 3, 1 with --quick)")
    parser.add_argument("--dir", help="parent of the temporary input folder (default: /tmp)")
    parser.add_argument("--cases", default="A,B,C", help="which cases to run (default A,B,C)")
    parser.add_argument("--keep", action="store_true", help="keep the generated inputs")
    parser.add_argument("--no-build", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--c-low", type=int, default=1024, help=argparse.SUPPRESS)
    parser.add_argument("--c-high", type=int, default=4096, help=argparse.SUPPRESS)
    args = parser.parse_args()
    runs = args.runs or (1 if args.quick else 3)
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
