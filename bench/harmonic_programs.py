#!/usr/bin/python3
"""What our pitch-changing harmonic programs do to voice-like signals, measured with Praat.

usage: bench/harmonic_programs.py [--quorvel PATH] [--keep DIR]

Run with Debian's /usr/bin/python3 (it needs python3-numpy and praat: bench/setup_references).
The inputs are voice-like signals from bench/voices.py: steady tones at 150, 220 and 330 Hz and
a glide from 150 to 300 Hz, 3.5 s each. Praat tracks every input and output on our hop grid
(floor 75 Hz unless said otherwise, ceiling 900 Hz); frames within 0.25 s of either end are left
out. Each row gives what the program was asked for, the input's figures and the output's.

1. "Pitch Quantizer" at "Correction [%]=100" (default rate): share of voiced frames within 10
   cents of an equal-tempered semitone (A4 = 440 Hz) and the median distance to the nearest one,
   for the input and the output. 220 and 330 Hz already sit on (or within 2 cents of) a
   semitone; 150 Hz is 36 cents above D3; the glide covers every distance.
2. "Robotization" at "Pitch [Hz]" 110 and 200: the output's median f0, its deviation from the
   set pitch in cents and the share of voiced frames within 25 cents of it, with Praat's floor
   at 0.7 times the set pitch (with a 50 Hz floor Praat halves a 200 Hz output whose spectrum
   holds nothing at 100 Hz); and the level of a partial at the hop rate (44100 / 256 Hz), which
   a steady voice does not carry (the glide input passes through it).
3. "Vibrato" at "LFO Rate [Hz]=5" with "Depth [%]" 5 and 20, on the steady tones: the rate is
   the strongest frequency between 1 and 15 Hz of the detrended output cents track; the depth
   is half the 5th-95th percentile span of f0_out / f0_in - 1, in %.
4. "Harmonize" at its defaults with "Dry/Wet=1" on the steady 220 Hz tone: the long-term
   spectrum's strongest peak within a semitone of 220 * 2^(p/12) for each set pitch p gives the
   measured interval in semitones and its level against the strongest peak of the spectrum; the
   level at the input's own 220 Hz shows how much of the input is left.

A benchmark, not a test: it reports figures and passes no judgement.
"""
import argparse
import os
import subprocess
import sys
import tempfile

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tools  # noqa: E402
import voices  # noqa: E402

SECONDS = 3.5
EDGE_S = 0.25  # frames this close to either end are not scored
# Praat's search range. A floor of 50 Hz makes its 60 ms window too long for a 20% vibrato at
# 150 Hz (it finds only the turning points voiced, on a generated vibrato too).
FLOOR, CEILING = 75.0, 900.0
COMMAND = "bench/harmonic_programs.py"


def inputs(folder):
    """(name, voice, wav path) for every input."""
    out = []
    for v in [voices.steady(f, SECONDS) for f in (150, 220, 330)] + [voices.glide(150, 300, SECONDS)]:
        path = os.path.join(folder, v.name + ".wav")
        voices.write_wav(path, v.samples)
        out.append((v.name, v, path))
    return out


def scored(t, f0, seconds):
    """f0 of the voiced frames away from the ends, and their times."""
    keep = (t > EDGE_S) & (t < seconds - EDGE_S) & (f0 > 0)
    return t[keep], f0[keep]


def voiced_share(t, f0, seconds):
    inside = (t > EDGE_S) & (t < seconds - EDGE_S)
    return np.mean(f0[inside] > 0) if inside.any() else np.nan


def semitone_distance(f0):
    """|cents| to the nearest equal-tempered semitone, A4 = 440 Hz."""
    c = 1200.0 * np.log2(f0 / 440.0)
    return np.abs(c - 100.0 * np.round(c / 100.0))


class Table:
    """One table: a line naming each program and its figures, then one row per setting and input."""
    WIDTH = (22, 15, 26, 20, 34, 8)

    def __init__(self):
        self.lines = []

    def program(self, title, figures):
        self.lines.append(f"{title}: {figures}")

    def add(self, asked, name, target, given, got, voiced=""):
        cells = (asked, name, target, given, got, voiced)
        self.lines.append("  " + "".join(f"{c:<{w}}" if i < 2 else f"{c:>{w}}"
                                         for i, (c, w) in enumerate(zip(cells, self.WIDTH))))

    def print(self):
        print("  " + "".join(f"{c:<{w}}" if i < 2 else f"{c:>{w}}" for i, (c, w) in enumerate(
            zip(("asked", "input", "target", "input measured", "output measured", "voiced"), self.WIDTH))))
        for line in self.lines:
            print(line)


def pct(x):
    return "n/a" if np.isnan(x) else f"{100 * x:.1f}%"


