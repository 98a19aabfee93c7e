#!/usr/bin/python3
"""Accuracy, timbre and speed of our "Pitch Shift" beside Rubber Band's formant-preserving shift.

usage: bench/pitch_shift_accuracy.py [--quorvel PATH] [--detail] [--keep DIR] [--timing-seconds S]

Run with Debian's /usr/bin/python3 (it needs python3-numpy, praat and rubberband-cli, and uses
the read-speech recordings of pocketsphinx-testdata when present: bench/setup_references).

1. Pitch: voice-like signals from bench/voices.py and recorded speech (resampled to 44.1 kHz)
   are shifted by +3, -5 and +12 semitones by every tool in the same run. Praat tracks the input
   and each output on the same frame grid; every frame Praat finds voiced in the input is
   expected at the input's f0 times the ratio. Reported: the median absolute error in cents
   over frames voiced in both, and the share of input-voiced frames off by more than 50 cents
   (an output frame found unvoiced counts as off).
2. Timbre: a 120 Hz voice with fixed resonances at 700, 1200 and 2600 Hz shifted by +5
   semitones. Reported: the spectral centroid's move in % against the input (the "ideal" row,
   the same voice generated at the shifted pitch, shows the target; a shift that keeps no
   timbre moves it by about +33%), and the harmonic envelope's level at each resonance and its
   rms over 300-4000 Hz in dB against that generated voice, each relative to its whole band's
   power so that overall gain does not count.
3. Speed: wall time of a +3 semitone shift of a 60 s speech-like file, ours over
   `rubberband -F`, each run as a command (start-up and file input/output included).

Ours is "Pitch Shift" at its default voice threshold and with "VoiceThrld [%]=50". While it
cannot be rendered yet its rows show n/a and the script still measures Rubber Band.
A benchmark, not a test: it reports figures and passes no judgement.
"""
import argparse
import glob
import os
import subprocess
import sys
import tempfile
from collections import OrderedDict

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tools  # noqa: E402
import voices  # noqa: E402

SHIFTS = (3, -5, 12)
TIMBRE_SHIFT = 5
TIMBRE_F0 = 120.0
PROGRAM = "Pitch Shift"
ENVELOPE_GRID = np.arange(300.0, 4001.0, 10.0)  # Hz, where the timbre check compares envelopes
SPEECH = "/usr/share/pocketsphinx/test/data/librivox/*.wav"
SPEECH_CEILING = 400.0  # the recorded reader's voice stays well below this


class Setting:
    """One way of shifting pitch: a label and how to render src into dst."""

    def __init__(self, label, render, why_not=None):
        self.label, self.render, self.why_not = label, render, why_not


def settings(quorvel):
    ok, why = quorvel.can_render(PROGRAM)

    def ours(extra):
        def render(src, dst, semitones):
            return quorvel.render(src, dst, PROGRAM, {"Transpose [semitone]": f"{semitones:g}", **extra})
        return render

    return [
        Setting("quorvel", ours({}), None if ok else why),
        Setting("quorvel VoiceThrld=50", ours({"VoiceThrld [%]": "50"}), None if ok else why),
        Setting("rubberband -F", lambda s, d, n: tools.rubberband(s, d, n, formant=True, engine=2)),
        Setting("rubberband -3 -F", lambda s, d, n: tools.rubberband(s, d, n, formant=True, engine=3)),
    ]


def materials(folder):
    """(name, group, wav path, Praat ceiling for the input) for every input."""
    picked = ["steady-100", "steady-220", "steady-500", "glide-150-300", "vibrato-120", "vibrato-220",
              "syllables-110", "syllables-210"]
    out = []
    for v in voices.clean_voices():
        if v.name in picked:
            path = os.path.join(folder, v.name + ".wav")
            voices.write_wav(path, v.samples)
            out.append((v.name, "voice-like", path, max(400.0, 1.5 * v.max_f0)))
    for source in sorted(glob.glob(SPEECH)):
        x, rate = voices.read_wav(source)
        name = "speech-" + os.path.splitext(os.path.basename(source))[0].rsplit("-", 1)[-1]
        path = os.path.join(folder, name + ".wav")
        voices.write_wav(path, voices.resample(x, rate, voices.RATE))
        out.append((name, "speech", path, SPEECH_CEILING))
    return out


def frame_errors(t_in, f_in, t_out, f_out, ratio, lag=0):
    """Cents error of every input-voiced frame (inf where the output frame is unvoiced)."""
    idx = np.clip(np.searchsorted(t_out, t_in + lag * tools.HOP_S - tools.HOP_S / 2), 0, len(t_out) - 1)
    voiced = f_in > 0
    got = f_out[idx][voiced]
    error = tools.cents(got, f_in[voiced] * ratio)
    return np.where(got > 0, error, np.inf)


