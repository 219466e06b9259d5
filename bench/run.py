#!/usr/bin/env python3
"""Kobanto's benchmark: conversion time and memory against the JPEG decoder's own speed.

Builds the program in Release into build-bench/ (and a copy that prints its phase timings into
build-bench/profile/), makes photograph-like inputs, then times in one run, alternating the
commands:
  (a) kobanto headless, default settings, on one picture and on batches of pictures;
  (b) djpeg -outfile /dev/null on the same sources: the decode floor, since every source has to be
      decoded at full size;
  (c) ImageMagick's convert SRC -sample 30% -quality 55 OUT, once per picture.
It prints the medians, their ratios, the peak memory of each and where the program's own time goes.
Run by `make bench`; never part of `make test`.
"""

import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CONVERT = "/usr/bin/convert"
BATCH = 10


def log(text=""):
    print(text, flush=True)


# ---------------------------------------------------------------------------------------------
# Building and inputs


def build(folder, extra):
    flags = [
        "-G", "Ninja", "-DKOBANTO_WERROR=ON", "-DKOBANTO_BUILD_TESTS=OFF",
        "-DCMAKE_BUILD_TYPE=Release",
        # -O2: GCC 12 at -O3 raises a false -Wrestrict inside std::string, which -Werror refuses.
        "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG",
    ] + extra
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(folder)] + flags, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(folder), "-j", "2", "--target", "kobanto",
                    "kobanto-sample"], check=True, stdout=subprocess.DEVNULL)


def make_inputs(sample, data):
    """Photograph-like pictures (colour, 4:2:0, quality 90, texture and sensor noise)."""
    data.mkdir(parents=True, exist_ok=True)
    wanted = [(data / f"p12-{i:02d}.jpg", 4000, 3000, i) for i in range(1, BATCH + 1)]
    wanted.append((data / "p24.jpg", 6000, 4000, 99))
    for path, width, height, seed in wanted:
        if path.exists() and path.stat().st_mtime >= sample.stat().st_mtime:
            continue
        subprocess.run([str(sample), str(path), str(width), str(height), str(seed)], check=True)
    return [w[0] for w in wanted[:BATCH]], wanted[-1][0]


def executable_folder(program, folder):
    """A folder of its own for the program, with no settings file: default settings throughout
    (30 %, quality 55), and the save folder is the temporary folder, which TMPDIR names."""
    if folder.exists():
        shutil.rmtree(folder)
    (folder / "bin").mkdir(parents=True)
    (folder / "out").mkdir()
    shutil.copy2(program, folder / "bin" / "kobanto")
    return folder / "bin" / "kobanto", folder / "out"


def headless_env(save_folder):
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(name, None)
    env["TMPDIR"] = str(save_folder)
    return env


# ---------------------------------------------------------------------------------------------
# Running


class Run:
    def __init__(self, wall, cpu, rss_kb, stderr):
        self.wall = wall  # seconds
        self.cpu = cpu  # user + system seconds
        self.rss_kb = rss_kb
        self.stderr = stderr


def run_once(argv, env=None, started=None):
    """Runs argv to its end; wall time, CPU time and peak memory from the kernel's accounting."""
    t0 = time.monotonic_ns()
    if started is not None:
        started.append(t0)
    child = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    stderr = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    t1 = time.monotonic_ns()
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"bench: {' '.join(map(str, argv))} failed ({child.returncode}): "
                 f"{stderr.decode(errors='replace')}")
    return Run((t1 - t0) / 1e9, usage.ru_utime + usage.ru_stime, usage.ru_maxrss,
               stderr.decode(errors="replace"))


class Command:
    """A named task made of one or more processes run one after another; its time is their sum."""

    def __init__(self, name, argvs, env=None, pictures=1, outputs=None):
        self.name, self.argvs, self.env, self.pictures = name, argvs, env, pictures
        self.outputs = outputs  # a folder emptied before each run
        self.walls, self.cpus, self.rss = [], [], []

    def run(self, record=True):
        wall = cpu = 0.0
        rss = 0
        if self.outputs is not None:
            clear(self.outputs)
        for argv in self.argvs:
            r = run_once(argv, self.env)
            wall, cpu, rss = wall + r.wall, cpu + r.cpu, max(rss, r.rss_kb)
        if record:
            self.walls.append(wall)
            self.cpus.append(cpu)
            self.rss.append(rss)

    def median(self):
        return statistics.median(self.walls)

    def per_picture(self):
        return self.median() / self.pictures


