#!/usr/bin/env python3
"""Writes the capture dialogs' five sound cues as 16-bit mono PCM wave files.

    make_sounds.py [OUTPUT_FOLDER]     (default: the folder of this script)

WaitFor.wav   soft two-note chime: the scanner waits for a finger
Acquired.wav  short bright tick: an image was taken
RegSuc.wav    rising major arpeggio: enrollment succeeded
RegFail.wav   two falling low notes: enrollment failed
V-OK.wav      quick rising fifth: verification matched

Only the standard library is used; the output is the same on every run.
"""

import math
import os
import struct
import sys
import wave

RATE = 22050


def note(frequency, seconds, volume=0.5, decay=6.0, attack=0.008, harmonics=(1.0, 0.35, 0.12)):
    """One bell-like note: a few harmonics under a quick attack and an exponential decay."""
    samples = []
    count = int(RATE * seconds)
    for i in range(count):
        t = i / RATE
        envelope = min(1.0, t / attack) * math.exp(-decay * t)
        # A short fade at the very end so that no note ends in a click.
        tail = min(1.0, (count - i) / (RATE * 0.006))
        value = sum(a * math.sin(2 * math.pi * frequency * (k + 1) * t)
                    for k, a in enumerate(harmonics))
        samples.append(volume * envelope * tail * value / sum(harmonics))
    return samples


def mix(parts, seconds):
    """parts: (start in seconds, samples). Adds them into one track of the given length."""
    track = [0.0] * int(RATE * seconds)
    for start, samples in parts:
        offset = int(RATE * start)
        for i, s in enumerate(samples):
            if offset + i < len(track):
                track[offset + i] += s
    return track


def write(path, track):
    peak = max(1e-9, max(abs(s) for s in track))
    scale = min(1.0, 0.89 / peak)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(round(s * scale * 32767))) for s in track))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    E5, A5, C5, G5, C6, E6, G4, D4 = 659.26, 880.0, 523.25, 783.99, 1046.5, 1318.5, 392.0, 293.66
    cues = {
        "WaitFor.wav": mix([(0.0, note(E5, 0.30, 0.40, 9)), (0.11, note(A5, 0.34, 0.40, 8))], 0.46),
        "Acquired.wav": mix([(0.0, note(1760.0, 0.09, 0.45, 40, 0.002, (1.0, 0.2)))], 0.10),
        "RegSuc.wav": mix([(0.00, note(C5, 0.50, 0.35, 6)), (0.09, note(E5, 0.50, 0.35, 6)),
                           (0.18, note(G5, 0.50, 0.35, 6)), (0.27, note(C6, 0.60, 0.40, 5))],
                          0.90),
        "RegFail.wav": mix([(0.0, note(G4, 0.26, 0.45, 7, 0.01, (1.0, 0.5, 0.25, 0.1))),
                            (0.20, note(D4, 0.40, 0.45, 6, 0.01, (1.0, 0.5, 0.25, 0.1)))], 0.62),
        "V-OK.wav": mix([(0.0, note(G5, 0.22, 0.40, 10)), (0.09, note(C6, 0.30, 0.40, 8)),
                         (0.09, note(E6, 0.30, 0.15, 8))], 0.42),
    }
    for name, track in cues.items():
        write(os.path.join(folder, name), track)


if __name__ == "__main__":
    main()
