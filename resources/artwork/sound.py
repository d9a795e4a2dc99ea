#!/usr/bin/env python3
"""Synthesises Winkwell's two marimba sounds as 16-bit mono PCM WAV files.

Usage: sound.py AUDIO_DIR

marimba2500ms.wav  a soft rising three-note phrase that dies away within 2.5 s; the blink
                   reminder loops it, so it starts and ends on silence and repeats without a click.
marimba12.wav      a single short note, the feedback for a detected blink.

A marimba bar sounds its fundamental plus overtones near 4 and 10 times it, the overtones dying
much faster; a few milliseconds of rise stand in for the soft mallet. Pure arithmetic, so the
output is the same on every machine.
"""
import math
import os
import struct
import sys
import wave

RATE = 44100
PEAK = 0.45          # about -7 dBFS: a reminder, not an alarm

# (frequency ratio, relative level, decay time as a share of the fundamental's)
PARTIALS = ((1.0, 1.0, 1.0), (3.93, 0.28, 0.16), (9.2, 0.07, 0.05))
ATTACK = 0.004       # seconds


def note(buf, freq, start, level, decay):
    """Adds one struck bar to buf. decay is the fundamental's time constant at 523 Hz, in seconds."""
    tau = decay * (523.25 / freq) ** 0.6      # higher bars ring shorter
    first = int(round(start * RATE))
    for i in range(first, len(buf)):
        t = (i - first) / RATE
        rise = 0.5 - 0.5 * math.cos(math.pi * t / ATTACK) if t < ATTACK else 1.0
        v = 0.0
        for ratio, amp, share in PARTIALS:
            f = freq * ratio
            if f < RATE / 2:
                v += amp * math.exp(-t / (tau * share)) * math.sin(2 * math.pi * f * t)
        buf[i] += level * rise * v


def finish(buf, fade):
    """Scales to PEAK and lets the last fade seconds fall to exact silence, for clean loops."""
    top = max(abs(v) for v in buf)
    n = len(buf)
    k = int(fade * RATE)
    out = []
    for i, v in enumerate(buf):
        g = PEAK / top
        if i >= n - k:
            g *= 0.5 + 0.5 * math.cos(math.pi * (i - (n - k)) / (k - 1))
        out.append(int(round(v * g * 32767)))
    return out


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", s) for s in samples))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    C5, E5, G5 = 523.25, 659.26, 783.99
    phrase = [0.0] * int(2.5 * RATE)
    note(phrase, C5, 0.00, 1.0, 0.45)
    note(phrase, G5, 0.15, 0.8, 0.45)
    note(phrase, E5, 0.30, 0.9, 0.50)
    write(os.path.join(out, "marimba2500ms.wav"), finish(phrase, 0.6))

    blip = [0.0] * int(0.4 * RATE)
    note(blip, G5, 0.0, 1.0, 0.12)
    write(os.path.join(out, "marimba12.wav"), finish(blip, 0.12))


if __name__ == "__main__":
    main()
