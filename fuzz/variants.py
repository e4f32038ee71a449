#!/usr/bin/env python3
"""Runs each fuzz target over its seeds and a fixed set of variants of them.

The variants come from a pseudo-random generator seeded with the target's
and the seed file's names, so every run tries the same inputs: a failure
found here is found again on the next run and on any other machine. Each
input runs once as it is (no mutation by the fuzzer, no search).

usage: variants.py BUILD_DIR CORPUS_DIR [COUNT_PER_TARGET]

BUILD_DIR holds fuzz/fuzz_TARGET, CORPUS_DIR one folder of seeds per
TARGET. A crash, a failed check, a time-out or too much memory fails the
run; the input is kept in a scratch folder whose path is printed.
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

MAX_LEN = 8192  # as the random search's -max_len
CHUNK = 400     # inputs per run of the target

# Values a field or a sample rarely holds by chance.
FLOATS = [0.0, -0.0, 1.0, -1.0, float("inf"), float("-inf"), float("nan"), 3.4028235e38, -3.4028235e38,
          1.4e-45, 1.17549435e-38, 1e34, -1e34, 3e29, 0.5, 65535.0]
INTS = [0, 1, -1, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, -0x80000000, 0xFFFFFFFF, 1 << 16, 1 << 24]


def interesting(rng):
    if rng.random() < 0.5:
        return struct.pack("<f", rng.choice(FLOATS))
    value = rng.choice(INTS)
    width = rng.choice([1, 2, 4])
    value &= (1 << (8 * width)) - 1
    return value.to_bytes(width, rng.choice(["little", "big"]))


def mutate(data, rng, others):
    data = bytearray(data)
    for _ in range(rng.randint(1, 4)):
        kind = rng.randrange(8)
        at = rng.randrange(len(data) + 1)
        if kind == 0 and data:  # a bit flipped
            at = min(at, len(data) - 1)
            data[at] ^= 1 << rng.randrange(8)
        elif kind == 1 and data:  # a byte set
            at = min(at, len(data) - 1)
            data[at] = rng.choice([0, 0xFF, 0x7F, 0x80, rng.randrange(256)])
        elif kind == 2:  # a telling value written over
            value = interesting(rng)
            data[at:at + len(value)] = value
        elif kind == 3:  # bytes put in
            data[at:at] = bytes(rng.randrange(256) for _ in range(rng.randint(1, 16)))
        elif kind == 4 and data:  # a stretch taken out
            data[at:at + rng.randint(1, max(1, len(data) // 4))] = b""
        elif kind == 5 and data:  # a stretch repeated
            piece = data[at:at + rng.randint(1, 64)]
            data[at:at] = piece
        elif kind == 6:  # cut short
            data = data[:at]
        elif others:  # the tail of another seed
            other = rng.choice(others)
            cut = rng.randrange(len(other) + 1)
            data = data[:at] + other[cut:]
    return bytes(data[:MAX_LEN])


def variants(target, seeds, count):
    """The fixed variants of one target's seeds: (name, bytes)."""
    names = sorted(seeds)
    if not names:
        return []
    out = []
    for n in range(count):
        name = names[n % len(names)]
        rng = random.Random(f"{target}/{name}/{n}")
        out.append((f"{name}.{n}", mutate(seeds[name], rng, [seeds[o] for o in names if o != name])))
    return out


def run(program, files, log):
    """Runs the target over the files, a chunk at a time; the failing
    input's path, or None."""
    for i in range(0, len(files), CHUNK):
        chunk = files[i:i + CHUNK]
        with open(log, "wb") as out:
            code = subprocess.call([program, "-timeout=10", "-rss_limit_mb=2048"] + chunk,
                                   stdout=out, stderr=subprocess.STDOUT)
        if code != 0:
            failed = chunk[-1]
            with open(log, "rb") as text:
                for line in text.read().decode("utf-8", "replace").splitlines():
                    if line.startswith("Running: "):
                        failed = line[len("Running: "):].strip()
            return failed
    return None


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    build, corpus = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) == 4 else 3000
    scratch = tempfile.mkdtemp(prefix="gt7p-variants-")
    status = 0
    for target in sorted(os.listdir(corpus)):
        folder = os.path.join(corpus, target)
        if not os.path.isdir(folder):
            continue
        program = os.path.join(build, "fuzz", "fuzz_" + target)
        if not os.access(program, os.X_OK):
            print(f"{folder}: no fuzz_{target} in {build}/fuzz")
            status = 1
            continue
        seeds = {}
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as f:
                seeds[name] = f.read()
        work = os.path.join(scratch, target)
        os.makedirs(work)
        files = [os.path.join(folder, name) for name in sorted(seeds)]
        for name, data in variants(target, seeds, count):
            path = os.path.join(work, name)
            with open(path, "wb") as f:
                f.write(data)
            files.append(path)
        log = os.path.join(scratch, target + ".log")
        failed = run(program, files, log)
        if failed is None:
            print(f"fuzz_{target}: {len(files)} inputs passed")
            shutil.rmtree(work)
            os.remove(log)
        else:
            status = 1
            with open(log, "rb") as text:
                print("\n".join(text.read().decode("utf-8", "replace").splitlines()[-40:]))
            print(f"fuzz_{target} failed on {failed}; inputs and log kept in {scratch}")
    if status == 0:
        shutil.rmtree(scratch)
    sys.exit(status)


if __name__ == "__main__":
    main()