def summary(errors):
    """(median |cents| over frames voiced in both, share off by more than 50 cents)."""
    errors = np.abs(np.concatenate(errors)) if errors else np.zeros(0)
    finite = errors[np.isfinite(errors)]
    median = float(np.median(finite)) if len(finite) else float("nan")
    return median, (float(np.mean(errors > 50)) if len(errors) else float("nan")), len(errors)


def best_lag_ms(t_in, f_in, t_out, f_out, ratio):
    """The output delay in ms, within 4 hops either way, that minimises the median error."""
    medians = {lag: summary([frame_errors(t_in, f_in, t_out, f_out, ratio, lag)])[0] for lag in range(-4, 5)}
    lag = min(medians, key=lambda k: (np.nan_to_num(medians[k], nan=1e9), abs(k)))
    return lag * tools.HOP_S * 1000


def accuracy(praat, setups, inputs, folder, detail):
    errors = OrderedDict()  # (group, setting label, shift) -> list of per-file error arrays
    rows = []
    for name, group, path, ceiling in inputs:
        t_in, f_in = praat.track(path, 50.0, ceiling)
        for shift in SHIFTS:
            ratio = 2 ** (shift / 12)
            for s in setups:
                if s.why_not:
                    continue
                out = os.path.join(folder, f"{name}.{s.label.replace(' ', '_')}.{shift:+d}.wav")
                s.render(path, out, shift)
                t_out, f_out = praat.track(out, 50.0, ceiling * max(1.0, ratio))
                e = frame_errors(t_in, f_in, t_out, f_out, ratio)
                errors.setdefault((group, s.label, shift), []).append(e)
                if detail:
                    rows.append((name, s.label, shift, *summary([e])[:2], best_lag_ms(t_in, f_in, t_out, f_out, ratio)))

    print("\npitch: median |error| in cents over frames voiced in input and output / share of input-voiced"
          " frames off by more than 50 cents")
    print(f"{'input':<12}{'tool':<24}{'frames':>7}" + "".join(f"{f'{s:+d} semitones':>20}" for s in SHIFTS))
    for group in OrderedDict((g, None) for _, g, _, _ in inputs):
        for s in setups:
            cells, frames = [], 0
            for shift in SHIFTS:
                if (group, s.label, shift) in errors:
                    median, off, frames = summary(errors[(group, s.label, shift)])
                    cells.append(f"{median:7.1f} / {100 * off:5.1f}%")
                else:
                    cells.append("n/a")
            print(f"{group:<12}{s.label:<24}{frames or '':>7}" + "".join(f"{c:>20}" for c in cells))
    if detail:
        print(f"\n{'file':<16}{'tool':<24}{'shift':>6}{'median |c|':>12}{'>50c':>8}{'lag ms':>8}")
        for name, label, shift, median, off, lag in rows:
            print(f"{name:<16}{label:<24}{shift:>+6d}{median:12.1f}{100 * off:7.1f}%{lag:8.1f}")


def ltas(x):
    """Long-term average power spectrum (4096-point Hann frames, hop 1024) without the ends."""
    n, hop = 4096, 1024
    x = x[int(0.2 * voices.RATE):len(x) - int(0.2 * voices.RATE)]
    window = np.hanning(n)
    frames = [x[i:i + n] * window for i in range(0, len(x) - n, hop)]
    return np.fft.rfftfreq(n, 1.0 / voices.RATE), np.mean(np.abs(np.fft.rfft(frames, axis=1)) ** 2, axis=0)


def timbre_figures(x, f0):
    """(spectral centroid in Hz, harmonic envelope in dB on ENVELOPE_GRID) of a steady voice at f0."""
    freq, power = ltas(x)
    band = (freq > 50) & (freq < 8000)
    magnitude = np.sqrt(power[band])
    centroid = float(np.sum(freq[band] * magnitude) / np.sum(magnitude))
    # The envelope through the harmonics: the strongest bin within a quarter of f0 of each
    # harmonic, joined by straight lines in dB, relative to the whole band's power so that a
    # change of overall gain does not count.
    peaks_f, peaks_db = [], []
    for k in range(1, int(6000 / f0) + 1):
        near = np.abs(freq - k * f0) < f0 / 4
        i = np.argmax(np.where(near, power, -1.0))
        peaks_f.append(freq[i])
        peaks_db.append(10 * np.log10(power[i] + 1e-30))
    total_db = 10 * np.log10(np.sum(power[band]))
    return centroid, np.interp(ENVELOPE_GRID, peaks_f, peaks_db) - total_db


