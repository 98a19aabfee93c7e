#!/usr/bin/python3
"""Voice-like test signals with a known fundamental, for the accuracy benchmarks.

usage: bench/voices.py OUTDIR    (writes NAME.wav and NAME.f0.csv for every signal)

Run with Debian's /usr/bin/python3 and python3-numpy (bench/setup_references installs them).
Every signal is mono, 44100 Hz, 16-bit. A voiced signal is a sum of harmonics of a fundamental
f0(t) whose amplitudes follow one fixed spectral envelope over absolute frequency: a source that
falls by 6 dB per octave above 200 Hz, shaped by three resonances at 700, 1200 and 2600 Hz.
So the timbre stays put while the pitch moves, as a sung or spoken vowel's does.

The truth is f0 in Hz per time: 0 where the input has no pitch (noise, silence), NaN where it
should not be scored (the fade-in and fade-out at either end of a voiced signal).
"""
import math
import os
import sys
import wave
from dataclasses import dataclass

import numpy as np

RATE = 44100
RESONANCES = ((700.0, 80.0), (1200.0, 90.0), (2600.0, 120.0))  # (centre, bandwidth) in Hz
EDGE_S = 0.02  # fade-in and fade-out of voiced signals
UNSCORED_S = 0.08  # voiced signals are not scored this close to either end
TRUTH_STEP_S = 0.001  # the truth track's grid
PEAK = 0.5  # every file peaks at -6 dBFS


@dataclass
class Voice:
    name: str  # unique, usable as a file name
    family: str  # the group the benchmarks report on
    samples: np.ndarray  # float64, mono, RATE Hz
    truth_t: np.ndarray  # seconds
    truth_f0: np.ndarray  # Hz; 0 unvoiced, NaN unscored

    @property
    def seconds(self):
        return len(self.samples) / RATE

    @property
    def max_f0(self):
        voiced = self.truth_f0[np.nan_to_num(self.truth_f0) > 0]
        return float(voiced.max()) if len(voiced) else 0.0

    def truth_at(self, times):
        """Truth f0 at the given times: interpolated on voiced stretches, 0 or NaN elsewhere."""
        times = np.asarray(times, dtype=float)
        f0 = np.interp(times, self.truth_t, self.truth_f0)
        # Interpolating across a NaN or a 0 gives NaN or a bogus value: take the nearest
        # grid point's state wherever either neighbour is not plainly voiced.
        nearest = np.clip(np.rint(times / TRUTH_STEP_S).astype(int), 0, len(self.truth_f0) - 1)
        lower = np.clip(np.floor(times / TRUTH_STEP_S).astype(int), 0, len(self.truth_f0) - 1)
        upper = np.clip(lower + 1, 0, len(self.truth_f0) - 1)
        plain = (np.nan_to_num(self.truth_f0[lower]) > 0) & (np.nan_to_num(self.truth_f0[upper]) > 0)
        f0 = np.where(plain, f0, self.truth_f0[nearest])
        outside = (times < 0) | (times > self.seconds)
        return np.where(outside, np.nan, f0)


def envelope(freq):
    """Linear amplitude of the fixed spectral envelope at freq (Hz), 1 at 0 Hz."""
    freq = np.asarray(freq, dtype=float)
    gain = 1.0 / np.sqrt(1.0 + (freq / 200.0) ** 2)
    for centre, bandwidth in RESONANCES:
        half = bandwidth / 2.0
        # A two-pole resonance normalised to unit gain at 0 Hz.
        gain = gain * (centre**2 + half**2) / np.sqrt(((centre - freq) ** 2 + half**2) * ((centre + freq) ** 2 + half**2))
    return gain


def harmonic_tone(f0):
    """Sum of harmonics of the per-sample fundamental f0 (Hz), shaped by envelope()."""
    phase = 2.0 * np.pi * np.cumsum(f0) / RATE
    top = 0.45 * RATE
    out = np.zeros(len(f0))
    for h in range(1, int(top / f0.min()) + 1):
        freq = h * f0
        # Harmonics fade out over the last 1 kHz below the top instead of switching off.
        taper = np.clip((top - freq) / 1000.0, 0.0, 1.0)
        if not taper.any():
            break
        out += envelope(freq) * taper * np.sin(h * phase)
    return out


