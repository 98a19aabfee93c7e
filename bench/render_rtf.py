#!/usr/bin/env python3
"""Real-time factor of `quorvel render` per program on a 60 s stereo 44.1 kHz file.

usage: bench/render_rtf.py [path/to/quorvel] [seconds]

Writes a test file (a harmonic tone plus noise, 16-bit WAV) to a temporary folder, renders it
through every available program and prints seconds of audio rendered per second of wall time.
A benchmark, not a test: the figures depend on the machine and what else it is doing.
"""
import json
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import time
import wave

RATE = 44100


def write_test_file(path, seconds):
    rng = random.Random(1)
    frames = bytearray()
    for i in range(int(seconds * RATE)):
        t = i / RATE
        tone = sum(math.sin(2 * math.pi * 220 * h * t) / h for h in range(1, 8))
        left = 0.25 * tone + 0.05 * rng.uniform(-1, 1)
        right = 0.25 * tone * 0.8 + 0.05 * rng.uniform(-1, 1)
        frames += struct.pack("<hh", int(left * 32767), int(right * 32767))
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    quorvel = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build", "hosts", "cli", "quorvel")
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    programs = json.loads(subprocess.run([quorvel, "programs", "--json"], check=True,
                                         capture_output=True, text=True).stdout)["programs"]
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "in.wav")
        write_test_file(source, seconds)
        print(f"{'program':<26} {'wall s':>8} {'x real time':>12}")
        for program in programs:
            if not program["available"]:
                continue
            out = os.path.join(folder, "out.wav")
            start = time.perf_counter()
            subprocess.run([quorvel, "render", source, out, "--program", str(program["number"]),
                            "--quiet"], check=True)
            wall = time.perf_counter() - start
            print(f"{program['name']:<26} {wall:8.3f} {seconds / wall:12.1f}")


if __name__ == "__main__":
    main()