def timbre(setups, folder):
    ratio = 2 ** (TIMBRE_SHIFT / 12)
    source = voices.steady(TIMBRE_F0, seconds=3.0)
    path = os.path.join(folder, "timbre.wav")
    voices.write_wav(path, source.samples)
    base_centroid, _ = timbre_figures(source.samples, TIMBRE_F0)
    # A correct shift samples the envelope at the same harmonics as the generated voice at the
    # shifted pitch: envelope levels are compared with that, the centroid with the input.
    ideal_centroid, ideal = timbre_figures(voices.steady(TIMBRE_F0 * ratio, seconds=3.0).samples, TIMBRE_F0 * ratio)
    at_resonances = [int(np.argmin(np.abs(ENVELOPE_GRID - c))) for c, _ in voices.RESONANCES]

    print(f"\ntimbre: {TIMBRE_F0:g} Hz voice with fixed resonances shifted by {TIMBRE_SHIFT:+d} semitones:"
          " centroid move against the input; envelope level at each resonance, and its rms over"
          f" {ENVELOPE_GRID[0]:g}-{ENVELOPE_GRID[-1]:g} Hz, against the voice generated at the shifted pitch")
    print(f"{'tool':<24}{'centroid':>10}" + "".join(f"{f'{c:g} Hz':>10}" for c, _ in voices.RESONANCES)
          + f"{'rms':>10}")
    print(f"{'ideal (generated)':<24}{100 * (ideal_centroid / base_centroid - 1):+9.1f}%")
    extra = Setting("rubberband (no -F)", lambda s, d, n: tools.rubberband(s, d, n, formant=False, engine=2))
    for s in setups + [extra]:
        if s.why_not:
            print(f"{s.label:<24}{'n/a':>10}")
            continue
        out = os.path.join(folder, f"timbre.{s.label.replace(' ', '_')}.wav")
        s.render(path, out, TIMBRE_SHIFT)
        centroid, envelope = timbre_figures(voices.read_wav(out)[0], TIMBRE_F0 * ratio)
        difference = envelope - ideal
        print(f"{s.label:<24}{100 * (centroid / base_centroid - 1):+9.1f}%"
              + "".join(f"{difference[i]:+8.1f}dB" for i in at_resonances)
              + f"{np.sqrt(np.mean(difference ** 2)):8.1f}dB")


def speed(setups, folder, seconds):
    block = voices.syllables("timing", 110, seed=7, seconds=6.0).samples
    x = np.tile(block, int(np.ceil(seconds / 6.0)))[:int(seconds * voices.RATE)]
    path = os.path.join(folder, "timing.wav")
    voices.write_wav(path, x)
    walls = OrderedDict()
    for s in setups:
        if not s.why_not and s.label != "quorvel VoiceThrld=50":
            walls[s.label] = s.render(path, os.path.join(folder, "timing.out.wav"), 3)
    print(f"\nspeed: +3 semitones on a {seconds:g} s mono speech-like file (wall time, whole command)")
    for label, wall in walls.items():
        print(f"{label:<24}{wall:8.2f} s {seconds / wall:8.1f} x real time")
    if "quorvel" in walls:
        print(f"{'quorvel / rubberband -F':<24}{walls['quorvel'] / walls['rubberband -F']:8.2f}")
    else:
        print(f"{'quorvel / rubberband -F':<24}     n/a")


def main():
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("--quorvel", default=tools.default_quorvel(), help="path to our quorvel binary")
    parser.add_argument("--detail", action="store_true", help="also print one row per file, with the output lag")
    parser.add_argument("--keep", metavar="DIR", help="write inputs and renders into DIR")
    parser.add_argument("--timing-seconds", type=float, default=60.0, help="length of the speed test file")
    args = parser.parse_args()
    tools.check_references("praat", "rubberband")

    quorvel = tools.Quorvel(args.quorvel)
    setups = settings(quorvel)
    if setups[0].why_not:
        print(f"quorvel: n/a ({setups[0].why_not})")
    with tempfile.TemporaryDirectory() as scratch:
        folder = args.keep or scratch
        os.makedirs(folder, exist_ok=True)
        praat = tools.Praat(scratch)
        inputs = materials(folder)
        if not any(g == "speech" for _, g, _, _ in inputs):
            print("speech: no recordings found (install pocketsphinx-testdata)")
        try:
            accuracy(praat, setups, inputs, folder, args.detail)
            timbre(setups, folder)
            speed(setups, folder, args.timing_seconds)
        except subprocess.CalledProcessError as e:
            raise SystemExit(f"{' '.join(e.cmd)} failed: {(e.stderr or '').strip()}")
        if args.keep:
            print(f"\ninputs and renders kept in {folder}")


if __name__ == "__main__":
    main()
