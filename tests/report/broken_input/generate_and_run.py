#!/usr/bin/env python3
"""Rebuilds the broken-input sets and runs each input through the program
that reads it: templates and pictures through reportdemo on every device
that shows no window, archives through archive_check. Every run must end
within the time limit, with exit 0, 1 or 2 and at most one line on standard
error.

The sets are made from the project's own samples with a fixed seed, so a
failure names an input that the next run makes again. A shorter run (CI's)
takes the first inputs of each set, the very bytes a full run makes:

  generate_and_run.py --reportdemo PATH --archive-check PATH --source ROOT
                      --work FOLDER [--templates 300] [--pictures 100]
                      [--archives 100] [--jobs N] [--seed S]
"""

import argparse
import concurrent.futures
import os
import random
import shutil
import subprocess
import sys
import time

SAMPLES = [("list", "list.csv"), ("grouped", "grouped.csv"), ("memo", "memo.csv"),
           ("variables", "list.csv"), ("subreport", "list.csv"), ("barcodes", "codes.csv"),
           ("shapes", "pics.csv")]
DEVICES = ["Trace", "TextFile", "ReportTextFile", "ArchiveFile", "pdf", "Screen"]
TIME_LIMIT = 10
# Each set is drawn from the generator whole, however much of it runs, so
# that the inputs do not depend on the other sets' counts.
SET_SIZES = {"templates": 300, "pictures": 100, "archives": 100}


def mutate_bytes(rng, data):
    """One of the faults a file picks up: cut, flipped, inserted, lost or
    repeated bytes, or a length or count turned huge."""
    data = bytearray(data)
    kind = rng.randrange(6)
    if kind == 0 and len(data) > 1:
        return bytes(data[:rng.randrange(1, len(data))])
    if kind == 1:
        for _ in range(rng.randint(1, 8)):
            data[rng.randrange(len(data))] = rng.randrange(256)
        return bytes(data)
    if kind == 2:
        at = rng.randrange(len(data) + 1)
        return bytes(data[:at] + bytes(rng.randrange(256) for _ in range(rng.randint(1, 16))) + data[at:])
    if kind == 3 and len(data) > 2:
        at = rng.randrange(len(data) - 1)
        return bytes(data[:at] + data[at + rng.randint(1, min(64, len(data) - at)):])
    if kind == 4 and len(data) > 2:
        at = rng.randrange(len(data) - 1)
        chunk = data[at:at + rng.randint(1, 64)]
        return bytes(data[:at] + chunk + chunk + data[at:])
    at = rng.randrange(max(1, len(data) - 4))
    data[at:at + 4] = rng.choice([b"\xff\xff\xff\x7f", b"\x00\x00\x00\x80", b"\xff\xff\xff\xff", b"\x00\x00\x00\x00"])
    return bytes(data)


def mutate_text(rng, text):
    """A text template edited by hand, badly."""
    lines = text.split(b"\n")
    kind = rng.randrange(6)
    at = rng.randrange(len(lines))
    if kind == 0:
        del lines[at]
    elif kind == 1:
        lines.insert(at, lines[rng.randrange(len(lines))])
    elif kind == 2 and b"=" in lines[at]:
        name = lines[at].split(b"=")[0]
        lines[at] = name + b"= " + rng.choice([b"99999999999", b"-2147483648", b"2147483647", b"'", b"(", b"<",
                                               b"1e308", b"$FFFFFFFF", b"True", b"nil", b"{ 00FF }", b""])
    elif kind == 3:
        lines[at] = lines[at] + bytes([rng.choice([0, 7, 27, 127, 0x9b])]) + b"x"
    elif kind == 4:
        return b"\n".join(lines)[:rng.randrange(1, len(text))]
    else:
        return mutate_bytes(rng, text)
    return b"\n".join(lines)


