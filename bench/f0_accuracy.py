#!/usr/bin/python3
"""Fundamental-frequency accuracy of `quorvel analyze` beside Praat's tracker, on voice-like signals.

usage: bench/f0_accuracy.py [--quorvel PATH] [--detail] [--keep DIR]

Run with Debian's /usr/bin/python3 (it needs python3-numpy and praat: bench/setup_references).
Generates the signals of bench/voices.py (steady tones from 60 to 1000 Hz, octave glides,
vibrato, the same at 20 dB SNR, noises and silences), tracks each with both tools in the same
run and compares every frame with the truth interpolated at that frame's centre time:

  within 50c   voiced frames whose estimate is within 50 cents of the truth
  gross        the rest of the voiced frames; in brackets the part called unvoiced
  median |c|   median absolute error in cents over voiced frames both call voiced
  unv->voiced  unvoiced frames (noise, silence) called voiced

Praat runs To Pitch (ac) on our hop (256 samples at 44.1 kHz) with a 50 Hz floor and a
ceiling of 1.5 times the file's highest f0 (at least 400 Hz; 600 Hz for noise and silence).
Ours gets no hint about the file. While `quorvel analyze` does not exist yet, its columns
show n/a and the script still measures Praat.
A benchmark, not a test: it reports figures and passes no judgement.
"""
import argparse
import os
import subprocess
import sys
import tempfile
from collections import OrderedDict

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tools  # noqa: E402
import voices  # noqa: E402


class Score:
    """Frame counts for one tool over a group of files."""

    def __init__(self):
        self.voiced = self.within = self.missed = self.unvoiced = self.false_voiced = 0
        self.abs_cents = []

    def add(self, truth, estimate):
        scored = ~np.isnan(truth)
        truth, estimate = truth[scored], estimate[scored]
        voiced = truth > 0
        error = tools.cents(estimate[voiced], truth[voiced])
        self.voiced += int(voiced.sum())
        self.within += int(np.sum(np.abs(np.nan_to_num(error, nan=1e9)) <= 50))
        self.missed += int(np.sum(estimate[voiced] <= 0))
        self.abs_cents += list(np.abs(error[~np.isnan(error)]))
        self.unvoiced += int((~voiced).sum())
        self.false_voiced += int(np.sum(estimate[~voiced] > 0))

    def cells(self):
        pct = lambda a, b: f"{100.0 * a / b:.1f}%" if b else "-"
        median = f"{np.median(self.abs_cents):.1f}" if self.abs_cents else "-"
        gross = f"{pct(self.voiced - self.within, self.voiced)} ({pct(self.missed, self.voiced)})" if self.voiced else "-"
        return [pct(self.within, self.voiced), gross, median, pct(self.false_voiced, self.unvoiced)]


def praat_ceiling(voice):
    return max(400.0, 1.5 * voice.max_f0) if voice.max_f0 > 0 else 600.0


def print_table(title, scores, tool_names):
    """scores: row label -> {tool name -> Score or None}; one column per metric and tool."""
    columns = [("within 50c", 8), ("gross (missed)", 15), ("median |c|", 8), ("unv->voiced", 8)]
    group = lambda w: w * len(tool_names) + 2 * (len(tool_names) - 1)
    print(f"\n{title}")
    print(f"{'':<24}{'frames':>7}" + "".join(f"   {c:>{group(w)}}" for c, w in columns))
    print(f"{'':<24}{'':>7}" + "".join("   " + "  ".join(f"{t:>{w}}" for t in tool_names) for _, w in columns))
    for label, by_tool in scores.items():
        frames = max((s.voiced + s.unvoiced for s in by_tool.values() if s), default=0)
        cells = {t: (s.cells() if s else ["n/a"] * 4) for t, s in by_tool.items()}
        print(f"{label:<24}{frames:>7}" + "".join("   " + "  ".join(f"{cells[t][i]:>{w}}" for t in tool_names)
                                                for i, (_, w) in enumerate(columns)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("--quorvel", default=tools.default_quorvel(), help="path to our quorvel binary")
    parser.add_argument("--detail", action="store_true", help="also print one row per file")
    parser.add_argument("--keep", metavar="DIR", help="write the signals and every track into DIR")
    args = parser.parse_args()
    tools.check_references("praat")

    quorvel = tools.Quorvel(args.quorvel)
    ours_ok = quorvel.why_not is None
    tool_names = ["quorvel", "praat"]
    families = OrderedDict()
    files = OrderedDict()

    with tempfile.TemporaryDirectory() as scratch:
        folder = args.keep or scratch
        os.makedirs(folder, exist_ok=True)
        praat = tools.Praat(scratch)
        for voice in voices.all_voices():
            wav = os.path.join(folder, voice.name + ".wav")
            voices.write_wav(wav, voice.samples)
            tracks = {"praat": praat.track(wav, 50.0, praat_ceiling(voice))}
            if ours_ok:
                try:
                    tracks["quorvel"] = quorvel.analyze(wav, os.path.join(folder, voice.name + ".quorvel.csv"))
                except subprocess.CalledProcessError as e:
                    # Until the command exists (or when it fails) the rest of the run is Praat's alone.
                    ours_ok = False
                    lines = (e.stderr or "").strip().splitlines()
                    quorvel.why_not = lines[-1] if lines else f"exit status {e.returncode}"
            for name in tool_names:
                family = families.setdefault(voice.family, {t: None for t in tool_names})
                single = files.setdefault(voice.name, {t: None for t in tool_names})
                if name not in tracks:
                    continue
                times, f0 = tracks[name]
                truth = voice.truth_at(times)
                for table in (family, single):
                    table[name] = table[name] or Score()
                    table[name].add(truth, f0)
                if args.keep:
                    np.savetxt(os.path.join(folder, f"{voice.name}.{name}.txt"), np.column_stack([times, f0, truth]),
                               fmt="%.6f", header="time_s f0_hz truth_hz")

        overall = OrderedDict()
        for group, members in (("all voiced", [f for f in families if f not in ("noise", "silence")]),
                               ("all unvoiced", ["noise", "silence"])):
            overall[group] = {}
            for t in tool_names:
                parts = [families[f][t] for f in members if families[f][t]]
                if parts:
                    merged = Score()
                    for p in parts:
                        for k in ("voiced", "within", "missed", "unvoiced", "false_voiced"):
                            setattr(merged, k, getattr(merged, k) + getattr(p, k))
                        merged.abs_cents += p.abs_cents
                    overall[group][t] = merged
                else:
                    overall[group][t] = None

        if quorvel.why_not:
            print(f"quorvel: n/a ({quorvel.why_not})")
        print_table("f0 accuracy per signal family (hop 256 samples at 44.1 kHz)", families, tool_names)
        print_table("overall", overall, tool_names)
        if args.detail:
            print_table("per file", files, tool_names)
        if args.keep:
            print(f"\nsignals and tracks kept in {folder}")


if __name__ == "__main__":
    main()
