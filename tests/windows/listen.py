#!/usr/bin/python3

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Listens at the null sink's monitor and writes one line a sound heard: where on the wall
clock it began and how long it lasted, in seconds since the epoch.

Usage: listen.py <sink monitor> <out file>   (until killed; a line is written as a sound ends)

A sound begins at the first sample of the recording's own (louder than Content) after at least
Gap of quiet; a decoder's near-silent lead-in does not count. Samples come in reads of 2 ms,
each stamped when the read returned: a sample is placed in its read by its index, and so is
never placed before it could have been heard.
"""

import array
import subprocess
import sys
import time

RATE = 48000
READ = RATE // 500  # frames a read
CONTENT = 1000  # about -30 dBFS: a bell's own sound, far above any lead-in's hiss
GAP = 0.5  # quiet between two sounds, s


def main():
    device, out = sys.argv[1], sys.argv[2]
    recorder = subprocess.Popen(
        ["parec", "-d", device, "--format=s16le", f"--rate={RATE}", "--channels=1",
         "--latency-msec=2", "--raw"],
        stdout=subprocess.PIPE, bufsize=0)
    began = last = None
    with open(out, "a", buffering=1) as log:
        while True:
            data = recorder.stdout.read(READ * 2)
            if not data:
                break
            now = time.time()
            samples = array.array("h", data)
            for i, sample in enumerate(samples):
                if abs(sample) < CONTENT:
                    continue
                at = now - (len(samples) - 1 - i) / RATE
                if last is not None and at - last > GAP:
                    log.write(f"{began:.4f} {last - began:.3f}\n")
                    began = None
                if began is None:
                    began = at
                last = at
            if began is not None and now - last > GAP:
                log.write(f"{began:.4f} {last - began:.3f}\n")
                began = last = None


if __name__ == "__main__":
    main()