def make_sets(args, rng):
    work = args.work
    samples = os.path.join(args.source, "tools", "reportdemo", "samples")
    bases = []
    for report, data in SAMPLES:
        for text in (False, True):
            # Saved under a name relative to the work folder: a template
            # keeps its file name, and the sets must not depend on where
            # the build is, or CI would run other inputs than a developer.
            base = "base-%s%s.rtm" % (report, "-text" if text else "")
            name = os.path.join(work, base)
            command = [args.reportdemo, "--report", report, "--data", os.path.join(samples, data),
                       "--save-template", base] + (["--text"] if text else [])
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=60, cwd=work)
            with open(name, "rb") as f:
                bases.append((report, data, text, f.read()))
    runs = []
    for i in range(max(args.templates, SET_SIZES["templates"])):
        report, data, text, base = bases[i % len(bases)]
        mutated = mutate_text(rng, base) if text else mutate_bytes(rng, base)
        if i >= args.templates:
            continue
        name = os.path.join(work, "template-%03d-%s.rtm" % (i, report))
        with open(name, "wb") as f:
            f.write(mutated)
        runs.append(device_run(args, i, ["--template", name, "--data", os.path.join(samples, data)], name))

    pictures = os.path.join(args.source, "fuzz", "corpus", "fuzz_pictures")
    images = sorted(n for n in os.listdir(pictures) if not n.endswith(".dat"))
    extensions = sorted({os.path.splitext(n)[1] for n in images})
    for i in range(max(args.pictures, SET_SIZES["pictures"])):
        source = images[i % len(images)]
        with open(os.path.join(pictures, source), "rb") as f:
            data = mutate_bytes(rng, f.read())
        # Some carry another format's extension, as files renamed by hand.
        extension = rng.choice(extensions) if i % 5 == 4 else os.path.splitext(source)[1]
        if i >= args.pictures:
            continue
        name = os.path.join(work, "picture-%03d%s" % (i, extension))
        with open(name, "wb") as f:
            f.write(data)
        csv = os.path.join(work, "picture-%03d.csv" % i)
        with open(csv, "w") as f:
            f.write("Picture\n%s\npicture.gif\n" % name if i % 2 == 0 else "Picture\npicture.gif\n%s\n" % name)
        runs.append(device_run(args, i, ["--report", "shapes", "--data", csv], name))

    archives = os.path.join(args.source, "fuzz", "corpus", "fuzz_archive_reader")
    raf = sorted(n for n in os.listdir(archives) if os.path.getsize(os.path.join(archives, n)) > 4)
    for i in range(max(args.archives, SET_SIZES["archives"])):
        with open(os.path.join(archives, raf[i % len(raf)]), "rb") as f:
            data = mutate_bytes(rng, f.read())
        if i >= args.archives:
            continue
        name = os.path.join(work, "archive-%03d.raf" % i)
        with open(name, "wb") as f:
            f.write(data)
        runs.append(([args.archive_check, name], name))
    return runs


def device_run(args, i, arguments, name):
    device = DEVICES[i % len(DEVICES)]
    out = os.path.join(args.work, "out-%s-%d" % (os.path.basename(name), i))
    if device == "pdf":
        return [args.reportdemo] + arguments + ["--pdf", out + ".pdf"], name
    if device == "Screen":
        return [args.reportdemo] + arguments + ["--device", "Screen", "--out", out + ".png"], name
    return [args.reportdemo] + arguments + ["--device", device, "--out", out], name


def run_one(command, name):
    """The run's exit code and, when it broke the rules, what it did."""
    started = time.monotonic()
    try:
        done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        return None, "%s: still running after %d s: %s" % (name, TIME_LIMIT, " ".join(command))
    error = done.stderr.decode("utf-8", "replace")
    lines = error.count("\n") + (0 if error.endswith("\n") or not error else 1)
    if done.returncode not in (0, 1, 2) or lines > 1:
        return done.returncode, "%s: exit %d, %d lines on standard error (%.1f s): %s\n%s" % (
            name, done.returncode, lines, time.monotonic() - started, " ".join(command), error[-3000:])
    return done.returncode, None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--reportdemo", required=True)
    parser.add_argument("--archive-check", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--templates", type=int, default=SET_SIZES["templates"])
    parser.add_argument("--pictures", type=int, default=SET_SIZES["pictures"])
    parser.add_argument("--archives", type=int, default=SET_SIZES["archives"])
    # The cores this process may run on, not the machine's: under taskset or a
    # container's CPU limit, os.cpu_count() overloads the few it has.
    parser.add_argument("--jobs", type=int, default=len(os.sched_getaffinity(0)) or 2)
    parser.add_argument("--seed", type=int, default=65)
    args = parser.parse_args()
    for path in ("reportdemo", "archive_check", "source", "work"):
        setattr(args, path, os.path.abspath(getattr(args, path)))
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    started = time.monotonic()
    runs = make_sets(args, random.Random(args.seed))
    failures = []
    codes = {}
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for code, failure in pool.map(lambda run: run_one(*run), runs):
            codes[code] = codes.get(code, 0) + 1
            if failure:
                failures.append(failure)
    print("%d inputs in %.0f s, %d failed; exit codes %s" % (
        len(runs), time.monotonic() - started, len(failures),
        ", ".join("%s: %d" % (code, count) for code, count in sorted(codes.items(), key=str))))
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
