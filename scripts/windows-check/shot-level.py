#!/usr/bin/env python3
"""The level of the shot in a captured game sound track, against a track without it.

A game started by a click plays its music from the first frame of play; a later click fires a
shot whose sound is mixed over the music. The mixer is deterministic, so a capture of a game
with a shot holds the music of a capture without it sample for sample, except where the way
out let a stretch go: Wine's waveform device into an ALSA file keeps no real-time pace, and
under load it may drop a stretch, play one twice, or play silence or a stale lap of the ring.
So the capture is followed in 10 ms blocks, each found in the reference wherever the music
stands at that moment; the first stretch found nowhere is the shot, and what is left of it
after subtracting the music under it is the shot as it was played.

    shot-level.py <with-shot.raw> <music-only.raw> [--seconds S]

Both files are raw signed 16-bit little-endian stereo at 44.1 kHz. Prints the shot's RMS
level in dB relative to full scale over its first S seconds (default 0.4: the shot lasts
0.47 s), when it came and how often the music slipped before it; exits 1 with the reason
when no shot is found or the reference does not reach past it.
"""
import argparse
import math
import sys
from array import array

RATE = 44100
# A difference this small (in 16-bit steps) is rounding, not a sound.
NOISE = 4
BLOCK = RATE // 100  # frames
# The shot's residual is summed in pieces this long, so a dropout during it leaves out only
# the silence it made.
PIECE = RATE // 1000
# Frames that name a place in the reference; several places are kept, since music repeats.
KEY_FRAMES = 4
KEY_PLACES = 8
# A run of this many blocks found nowhere is a sound of its own; a shorter one is the seam of
# a slip (a block holding the end of one stretch and the start of another).
SHOT_BLOCKS = 5
# The shot comes a second after play starts, never with the first notes.
EARLIEST_SHOT = RATE // 10


def load(path):
    samples = array("h")
    with open(path, "rb") as f:
        data = f.read()
    samples.frombytes(data[: len(data) // 4 * 4])
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def db(power):
    return 10 * math.log10(power) if power > 0 else float("-inf")


class Track:
    def __init__(self, samples):
        self.s = samples
        self.frames = len(samples) // 2

    def block(self, at, frames):
        return self.s[2 * at:2 * (at + frames)]

    def silent(self, at, frames):
        return all(-NOISE <= v <= NOISE for v in self.block(at, frames))

    def first_sound(self):
        for i, v in enumerate(self.s):
            if v > NOISE or v < -NOISE:
                return i // 2
        return None


def same(a, b):
    return len(a) == len(b) and (a == b or all(-NOISE <= x - y <= NOISE for x, y in zip(a, b)))


class Reference(Track):
    """The music-only track, with an index from a few frames to where they occur."""

    def __init__(self, samples):
        super().__init__(samples)
        self.places = {}
        for at in range(self.frames - KEY_FRAMES):
            key = self.block(at, KEY_FRAMES)
            if max(key) - min(key) <= 4 * NOISE:
                continue  # silence or near it names no place
            found = self.places.setdefault(key.tobytes(), [])
            if len(found) < KEY_PLACES:
                found.append(at)

    def offsets(self, capture, at):
        """Reference frame minus capture frame for each place the capture's frames at `at` occur."""
        return [r - at for r in self.places.get(capture.block(at, KEY_FRAMES).tobytes(), ())]

    def holds(self, capture, at, frames, offset):
        return 0 <= at + offset and at + offset + frames <= self.frames and same(
            capture.block(at, frames), self.block(at + offset, frames))


def follow(capture, reference, start):
    """The capture's blocks from `start` on, as (frame, kind, offset): kind "music" where the
    block goes on with the music where the one before left it, "found" where the music was
    found afresh (at the offset: reference frame minus capture frame), "silence", or
    "foreign" where it is found nowhere."""
    offset = None
    for at in range(start, capture.frames - BLOCK + 1, BLOCK):
        if offset is not None and reference.holds(capture, at, BLOCK, offset):
            yield at, "music", offset
            continue
        if capture.silent(at, BLOCK):
            yield at, "silence", offset
            continue
        found = None
        # A slip inside the block: the music goes on from some frame of it to its end.
        for t in range(0, BLOCK - KEY_FRAMES, 16):
            found = next((candidate for candidate in reference.offsets(capture, at + t)
                          if reference.holds(capture, at + t, BLOCK - t, candidate)), None)
            if found is not None:
                break
        if found is None:
            yield at, "foreign", offset
        else:
            offset = found
            yield at, "found", offset


def residual_power(capture, reference, at, frames, offset):
    if offset is None or not (0 <= at + offset and at + offset + frames <= reference.frames):
        return None
    a, b = capture.block(at, frames), reference.block(at + offset, frames)
    return sum((x - y) * (x - y) for x, y in zip(a, b)) / len(a)


def measure(capture, reference, seconds):
    """The shot's report, or None and the reason there is none."""
    start = capture.first_sound()
    if start is None:
        return None, "holds only silence"
    blocks = list(follow(capture, reference, start))
    music_start = next((at for at, kind, _ in blocks if kind == "found"), None)
    if music_start is None:
        return None, "holds none of the reference's music"
    # Every stretch of blocks off the music's course before the shot is one slip.
    slips = 0
    on_course = True
    for k, (at, kind, before) in enumerate(blocks):
        if kind == "foreign" and at - music_start >= EARLIEST_SHOT:
            run = blocks[k:k + SHOT_BLOCKS]
            if len(run) == SHOT_BLOCKS and all(kind in ("foreign", "silence") for _, kind, _ in run):
                break
        if at > music_start:
            slips += on_course and kind != "music"
            on_course = kind == "music"
    else:
        return None, "holds no shot"
    # The shot starts at the first frame the music before it does not account for.
    shot = at
    while shot < at + BLOCK and reference.holds(capture, shot, 1, before):
        shot += 1
    # The music under the shot is at the offset it had before it, or, had it slipped during
    # the shot, at the one it has after; a block's residual is the smaller of the two.
    after = next((offset for _, kind, offset in blocks[k:] if kind == "found"), before)
    total = 0.0
    counted = 0
    for at in range(shot, shot + int(seconds * RATE) - PIECE + 1, PIECE):
        powers = [p for p in (residual_power(capture, reference, at, PIECE, offset)
                              for offset in {before, after}) if p is not None]
        if not powers:
            return None, (f"goes on past the reference: its shot is "
                          f"{(shot - music_start) / RATE:.3f} s after the music starts")
        if capture.silent(at, PIECE):
            continue  # a dropout during the shot: nothing of it was played there
        total += min(powers)
        counted += 1
    if counted == 0:
        return None, "holds silence where its shot should be"
    full = 32768.0 * 32768.0
    return (f"shot {db(total / counted / full):.2f} dBFS, {(shot - music_start) / RATE:.3f} s "
            f"after the music starts (the music subtracted; {slips} slip{'' if slips == 1 else 's'} "
            f"in the music before it)"), None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("capture")
    parser.add_argument("reference")
    parser.add_argument("--seconds", type=float, default=0.4)
    args = parser.parse_args()
    reference = Reference(load(args.reference))
    if reference.first_sound() is None:
        print(f"shot-level: {args.reference} holds only silence", file=sys.stderr)
        return 1
    result, error = measure(Track(load(args.capture)), reference, args.seconds)
    if error:
        print(f"shot-level: {args.capture} {error}", file=sys.stderr)
        return 1
    print(result)
    return 0


if __name__ == "__main__":
    sys.exit(main())