def clear(folder):
    """Removes the outputs of earlier runs: users convert new photographs into a folder that does
    not hold their shrunk copies yet, and replacing an existing file costs its truncation (on an
    ext4 mounted with discard, several milliseconds a file)."""
    for entry in folder.iterdir():
        if entry.is_file() and entry.name.startswith("S_"):
            entry.unlink()


def peak_rss_time_v(argv, env):
    """Maximum resident set size (KB) as /usr/bin/time -v reports it."""
    r = subprocess.run(["/usr/bin/time", "-v"] + [str(a) for a in argv], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=True)
    for line in r.stderr.splitlines():
        if "Maximum resident set size" in line:
            return int(line.split(":")[1])
    sys.exit("bench: /usr/bin/time -v gave no peak memory")


def picture_size(sample, path):
    out = subprocess.run([str(sample), "--info", str(path)], check=True, capture_output=True,
                         text=True).stdout.strip()
    w, h = out.split("x")
    return int(w), int(h)


# ---------------------------------------------------------------------------------------------
# The phase profile


PHASES = [
    ("load", "read the source file and its header"),
    ("intermediate", "allocate the intermediate picture"),
    ("decoded-picture", "allocate the full-size decoded picture"),
    ("decode", "decode at full size (the rest of it)"),
    ("stretch", "nearest-neighbour copy"),
    ("assign", "copy into the output picture"),
    ("encode", "encode at quality 55"),
]


def profile(program, source, env, rounds):
    """Median phase timings (milliseconds) of several runs of the profiling build."""
    samples = {}
    for _ in range(rounds):
        started = []
        r = run_once([program, source], env, started)
        marks, phases = {}, {}
        for line in r.stderr.splitlines():
            f = line.split()
            if len(f) >= 4 and f[0] == "kobanto-profile" and f[1] == "mark":
                marks[f[2]] = int(f[3])
            elif len(f) >= 5 and f[0] == "kobanto-profile" and f[1] == "phase":
                phases[f[2]] = int(f[4])
        t0 = started[0]
        end = t0 + int(r.wall * 1e9)
        ms = lambda ns: ns / 1e6
        row = {
            "exec and loading the libraries, to main": ms(marks["main"] - t0),
            "QApplication (offscreen platform)": ms(marks["qapplication"] - marks["main"]),
            "settings window created (hidden)": ms(marks["setting-window"] - marks["qapplication"]),
            "to the batch": ms(marks["batch"] - marks["setting-window"]),
        }
        known = 0
        for name, _ in PHASES:
            row[name] = ms(phases.get(name, 0))
            known += phases.get(name, 0)
        # The decoded picture is allocated inside the decode.
        row["decode"] -= row["decoded-picture"]
        known -= phases.get("decoded-picture", 0)
        row["write"] = ms(phases.get("save", 0) - phases.get("encode", 0))
        known += phases.get("save", 0) - phases.get("encode", 0)
        row["settings"] = ms(phases["shrink"] - known)
        row["batch to the end of the process"] = ms(end - marks["completion-window"]) + ms(
            marks["completion-window"] - marks["batch"] - phases["shrink"])
        row["total"] = ms(end - t0)
        for k, v in row.items():
            samples.setdefault(k, []).append(v)
    return {k: statistics.median(v) for k, v in samples.items()}


