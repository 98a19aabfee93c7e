"""What the accuracy benchmarks run: Praat's pitch tracker, Rubber Band and our `quorvel`.

Each returns plain numpy arrays or writes a file; none is used by the product or its tests.
"""
import csv
import json
import os
import shutil
import subprocess
import time

import numpy as np

HOP_S = 256 / 44100  # the analysis hop of our harmonic path; Praat is run on the same grid

# Praat's autocorrelation tracker with its standard settings except the ones passed in; prints
# one "time f0" line per frame, f0 0 where Praat finds the frame unvoiced.
PRAAT_SCRIPT = """\
form Pitch track
  sentence Input
  positive Time_step
  positive Floor
  positive Ceiling
endform
Read from file: input$
To Pitch (ac): time_step, floor, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, ceiling
frames = Get number of frames
for i to frames
  t = Get time from frame number: i
  f = Get value in frame: i, "Hertz"
  if f = undefined
    f = 0
  endif
  appendInfoLine: fixed$(t, 6), " ", fixed$(f, 3)
endfor
"""


class Praat:
    def __init__(self, folder):
        self.script = os.path.join(folder, "pitch.praat")
        with open(self.script, "w") as f:
            f.write(PRAAT_SCRIPT)

    def track(self, wav, floor, ceiling, time_step=HOP_S):
        """(frame centre times in s, f0 in Hz with 0 for unvoiced) of the file's first channel."""
        out = subprocess.run(["praat", "--run", self.script, wav, repr(time_step), repr(floor), repr(ceiling)],
                             check=True, capture_output=True, text=True).stdout
        rows = np.array([[float(x) for x in line.split()] for line in out.splitlines() if line.strip()])
        return (rows[:, 0], rows[:, 1]) if len(rows) else (np.zeros(0), np.zeros(0))


def rubberband(src, dst, semitones, formant=True, engine=2):
    """Pitch-shifts src into dst by semitones, keeping the duration; returns the wall time."""
    args = ["rubberband", "-q", f"-{engine}", "-p", f"{semitones:g}"] + (["-F"] if formant else [])
    start = time.perf_counter()
    subprocess.run(args + [src, dst], check=True, capture_output=True)
    return time.perf_counter() - start


class Quorvel:
    """Our command line, and which of the commands the benchmarks use it offers yet."""

    def __init__(self, path):
        self.path = path
        self.programs = {}
        self.why_not = None
        if not os.access(path, os.X_OK):
            self.why_not = f"{path} not found (build the quorvel target)"
            return
        listing = subprocess.run([path, "programs", "--json"], capture_output=True, text=True)
        if listing.returncode == 0:
            self.programs = {p["name"]: p for p in json.loads(listing.stdout)["programs"]}

    def can_render(self, program):
        if self.why_not:
            return False, self.why_not
        p = self.programs.get(program)
        if p is None:
            return False, f'no program "{program}"'
        return (True, None) if p.get("available", False) else (False, f'"{program}" cannot be rendered yet')

    def render(self, src, dst, program, settings):
        """Renders src into dst with --set NAME=VALUE for each settings item; returns the wall time."""
        args = [self.path, "render", src, dst, "--program", program, "--quiet"]
        for name, value in settings.items():
            args += ["--set", f"{name}={value}"]
        start = time.perf_counter()
        subprocess.run(args, check=True, capture_output=True, text=True)
        return time.perf_counter() - start

    def analyze(self, wav, csv_path):
        """(frame centre times in s, f0 in Hz with 0 for unvoiced) from `quorvel analyze --csv`."""
        subprocess.run([self.path, "analyze", wav, "--csv", csv_path], check=True, capture_output=True, text=True)
        with open(csv_path, newline="") as f:
            rows = [(float(r["time_s"]), float(r["f0_hz"])) for r in csv.DictReader(f)]
        rows = np.array(rows).reshape(-1, 2)
        return rows[:, 0], rows[:, 1]


def default_quorvel():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, "..", "build", "hosts", "cli", "quorvel"))


def check_references(*names):
    """Exits with a hint when a reference program is missing."""
    missing = [n for n in names if shutil.which(n) is None]
    if missing:
        raise SystemExit(f"missing {', '.join(missing)}: run bench/setup_references")


def cents(estimate, reference):
    """Signed error in cents; NaN where either is not a positive frequency."""
    estimate, reference = np.broadcast_arrays(np.asarray(estimate, dtype=float), np.asarray(reference, dtype=float))
    ok = (estimate > 0) & (reference > 0)
    out = np.full(estimate.shape, np.nan)
    out[ok] = 1200.0 * np.log2(estimate[ok] / reference[ok])
    return out