def fade(x):
    ramp = int(EDGE_S * RATE)
    w = np.ones(len(x))
    w[:ramp] = 0.5 - 0.5 * np.cos(np.pi * np.arange(ramp) / ramp)
    w[-ramp:] = w[:ramp][::-1]
    return x * w


def normalise(x):
    peak = np.max(np.abs(x))
    return x * (PEAK / peak) if peak > 0 else x


def voiced(name, family, f0_of_t, seconds):
    """A voiced signal from f0_of_t (a function of time in seconds), with its truth track."""
    t = np.arange(int(seconds * RATE)) / RATE
    samples = normalise(fade(harmonic_tone(f0_of_t(t))))
    truth_t = np.arange(0.0, seconds + TRUTH_STEP_S / 2, TRUTH_STEP_S)
    truth_f0 = f0_of_t(truth_t)
    truth_f0[(truth_t < UNSCORED_S) | (truth_t > seconds - UNSCORED_S)] = np.nan
    return Voice(name, family, samples, truth_t, truth_f0)


def with_noise(voice, snr_db, seed):
    """The same voice plus white noise snr_db below the voice's power."""
    rng = np.random.default_rng(seed)
    power = np.mean(voice.samples**2)
    noise = rng.standard_normal(len(voice.samples)) * math.sqrt(power / 10 ** (snr_db / 10))
    return Voice(voice.name + f"-snr{snr_db:g}", voice.family + f" {snr_db:g}dB SNR",
                 normalise(voice.samples + noise), voice.truth_t, voice.truth_f0)


def unvoiced(name, family, samples):
    seconds = len(samples) / RATE
    truth_t = np.arange(0.0, seconds + TRUTH_STEP_S / 2, TRUTH_STEP_S)
    return Voice(name, family, samples, truth_t, np.zeros(len(truth_t)))


def shaped_noise(seconds, seed, shape):
    """White noise with its spectrum multiplied by shape(freq) (an amplitude, per Hz)."""
    rng = np.random.default_rng(seed)
    spectrum = np.fft.rfft(rng.standard_normal(int(seconds * RATE)))
    spectrum *= shape(np.fft.rfftfreq(int(seconds * RATE), 1.0 / RATE))
    return normalise(np.fft.irfft(spectrum, int(seconds * RATE)))


def steady(f0, seconds=1.5):
    return voiced(f"steady-{f0:g}", "steady", lambda t: np.full(np.shape(t), float(f0)), seconds)


def glide(start, end, seconds=2.0):
    """An exponential glide: the pitch moves at a constant rate in cents per second."""
    return voiced(f"glide-{start:g}-{end:g}", "glide",
                  lambda t: start * (end / start) ** np.clip(np.asarray(t) / seconds, 0, 1), seconds)


def vibrato(centre, rate_hz, depth_cents, seconds=2.0):
    return voiced(f"vibrato-{centre:g}", "vibrato",
                  lambda t: centre * 2 ** (depth_cents / 1200 * np.sin(2 * np.pi * rate_hz * np.asarray(t))),
                  seconds)


def syllables(name, base_f0, seed, seconds=3.0):
    """Speech-like: voiced syllables with moving pitch, separated by silences and hiss.

    Voiced stretches of 150-350 ms rise and fall by up to a few semitones around base_f0; the
    gaps (60-150 ms) are silent or hold a fricative-like hiss. The truth is 0 in the gaps and
    unscored within 40 ms of every voicing change."""
    rng = np.random.default_rng(seed)
    n = int(seconds * RATE)
    f0 = np.full(n, float(base_f0))
    gate = np.zeros(n)
    hiss = np.zeros(n)
    voiced_at = np.zeros(n, dtype=bool)
    changes = []
    ramp = int(0.01 * RATE)
    start, is_voiced = int(0.1 * RATE), True
    while True:
        end = start + int((rng.uniform(0.15, 0.35) if is_voiced else rng.uniform(0.06, 0.15)) * RATE)
        if end > n - int(0.1 * RATE):
            break
        if is_voiced:
            u = np.linspace(0.0, 1.0, end - start)
            arch, tilt = rng.uniform(-200, 300), rng.uniform(-250, 150)
            f0[start:end] = base_f0 * 2 ** ((arch * np.sin(np.pi * u) + tilt * u) / 1200)
            voiced_at[start:end] = True
            gate[start:end] = 1.0
            gate[start:start + ramp] = 0.5 - 0.5 * np.cos(np.pi * np.arange(ramp) / ramp)
            gate[end - ramp:end] = gate[start:start + ramp][::-1]
            changes += [start, end]
        elif rng.uniform() < 0.5:
            hiss[start:end] = 1.0
        start, is_voiced = end, not is_voiced
    # Between voiced stretches the pitch holds its last value, so the phase stays continuous.
    last = np.maximum.accumulate(np.where(voiced_at, np.arange(n), 0))
    f0 = f0[last]
    tone = harmonic_tone(f0) * gate
    fricative = shaped_noise(seconds, seed + 1000, lambda f: np.clip(f / 4000.0, 0.0, 1.0)) * hiss
    samples = normalise(tone / np.max(np.abs(tone)) + 0.15 * fricative)
    truth_t = np.arange(0.0, seconds + TRUTH_STEP_S / 2, TRUTH_STEP_S)
    index = np.minimum((truth_t * RATE).astype(int), n - 1)
    truth_f0 = np.where(voiced_at[index], f0[index], 0.0)
    for c in changes:
        truth_f0[np.abs(truth_t - c / RATE) < 0.04] = np.nan
    return Voice(name, "syllables", samples, truth_t, truth_f0)


