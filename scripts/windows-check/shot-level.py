#!/usr/bin/env python3
"""The level of the shot in a captured game sound track, against a track without it.

A game started by a click plays its music from the first frame of play; a later click fires a
shot whose sound is mixed over the music. The mixer is deterministic, so a capture of a game
with a shot and a capture of one without hold the same music sample for sample from its first
non-zero sample on, until the shot: what is left after subtracting the two is the shot as it
was played, whatever the way out (SDL's disk driver, Wine's waveform device into an ALSA file).

    shot-level.py <with-shot.raw> <music-only.raw> [--seconds S]

Both files are raw signed 16-bit little-endian stereo at 44.1 kHz. Prints the shot's RMS
level in dB relative to full scale over its first S seconds (default 0.4: the shot lasts
0.47 s) and the music's level before it; exits 1 with the reason when the music
does not match the reference before the shot or no shot is found.
"""
import argparse
import math
import sys
from array import array

RATE = 44100
# A difference this small (in 16-bit steps) is rounding, not a sound.
NOISE = 4


def load(path):
    samples = array("h")
    with open(path, "rb") as f:
        data = f.read()
    samples.frombytes(data[: len(data) // 4 * 4])
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def first_sound(samples):
    for i, v in enumerate(samples):
        if v > NOISE or v < -NOISE:
            return i - i % 2
    return None


def db(power):
    return 10 * math.log10(power) if power > 0 else float("-inf")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("capture")
    parser.add_argument("reference")
    parser.add_argument("--seconds", type=float, default=0.4)
    args = parser.parse_args()
    capture, reference = load(args.capture), load(args.reference)
    c0, r0 = first_sound(capture), first_sound(reference)
    if c0 is None:
        print(f"shot-level: {args.capture} holds only silence", file=sys.stderr)
        return 1
    if r0 is None:
        print(f"shot-level: {args.reference} holds only silence", file=sys.stderr)
        return 1
    n = min(len(capture) - c0, len(reference) - r0)
    shot = None
    for i in range(n):
        d = capture[c0 + i] - reference[r0 + i]
        if d > NOISE or d < -NOISE:
            shot = i - i % 2
            break
    length = int(args.seconds * RATE) * 2
    full = 32768.0 * 32768.0
    if shot is not None and shot >= RATE // 10 and shot + length <= n:
        power = 0
        for i in range(shot, shot + length):
            d = capture[c0 + i] - reference[r0 + i]
            power += d * d
        print(f"shot {db(power / length / full):.2f} dBFS, {shot / 2 / RATE:.3f} s after the "
              f"music starts (the music-only track subtracted)")
        return 0
    # The capture's music is not the reference's sample for sample (resampled, scaled, a
    # fragment dropped or repeated): find the shot as the first 10 ms block well above the
    # half second of music before it, and take the music's mean power off its level.
    block = 441 * 2
    powers = []
    for at in range(c0, len(capture) - block, block):
        powers.append(sum(v * v for v in capture[at:at + block]) / block)
    window = 50
    for k in range(window, len(powers) - length // block):
        music = sum(powers[k - window:k]) / window
        if powers[k] > 6 * music and powers[k] > 1e4:
            blocks = length // block
            shot_power = sum(powers[k:k + blocks]) / blocks - music
            print(f"shot {db(shot_power / full):.2f} dBFS, {k / 100:.2f} s after the music "
                  f"starts (found by its loudness: the music is not the reference's sample "
                  f"for sample)")
            return 0
    print(f"shot-level: no shot found in {args.capture}", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
