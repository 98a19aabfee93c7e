#!/usr/bin/env python3
"""Real-time factor of `quorvel render` per program on a 60 s stereo 44.1 kHz file.

usage: bench/render_rtf.py [path/to/quorvel] [seconds] [--harmonic] [--repeat N] [--baseline Q] [--fftw F]

Writes a test file (a harmonic tone plus noise, 16-bit WAV) to a temporary folder, renders it
through every available program and prints seconds of audio rendered per second of CPU time,
and each program's time over that of the bare FFTW short-time loop (quorvel_fftw_loop, built
beside the benchmarks: read, window, transform both ways, overlap-add, write) on the same file
in the same run. --fftw F names that program (default: build/bench/quorvel_fftw_loop).

--harmonic: the eight harmonic programs instead, on a mono voice-like file (bench/voices.py's
harmonic tone: a fundamental falling from 300 to 150 Hz with a 5.5 Hz vibrato of +-40 cents),
and, in the same run, `rubberband -F -p 3` (its default engine) on the same file; prints each
program's time over Rubber Band's. Needs numpy (run with /usr/bin/python3). --repeat N takes
the fastest of N runs of each command, in N rounds of every command once (default 1), so that a
slower stretch of a shared machine weighs on every command alike. --baseline Q also times
another quorvel binary (an earlier build) on the same file in the same run and prints its time
over ours.

A benchmark, not a test: the figures depend on the machine and what else it is doing.
"""
import argparse
import json
import math
import os
import resource
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


def write_voice_file(path, seconds):
    import numpy as np
    import voices

    def f0(t):
        t = np.asarray(t, dtype=float)
        return 300.0 * 0.5 ** (t / seconds) * 2 ** (40 / 1200 * np.sin(2 * np.pi * 5.5 * t))

    voices.write_wav(path, voices.voiced("rtf-voice", "voice", f0, seconds).samples)


def timed_rounds(commands, repeat):
    """{key: (wall s, CPU s: user + system of the child)}, the fastest of `repeat` runs of each
    command. The runs go round by round, every command once per round, so that a stretch in
    which the machine is slower weighs on all of them alike."""
    best = {key: (float("inf"), float("inf")) for key in commands}
    for _ in range(repeat):
        for key, args in commands.items():
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            subprocess.run(args, check=True, capture_output=True)
            wall = time.perf_counter() - start
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
            best[key] = min(best[key], (wall, cpu), key=lambda t: t[1])
    return best


def program_commands(quorvel, programs, family, source, folder, baseline):
    """The render commands of every available program (of `family`, when given), ours and the
    baseline's, keyed by (program name, which)."""
    commands = {}
    for program in programs:
        if not program["available"] or (family and program["family"] != family):
            continue
        args = ["render", source, os.path.join(folder, "out.wav"),
                "--program", str(program["number"]), "--quiet"]
        commands[(program["name"], "ours")] = [quorvel] + args
        if baseline:
            commands[(program["name"], "baseline")] = [baseline] + args
    return commands


def print_programs(times, yardstick, seconds, ratio_width, baseline):
    for (name, which), ours in times.items():
        if which != "ours":
            continue
        line = (f"{name:<26} {ours[0]:8.3f} {ours[1]:8.3f} {seconds / ours[1]:12.1f} "
                f"{ours[1] / yardstick[1]:{ratio_width}.2f}")
        if baseline:
            before = times[(name, "baseline")]
            line += f" {before[1]:15.3f} {before[1] / ours[1]:9.2f}"
        print(line)


def harmonic(quorvel, programs, seconds, repeat, baseline):
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "voice.wav")
        write_voice_file(source, seconds)
        commands = {"rubberband": ["rubberband", "-q", "-F", "-p", "3", source,
                                   os.path.join(folder, "rb.wav")]}
        commands.update(program_commands(quorvel, programs, "harmonic", source, folder, baseline))
        times = timed_rounds(commands, repeat)
        theirs = times.pop("rubberband")
        print(f"{seconds:g} s mono 44.1 kHz voice. On a shared machine wall time counts other jobs "
              f"too: the x real time and ratio columns use CPU time (user + system).")
        print(f"{'command':<26} {'wall s':>8} {'CPU s':>8} {'x real time':>12} {'ours/theirs':>12}"
              + (f" {'baseline CPU s':>15} {'speed-up':>9}" if baseline else ""))
        print(f"{'rubberband -F -p 3':<26} {theirs[0]:8.3f} {theirs[1]:8.3f} {seconds / theirs[1]:12.1f}")
        print_programs(times, theirs, seconds, 12, baseline)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(usage=__doc__.strip().splitlines()[2].removeprefix("usage: "))
    parser.add_argument("quorvel", nargs="?", default=os.path.join(here, "..", "build", "hosts", "cli", "quorvel"))
    parser.add_argument("seconds", nargs="?", type=float, default=60.0)
    parser.add_argument("--harmonic", action="store_true")
    parser.add_argument("--repeat", type=int, default=1)
    parser.add_argument("--baseline")
    parser.add_argument("--fftw", default=os.path.join(here, "..", "build", "bench", "quorvel_fftw_loop"))
    options = parser.parse_args()
    quorvel, seconds, repeat = options.quorvel, options.seconds, options.repeat
    programs = json.loads(subprocess.run([quorvel, "programs", "--json"], check=True,
                                         capture_output=True, text=True).stdout)["programs"]
    if options.harmonic:
        harmonic(quorvel, programs, seconds, repeat, options.baseline)
        return
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "in.wav")
        write_test_file(source, seconds)
        commands = {"fftw": [options.fftw, source, os.path.join(folder, "fftw.wav")]}
        commands.update(program_commands(quorvel, programs, None, source, folder, options.baseline))
        times = timed_rounds(commands, repeat)
        fftw = times.pop("fftw")
        print(f"{seconds:g} s stereo 44.1 kHz. The x real time and ratio columns use CPU time "
              f"(user + system), which other jobs on a shared machine do not inflate.")
        print(f"{'program':<26} {'wall s':>8} {'CPU s':>8} {'x real time':>12} {'ours/FFTW':>10}"
              + (f" {'baseline CPU s':>15} {'speed-up':>9}" if options.baseline else ""))
        print(f"{'bare FFTW loop':<26} {fftw[0]:8.3f} {fftw[1]:8.3f} {seconds / fftw[1]:12.1f}")
        print_programs(times, fftw, seconds, 10, options.baseline)

if __name__ == "__main__":
    main()