# ---------------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7, help="timed rounds (at least 5)")
    parser.add_argument("--kobanto", help="time this kobanto binary instead of the Release build")
    parser.add_argument("--no-build", action="store_true", help="use the existing builds")
    parser.add_argument("--profile-only", action="store_true",
                        help="only where the time goes, for one 24 MP picture")
    args = parser.parse_args()
    rounds = max(args.rounds, 5)

    folder = ROOT / "build-bench"
    profile_folder = folder / "profile"
    if not args.no_build:
        log("Building the Release program into build-bench/ and its profiling copy ...")
        build(folder, [])
        build(profile_folder, ["-DKOBANTO_PROFILE=ON"])
    for tool in ("djpeg", CONVERT, "/usr/bin/time"):
        if not shutil.which(tool):
            sys.exit(f"bench: {tool} is missing (make bench installs it)")

    sample = folder / "tools" / "kobanto-sample"
    work = folder / "bench"
    log("Making the inputs (once) ...")
    batch, big = make_inputs(sample, work / "data")
    one = batch[0]

    program, save = executable_folder(Path(args.kobanto or folder / "kobanto"), work / "run")
    profiled, profile_save = executable_folder(profile_folder / "kobanto", work / "run-profile")
    env = headless_env(save)
    converted = work / "convert"
    converted.mkdir(exist_ok=True)

    if args.profile_only:
        report_profile(profiled, big, headless_env(profile_save), rounds, None)
        return

    def kobanto(name, sources):
        return Command(name, [[program] + sources], env, len(sources), save)

    def djpeg(name, sources):
        return Command(name, [["djpeg", "-outfile", "/dev/null", s] for s in sources], None,
                       len(sources))

    def convert(name, sources):
        return Command(name, [[CONVERT, s, "-sample", "30%", "-quality", "55",
                               converted / ("S_" + s.name)] for s in sources], None, len(sources),
                       converted)

    commands = {
        "k24": kobanto("kobanto, one 24 MP picture", [big]),
        "d24": djpeg("djpeg, one 24 MP picture", [big]),
        "c24": convert("convert, one 24 MP picture", [big]),
        "k12": kobanto("kobanto, one 12 MP picture", [one]),
        "d12": djpeg("djpeg, one 12 MP picture", [one]),
        "c12": convert("convert, one 12 MP picture", [one]),
        "k5": kobanto("kobanto, batch of 5 x 12 MP", batch[:5]),
        "kb": kobanto(f"kobanto, batch of {BATCH} x 12 MP", batch),
        "db": djpeg(f"djpeg, {BATCH} x 12 MP", batch),
        "cb": convert(f"convert, {BATCH} x 12 MP", batch),
    }
    order = ["k24", "d24", "c24", "k12", "d12", "c12", "kb", "db", "cb", "k5"]

    cores = os.cpu_count()
    log(f"Machine: {platform.machine()}, {cores} cores, load average "
        f"{os.getloadavg()[0]:.2f} at the start")
    log(f"Timing {rounds} rounds (after one warm-up round), commands alternating ...")
    for c in order:
        commands[c].run(record=False)
    for r in range(rounds):
        for c in order:
            commands[c].run()
    load_end = os.getloadavg()[0]

    log()
    log(f"Medians of {rounds} runs, wall-clock (CPU user+system in brackets):")
    for c in order:
        cmd = commands[c]
        per = f", {cmd.per_picture() * 1000:7.1f} ms per picture" if cmd.pictures > 1 else ""
        log(f"  {cmd.name:34s} {cmd.median() * 1000:8.1f} ms "
            f"({statistics.median(cmd.cpus) * 1000:7.1f} ms CPU){per}")

    def ratio(a, b):
        return commands[a].per_picture() / commands[b].per_picture()

    log()
    log("Ratios (per picture):")
    log(f"  a/b  kobanto / decode floor:  one 24 MP {ratio('k24', 'd24'):.2f} (target <= 1.35), "
        f"one 12 MP {ratio('k12', 'd12'):.2f}, batch of {BATCH} {ratio('kb', 'db'):.2f} "
        f"(target <= 1.15)")
    log(f"  c/a  ImageMagick / kobanto:   one 24 MP {1 / ratio('k24', 'c24'):.2f}, "
        f"one 12 MP {1 / ratio('k12', 'c12'):.2f}, batch of {BATCH} {1 / ratio('kb', 'cb'):.2f} "
        f"(target >= 2.5)")
    log("  CPU-time ratios a/b (less disturbed by other load on the machine): "
        + ", ".join(f"{n} {statistics.median(commands[a].cpus) / statistics.median(commands[b].cpus):.2f}"
                    for n, a, b in (("24 MP", "k24", "d24"), ("12 MP", "k12", "d12"),
                                    (f"batch {BATCH}", "kb", "db"))))

    log()
    log("Linear growth: kobanto's time per picture")
    log(f"  1 picture {commands['k12'].per_picture() * 1000:.1f} ms, 5 pictures "
        f"{commands['k5'].per_picture() * 1000:.1f} ms, {BATCH} pictures "
        f"{commands['kb'].per_picture() * 1000:.1f} ms (12 MP each)")
    # Least squares over the three batch sizes: a fixed part (start-up, exit) and a part per picture.
    xs = [1, 5, BATCH]
    ys = [commands[k].median() * 1000 for k in ("k12", "k5", "kb")]
    mx, my = sum(xs) / 3, sum(ys) / 3
    slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
    worst = max(abs(y - (my + slope * (x - mx))) for x, y in zip(xs, ys))
    log(f"  total = {my - slope * mx:.1f} ms + {slope:.1f} ms x pictures (largest deviation "
        f"from that line {worst:.1f} ms)")
    log(f"  per megapixel: 12 MP {commands['k12'].median() * 1000 / 12:.2f} ms/MP, 24 MP "
        f"{commands['k24'].median() * 1000 / 24:.2f} ms/MP "
        f"(the decode floor: {commands['d12'].median() * 1000 / 12:.2f} and "
        f"{commands['d24'].median() * 1000 / 24:.2f} ms/MP)")

    # Memory, as /usr/bin/time -v reports it.
    log()
    log("Peak memory (Maximum resident set size, /usr/bin/time -v):")
    tiny = work / "data" / "tiny.jpg"
    if not tiny.exists():
        subprocess.run([str(sample), str(tiny), "16", "16", "1"], check=True)
    baseline = statistics.median(peak_rss_time_v([program, tiny], env) for _ in range(3))
    peaks = {}
    for key, argv, e in (
        ("k24", [program, big], env), ("d24", ["djpeg", "-outfile", "/dev/null", big], None),
        ("c24", [CONVERT, big, "-sample", "30%", "-quality", "55", converted / "S_p24.jpg"], None),
        ("k12", [program, one], env), ("d12", ["djpeg", "-outfile", "/dev/null", one], None),
        ("c12", [CONVERT, one, "-sample", "30%", "-quality", "55", converted / "S_one.jpg"], None),
        ("kb", [program] + batch, env),
    ):
        peaks[key] = statistics.median(peak_rss_time_v(argv, e) for _ in range(3))
    # The outputs are what the program promises: the sizes of 30 %.
    for src, (w, h) in ((one, (1200, 900)), (big, (1800, 1200))):
        got = picture_size(sample, save / ("S_" + src.name))
        if got != (w, h):
            sys.exit(f"bench: S_{src.name} is {got[0]}x{got[1]}, not {w}x{h}")
    log(f"  kobanto on a 16 x 16 picture (the Qt runtime's own baseline): {baseline / 1024:.1f} MiB")
    for key in ("k24", "d24", "c24", "k12", "d12", "c12", "kb"):
        log(f"  {commands[key].name:34s} {peaks[key] / 1024:8.1f} MiB")
    log("  Debian's ImageMagick policy (/etc/ImageMagick-6/policy.xml) caps its pixel cache at "
        "256 MiB of memory and 512 MiB of map; its peak reflects that cap.")
    for key, src, (w, h) in (("k24", big, (1800, 1200)), ("k12", one, (1200, 900))):
        sw, sh = picture_size(sample, src)
        out = (save / ("S_" + src.name)).stat().st_size
        pictures = src.stat().st_size + sw * sh * 3 + 2 * (w * h * 3) + out
        budget = (baseline * 1024 + pictures) * 1.10
        log(f"  budget for {commands[key].name[9:]}: baseline {baseline / 1024:.1f} + source "
            f"{src.stat().st_size / 2**20:.1f} + decoded {sw * sh * 3 / 2**20:.1f} + intermediate "
            f"and 24-bit copy 2 x {w * h * 3 / 2**20:.1f} + output {out / 2**20:.2f} MiB, plus "
            f"10 % = {budget / 2**20:.1f} MiB; measured {peaks[key] / 1024:.1f} MiB "
            f"({'within' if peaks[key] * 1024 <= budget else 'OVER'})")
    log(f"  kobanto's peak against ImageMagick's: 24 MP {peaks['k24'] / peaks['c24']:.2f}, "
        f"12 MP {peaks['k12'] / peaks['c12']:.2f}")

    log()
    report_profile(profiled, big, headless_env(profile_save), rounds, commands["d24"].median())
    log()
    log(f"Load average {load_end:.2f} at the end of the timed rounds ({cores} cores); other work "
        "on the machine shows in the wall-clock times.")


def report_profile(profiled, big, env, rounds, djpeg_seconds):
    log("Where kobanto's time goes, one 24 MP picture (profiling build, medians of "
        f"{rounds} runs):")
    prof = profile(profiled, big, env, rounds)
    line = lambda text, ms: log(f"  {text:58s} {ms:7.1f} ms")
    start = list(prof)[:4]
    line("start-up to the first picture", sum(prof[k] for k in start))
    for k in start:
        line("  " + k, prof[k])
    names = dict(PHASES)
    names["write"] = "create and write the output file"
    names["settings"] = "six settings reads, releasing the pictures"
    for k in [p for p, _ in PHASES] + ["write", "settings"]:
        line(f"{k}: {names[k]}", prof[k])
    line("end: completion window, message loop, exit (freeing)",
         prof["batch to the end of the process"])
    floor = f"   (djpeg alone: {djpeg_seconds * 1000:.1f} ms)" if djpeg_seconds else ""
    log(f"  {'total':58s} {prof['total']:7.1f} ms{floor}")


if __name__ == "__main__":
    main()