def median(x):
    return float(np.median(x)) if len(x) else np.nan


def share(condition):
    return float(np.mean(condition)) if len(condition) else np.nan


def track(praat, path, floor, seconds):
    """(times, f0) of the voiced frames away from the ends, and the voiced share of those frames."""
    t, f0 = praat.track(path, floor, CEILING)
    return (*scored(t, f0, seconds), voiced_share(t, f0, seconds))


def quantizer(q, praat, items, folder, table):
    table.program('"Pitch Quantizer"', "share of voiced frames within 10 cents of an equal-tempered semitone"
                  " / median distance to the nearest one")
    for name, v, path in items:
        out = os.path.join(folder, f"{name}.quantizer.wav")
        q.render(path, out, "Pitch Quantizer", {"Correction [%]": "100"})
        _, f_in, _ = track(praat, path, FLOOR, v.seconds)
        _, f_out, voiced = track(praat, out, FLOOR, v.seconds)
        d_in, d_out = semitone_distance(f_in), semitone_distance(f_out)
        table.add("Correction=100", name, "100% / 0c", f"{pct(share(d_in <= 10))} / {median(d_in):.1f}c",
                  f"{pct(share(d_out <= 10))} / {median(d_out):.1f}c", pct(voiced))


def hop_rate_level(path):
    """Level in dB, against the strongest peak, of the strongest bin within 2 Hz of the hop rate."""
    freq, power = ltas(voices.read_wav(path)[0])
    rate = 1.0 / tools.HOP_S
    near = np.abs(freq - rate) <= 2.0
    return 10 * np.log10(power[near].max() / power[(freq > 50) & (freq < 8000)].max() + 1e-30)


def robotization(q, praat, items, folder, table):
    table.program('"Robotization"', "median output f0 / its deviation from the set pitch / share of voiced"
                  f" frames within 25 cents of it (Praat floor 0.7 x set pitch) / level of a"
                  f" {1 / tools.HOP_S:.1f} Hz (hop rate) partial against the strongest spectral peak")
    for pitch in (110, 200):
        for name, v, path in items:
            out = os.path.join(folder, f"{name}.robot{pitch}.wav")
            q.render(path, out, "Robotization", {"Pitch [Hz]": str(pitch)})
            _, f_in, _ = track(praat, path, FLOOR, v.seconds)
            _, f_out, voiced = track(praat, out, 0.7 * pitch, v.seconds)
            m = median(f_out)
            deviation = float(tools.cents(m, pitch)) if m > 0 else np.nan
            table.add(f"Pitch={pitch} Hz", name, f"{pitch} Hz / 0c / 100% / -", f"{median(f_in):.1f} Hz / "
                      f"{hop_rate_level(path):.0f}dB", f"{m:.1f} Hz / {deviation:+.1f}c / "
                      f"{pct(share(np.abs(tools.cents(f_out, pitch)) <= 25))} / {hop_rate_level(out):.0f}dB",
                      pct(voiced))


def modulation(t, f0, f_ref):
    """(strongest rate in Hz between 1 and 15 Hz, depth in %) of a voiced f0 track."""
    if len(f0) < 32:
        return np.nan, np.nan
    # The cents track on a regular grid (gaps bridged linearly), detrended and windowed.
    grid = np.arange(t[0], t[-1], tools.HOP_S)
    c = np.interp(grid, t, 1200 * np.log2(f0 / f_ref))
    c = c - np.polyval(np.polyfit(grid, c, 1), grid)
    n = 1 << 16
    spectrum = np.abs(np.fft.rfft(c * np.hanning(len(c)), n))
    freq = np.fft.rfftfreq(n, tools.HOP_S)
    band = (freq >= 1) & (freq <= 15)
    ratio = f0 / f_ref - 1
    return float(freq[band][np.argmax(spectrum[band])]), 50 * (np.percentile(ratio, 95) - np.percentile(ratio, 5))


def vibrato(q, praat, items, folder, table):
    table.program('"Vibrato"', "strongest rate of the detrended f0 track in 1-15 Hz / depth, half the 5-95th"
                  " percentile span of f0_out / f0_in - 1")
    for depth in (5, 20):
        for name, v, path in items:
            if not name.startswith("steady"):
                continue
            out = os.path.join(folder, f"{name}.vibrato{depth}.wav")
            q.render(path, out, "Vibrato", {"LFO Rate [Hz]": "5", "Depth [%]": str(depth)})
            t_in, f_in, _ = track(praat, path, FLOOR, v.seconds)
            f_ref = median(f_in)
            _, d_in = modulation(t_in, f_in, f_ref)
            t_out, f_out, voiced = track(praat, out, FLOOR, v.seconds)
            r_out, d_out = modulation(t_out, f_out, f_ref)
            table.add(f"Rate=5 Hz Depth={depth}%", name, f"5 Hz / {depth}%", f"- / {d_in:.2f}%",
                      f"{r_out:.2f} Hz / {d_out:.2f}%", pct(voiced))