def clean_voices():
    """The noise-free voiced signals."""
    return ([steady(f) for f in (60, 100, 150, 220, 330, 500, 700, 1000)]
            + [glide(80, 160), glide(150, 300), glide(600, 300)]
            + [vibrato(120, 5.5, 60), vibrato(220, 5.0, 80), vibrato(440, 6.0, 50)]
            + [syllables("syllables-110", 110, seed=11), syllables("syllables-210", 210, seed=21)])


def all_voices():
    """Every signal: clean voiced, the same at 20 dB SNR, noises and silences."""
    clean = clean_voices()
    noisy = [with_noise(v, 20, seed=i) for i, v in enumerate(clean)]
    seconds = 1.5
    rest = [
        unvoiced("noise-white", "noise", shaped_noise(seconds, 101, lambda f: np.ones_like(f))),
        unvoiced("noise-pink", "noise", shaped_noise(seconds, 102, lambda f: 1.0 / np.sqrt(np.maximum(f, 20.0)))),
        # A whispered vowel: noise through the voice's own envelope.
        unvoiced("noise-whisper", "noise", shaped_noise(seconds, 103, envelope)),
        unvoiced("silence", "silence", np.zeros(int(seconds * RATE))),
        unvoiced("silence-hiss-60dB", "silence",
                 1e-3 * np.random.default_rng(104).standard_normal(int(seconds * RATE))),
    ]
    return clean + noisy + rest


def write_wav(path, samples):
    """Writes mono 16-bit PCM at RATE."""
    pcm = np.clip(np.rint(np.asarray(samples) * 32767.0), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())


def read_wav(path):
    """Reads a 16-bit PCM WAV file: (first channel as float64, sample rate)."""
    with wave.open(path, "rb") as r:
        if r.getsampwidth() != 2:
            raise ValueError(f"{path}: only 16-bit PCM WAV is read here")
        channels = r.getnchannels()
        data = np.frombuffer(r.readframes(r.getnframes()), dtype="<i2")
        return data[::channels].astype(float) / 32768.0, r.getframerate()


def resample(x, rate_in, rate_out):
    """Band-limited resampling by zero-padding or truncating the spectrum (fine for short files)."""
    n_out = int(round(len(x) * rate_out / rate_in))
    spectrum = np.fft.rfft(x)
    out = np.zeros(n_out // 2 + 1, dtype=complex)
    keep = min(len(spectrum), len(out))
    out[:keep] = spectrum[:keep]
    return np.fft.irfft(out, n_out) * (n_out / len(x))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[2])
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for v in all_voices():
        write_wav(os.path.join(folder, v.name + ".wav"), v.samples)
        with open(os.path.join(folder, v.name + ".f0.csv"), "w") as f:
            f.write("time_s,f0_hz\n")
            for t, f0 in zip(v.truth_t, v.truth_f0):
                f.write(f"{t:.3f},{'' if math.isnan(f0) else f'{f0:.3f}'}\n")
        print(f"{v.name:<24} {v.family:<22} {v.seconds:5.2f} s")


if __name__ == "__main__":
    main()