def ltas(x):
    """Long-term power spectrum: 16384-point Hann frames, hop 4096, ends left out."""
    n, hop = 16384, 4096
    x = x[int(EDGE_S * voices.RATE):len(x) - int(EDGE_S * voices.RATE)]
    window = np.hanning(n)
    frames = [x[i:i + n] * window for i in range(0, len(x) - n + 1, hop)]
    return np.fft.rfftfreq(n, 1.0 / voices.RATE), np.mean(np.abs(np.fft.rfft(frames, axis=1)) ** 2, axis=0)


def peak_near(freq, power, target, semitones):
    """(frequency, power) of the strongest bin within `semitones` of target, refined parabolically."""
    near = np.abs(12 * np.log2(np.maximum(freq, 1e-9) / target)) <= semitones
    i = int(np.argmax(np.where(near, power, -1.0)))
    a, b, c = np.log(power[i - 1:i + 2] + 1e-30)
    shift = 0.5 * (a - c) / (a - 2 * b + c) if (a - 2 * b + c) < 0 else 0.0
    return freq[i] + shift * (freq[1] - freq[0]), power[i]


def harmonize(q, items, folder, table):
    defaults = {p["name"]: p["default"] for p in q.programs["Harmonize"].get("parameters", [])}
    pitches = [float(defaults["Pitch1 [semitone]"]), float(defaults["Pitch2 [semitone]"])]
    table.program('"Harmonize"', "strongest long-term spectral peak within a semitone of 220 Hz x 2^(p/12):"
                  " interval in semitones / level against the strongest peak; the last row is the input's"
                  " own 220 Hz")
    name, v, path = next(i for i in items if i[0] == "steady-220")
    out = os.path.join(folder, f"{name}.harmonize.wav")
    q.render(path, out, "Harmonize", {"Dry/Wet": "1"})
    asked = "defaults, Dry/Wet=1"
    found = {}
    for key, x in (("in", v.samples), ("out", voices.read_wav(out)[0])):
        freq, power = ltas(x)
        top = power[(freq > 50) & (freq < 8000)].max()
        found[key] = []
        for p in pitches + [0.0]:
            f, level = peak_near(freq, power, 220.0 * 2 ** (p / 12), 1.0 if p else 0.2)
            found[key].append((12 * np.log2(f / 220.0), 10 * np.log10(level / top + 1e-30)))
    for k, p in enumerate(pitches):
        table.add(asked, name, f"{p:+g} st", f"- / {found['in'][k][1]:.0f}dB",
                  f"{found['out'][k][0]:+.2f} st / {found['out'][k][1]:.1f}dB")
    table.add(asked, name, "0 st, absent", f"{found['in'][2][0]:+.2f} st / {found['in'][2][1]:.1f}dB",
              f"- / {found['out'][2][1]:.1f}dB")


def main():
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("--quorvel", default=tools.default_quorvel(), help="path to our quorvel binary")
    parser.add_argument("--keep", metavar="DIR", help="write inputs and renders into DIR")
    args = parser.parse_args()
    tools.check_references("praat")
    q = tools.Quorvel(args.quorvel)
    for program in ("Pitch Quantizer", "Robotization", "Vibrato", "Harmonize"):
        ok, why = q.can_render(program)
        if not ok:
            raise SystemExit(f"quorvel: {why}")

    with tempfile.TemporaryDirectory() as scratch:
        folder = args.keep or scratch
        os.makedirs(folder, exist_ok=True)
        praat = tools.Praat(scratch)
        items = inputs(folder)
        table = Table()
        try:
            quantizer(q, praat, items, folder, table)
            robotization(q, praat, items, folder, table)
            vibrato(q, praat, items, folder, table)
            harmonize(q, items, folder, table)
        except subprocess.CalledProcessError as e:
            raise SystemExit(f"{' '.join(e.cmd)} failed: {(e.stderr or '').strip()}")
        print(f"{COMMAND}: voice-like inputs ({SECONDS:g} s, 44.1 kHz); f0 by Praat (floor {FLOOR:g} Hz unless"
              f" said, ceiling {CEILING:g} Hz) on frames over {EDGE_S:g} s from either end; 'target' is what"
              " the program was asked for, 'voiced' the share of output frames Praat finds voiced")
        table.print()
        if args.keep:
            print(f"\ninputs and renders kept in {folder}")


if __name__ == "__main__":
    main()
