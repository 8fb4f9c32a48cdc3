#!/usr/bin/env python3
"""Writes the committed seed corpus of the fuzz targets into fuzz/corpus/<target>/.

Seeds are small valid files of every format the registry decodes (so that fuzzing starts
from deep inside each decoder), a few made to the edge of what the header checks accept,
and the hostile files that once broke the engine (regression seeds, named "regress-*"; the
ones fuzzing found, "regress-fuzz-*", are copied in by hand and left alone here).
JPEG, Ogg Vorbis and FLAC seeds are encoded with ImageMagick's convert, oggenc and flac when
those are installed, and recordings by the engine itself (fuzz_record --write-seeds); the other
formats are built byte by byte. Deterministic: running it again changes nothing.

Usage: fuzz/seeds.py [CORPUS_DIR]    (default: the corpus/ folder beside this script)
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(OUT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------------------
# Images (PNG, JPEG and QOI as SDL2_image decodes them, BMP as SDL does)
# ---------------------------------------------------------------------------------------
def png(w, h, colour_type, depth, rows, palette=None):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth,
                                                            colour_type, 0, 0, 0))
    if palette:
        out += chunk(b"PLTE", palette)
    raw = b"".join(bytes((i % 5,)) + row for i, row in enumerate(rows))  # every filter type
    return out + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def qoi(w, h, pixels):
    """QOI with RGBA and run chunks only: simple, and still every kind of decoder state."""
    out = b"qoif" + struct.pack(">IIBB", w, h, 4, 0)
    prev, run = None, 0
    for p in pixels:
        if p == prev and run < 62:
            run += 1
            continue
        if run:
            out += bytes((0xC0 | (run - 1),))
            run = 0
        out += b"\xff" + bytes(p)
        prev = p
    if run:
        out += bytes((0xC0 | (run - 1),))
    return out + b"\0" * 7 + b"\1"


def jpeg(args):
    if not shutil.which("convert"):
        return None
    with tempfile.TemporaryDirectory() as tmp:
        dst = os.path.join(tmp, "out.jpg")
        subprocess.run(["convert", "-size", "24x16", "gradient:red-blue", "-strip", *args, dst],
                       check=True, capture_output=True)
        with open(dst, "rb") as f:
            return f.read()


def bmp(w, h, bits, rows, palette=b"", compression=0, header=40, masks=b""):
    if header == 12:
        info = struct.pack("<IHHHH", 12, w, abs(h), 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, w, h, 1, bits, compression, len(rows), 0, 0,
                           len(palette) // 4, 0) + masks
        info += b"\0" * (header - len(info))
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + info + palette + rows


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def images():
    rng = random.Random(1)
    grey = b"".join(bytes((i, i, i, 0)) for i in range(256))
    two = b"\0\0\0\0\xff\xff\xff\0"
    sixteen = b"".join(bytes((i * 17, i * 17, i * 17, 0)) for i in range(16))
    px = lambda n: bytes(rng.randrange(256) for _ in range(n))
    seeds = {
        "bmp24": bmp(5, 3, 24, b"".join(padded(px(15)) for _ in range(3))),
        "bmp24-topdown": bmp(4, -2, 24, b"".join(padded(px(12)) for _ in range(2))),
        "bmp32": bmp(3, 3, 32, px(36)),
        "bmp16": bmp(3, 2, 16, b"".join(padded(px(6)) for _ in range(2))),
        "bmp8": bmp(6, 2, 8, b"".join(padded(bytes(rng.randrange(256) for _ in range(6)))
                                      for _ in range(2)), grey),
        "bmp4": bmp(5, 2, 4, b"".join(padded(bytes(rng.randrange(256) for _ in range(3)))
                                      for _ in range(2)), sixteen),
        "bmp1": bmp(9, 2, 1, b"".join(padded(px(2)) for _ in range(2)), two),
        "bmp-core": bmp(2, 2, 24, b"".join(padded(px(6)) for _ in range(2)), header=12),
        "bmp-rle8": bmp(8, 2, 8, bytes((4, 7, 0, 3, 1, 2, 3, 0, 0, 0, 8, 9, 0, 1)), grey,
                        compression=1),
        "bmp-rle4": bmp(8, 2, 4, bytes((8, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1)), sixteen,
                        compression=2),
        "bmp-bitfields": bmp(2, 2, 32, px(16), compression=3, header=108,
                             masks=struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000)),
        # A header claiming 30000 x 30000 pixels: gigabytes before the checks.
        "regress-bmp-30000x30000": bmp(30000, 30000, 24, b""),
        "regress-bmp-rle-16000": bmp(16000, 16000, 8, b"\0\1", grey, compression=1),
        "png-grey8": png(6, 3, 0, 8, [px(6) for _ in range(3)]),
        "png-rgb": png(4, 4, 2, 8, [px(12) for _ in range(4)]),
        "png-rgba16": png(2, 2, 6, 16, [px(16) for _ in range(2)]),
        "png-palette": png(5, 2, 3, 8, [bytes(rng.randrange(4) for _ in range(5)) for _ in
                                        range(2)], b"\0\0\0\xff\0\0\0\xff\0\0\0\xff"),
        "png-1bit": png(10, 2, 0, 1, [px(2) for _ in range(2)]),
        "qoi-rgba": qoi(5, 4, [(rng.randrange(3) * 80, 0, 200, 255) for _ in range(20)]),
        # 16384 x 16384 pixels in a hundred bytes, and 4096 x 2 in 42.
        "regress-png-16384": png(16384, 16384, 0, 8, [b""]),
        "regress-qoi-4096x2": qoi(2, 2, [(1, 2, 3, 255)] * 4)[:4] + struct.pack(">II", 4096, 2)
                              + qoi(2, 2, [(1, 2, 3, 255)] * 4)[12:],
    }
    for name, args in (("jpeg-baseline", []), ("jpeg-progressive", ["-interlace", "JPEG"]),
                       ("jpeg-grey", ["-colorspace", "Gray"])):
        data = jpeg(args)
        if data:
            seeds[name] = data
    for name, data in seeds.items():
        write("image", name, data)
    return seeds


# ---------------------------------------------------------------------------------------
# Sounds (the mixer's loaders, and its music decoders)
# ---------------------------------------------------------------------------------------
def riff(fmt, data, extra=b""):
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + extra
    body += b"data" + struct.pack("<I", len(data)) + data + b"\0" * (len(data) & 1)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def wav_fmt(tag, channels, rate, bits, align, extra=b""):
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    return fmt + (struct.pack("<H", len(extra)) + extra if extra or tag != 1 else b"")


def aiff(rate_exponent, frames, channels, bits, present):
    rate = struct.pack(">HII", 0x3FFF + rate_exponent, 0x80000000, 0)
    comm = struct.pack(">hIh", channels, frames, bits) + rate
    ssnd = struct.pack(">II", 0, 0) + b"\0" * present
    body = b"AIFF" + b"COMM" + struct.pack(">I", len(comm)) + comm
    body += b"SSND" + struct.pack(">I", len(ssnd)) + ssnd
    return b"FORM" + struct.pack(">I", len(body)) + body


def svx(rate, samples):
    vhdr = struct.pack(">IIIHBBI", samples, 0, 0, rate, 1, 0, 0x10000)
    body = b"8SVX" + b"VHDR" + struct.pack(">I", len(vhdr)) + vhdr
    body += b"BODY" + struct.pack(">I", samples) + b"\0" * samples
    return b"FORM" + struct.pack(">I", len(body)) + body


def voc(*blocks):
    out = b"Creative Voice File\x1a" + struct.pack("<HHH", 26, 0x010A, 0x1129)
    for kind, payload in blocks:
        out += bytes((kind,)) + struct.pack("<I", len(payload))[:3] + payload
    return out + b"\0"


def mod():
    """A four-channel ProTracker module: one 64-byte sample, one pattern playing it."""
    header = b"seed".ljust(20, b"\0")
    header += b"square".ljust(22, b"\0") + struct.pack(">HBBHH", 32, 0, 64, 0, 32)
    for _ in range(30):
        header += b"\0" * 22 + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    header += bytes((1, 127)) + b"\0" * 128 + b"M.K."
    pattern = bytearray(1024)
    for row in range(0, 64, 4):  # sample 1 at period 428 (C-2) on channel 1
        pattern[row * 16:row * 16 + 4] = bytes((0x01, 0xAC, 0x10, 0x00))
    return header + bytes(pattern) + bytes(64 if i % 16 < 8 else 192 for i in range(64))


def mp3_frames(count):
    frame = bytes((0xFF, 0xFB, 0x90, 0x64)) + b"\0" * 413  # MPEG-1 layer III, 128 kbit/s
    return frame * count


def encoded(tool, args, suffix, wav_bytes):
    if not shutil.which(tool):
        return None
    with tempfile.TemporaryDirectory() as tmp:
        src, dst = os.path.join(tmp, "in.wav"), os.path.join(tmp, "out" + suffix)
        with open(src, "wb") as f:
            f.write(wav_bytes)
        subprocess.run([tool, *args, "-o", dst, src], check=True, capture_output=True)
        with open(dst, "rb") as f:
            return f.read()


def sounds():
    rng = random.Random(2)
    tone = bytes(128 + int(60 * ((i // 20) % 2 * 2 - 1)) for i in range(800))
    pcm16 = b"".join(struct.pack("<h", (i * 997) % 20000 - 10000) for i in range(400))
    ms_coefs = struct.pack("<HH", 500, 7) + b"".join(
        struct.pack("<hh", a, b) for a, b in ((256, 0), (512, -256), (0, 0), (192, 64),
                                              (240, 0), (460, -208), (392, -232)))
    seeds = {
        "wav-u8": riff(wav_fmt(1, 1, 11025, 8, 1), tone),
        "wav-s16-stereo": riff(wav_fmt(1, 2, 44100, 16, 4), pcm16),
        "wav-s24": riff(wav_fmt(1, 1, 48000, 24, 3), bytes(rng.randrange(256) for _ in range(300))),
        "wav-s32": riff(wav_fmt(1, 2, 48000, 32, 8), bytes(rng.randrange(256) for _ in range(320))),
        "wav-float": riff(wav_fmt(3, 1, 22050, 32, 4), struct.pack("<100f", *[0.25] * 100)),
        "wav-alaw": riff(wav_fmt(6, 1, 8000, 8, 1), tone),
        "wav-mulaw": riff(wav_fmt(7, 1, 8000, 8, 1), tone),
        "wav-ms-adpcm": riff(wav_fmt(2, 1, 22050, 4, 256, ms_coefs), bytes(
            (block % 7 if i % 256 == 0 else rng.randrange(256)) for block, i in
            ((i // 256, i) for i in range(512))), struct.pack("<4sII", b"fact", 4, 1000)),
        "wav-ima-adpcm": riff(wav_fmt(0x11, 1, 22050, 4, 256, struct.pack("<H", 505)), bytes(
            rng.randrange(256) for _ in range(512)), struct.pack("<4sII", b"fact", 4, 1010)),
        "wav-extensible": riff(struct.pack("<HHIIHHHHI", 0xFFFE, 2, 48000, 192000, 4, 16, 22, 16,
                                           3) + struct.pack("<H", 1) +
                               bytes.fromhex("000000001000800000aa00389b71"), pcm16),
        "aiff-s8": aiff(13, 800, 1, 8, 800),
        "aiff-s16-stereo": aiff(15, 200, 2, 16, 800),
        "8svx": svx(8363, 600),
        "voc-data": voc((1, bytes((166, 0)) + tone)),
        "voc-extended": voc((8, struct.pack("<HBB", 65536 - 256000000 // 22050, 0, 1)),
                            (1, bytes((0, 0)) + tone[:200])),
        "voc-silence": voc((1, bytes((166, 0)) + tone[:200]), (3, struct.pack("<HB", 400, 166)),
                           (2, tone[:100])),
        "voc-data16": voc((9, struct.pack("<IBBHI", 22050, 16, 1, 4, 0) + pcm16[:400])),
        "mod": mod(),
        "mp3": mp3_frames(4),
        "mp3-id3": b"ID3\3\0\0\0\0\0\0" + mp3_frames(2),
        "midi": b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) + b"MTrk" +
                struct.pack(">I", 12) + bytes((0, 0x90, 60, 100, 96, 0x80, 60, 0, 0, 0xFF, 0x2F, 0)),
        # A rate of 1 Hz: converting to 48 kHz overflowed the mixer's buffer size.
        "regress-wav-1hz": riff(wav_fmt(1, 1, 1, 8, 1), b"\x80" * 4096),
        "regress-aiff-short": aiff(13, 100000, 1, 8, 64),
        "regress-voc-empty-block": voc((1, bytes((166, 0)) + tone[:100]), (1, bytes((166, 0))),
                                       (1, bytes((166, 0)) + tone)),
    }
    wav = riff(wav_fmt(1, 1, 22050, 16, 2), pcm16 * 4)
    ogg = encoded("oggenc", ["-Q", "-q", "-1", "--serial", "7"], ".ogg", wav)
    flac = encoded("flac", ["-s", "--no-seektable", "--no-padding", "-f"], ".flac", wav)
    if ogg:
        seeds["ogg-vorbis"] = ogg
    if flac:
        seeds["flac"] = flac
    for name, data in seeds.items():
        write("sound", name, data)
    return seeds


# ---------------------------------------------------------------------------------------
# Recordings (the engine writes the valid ones: their blocks carry XXH3 checksums)
# ---------------------------------------------------------------------------------------
RECORDER = os.environ.get("FUZZ_RECORD",
                          os.path.join(HERE, "..", "build-fuzz", "fuzz", "fuzz_record"))


def recordings():
    """Valid recordings of scripted play written by `fuzz_record --write-seeds` (built by
    `make fuzz-build`; FUZZ_RECORD names another build), then hostile files cut, flipped or
    relabelled from them. Without the program the committed valid ones are kept."""
    folder = os.path.join(OUT, "record")
    if os.access(RECORDER, os.X_OK):
        os.makedirs(folder, exist_ok=True)
        env = dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy")
        subprocess.run([RECORDER, "--write-seeds", folder], check=True, capture_output=True,
                       env=env)
    if not os.path.exists(os.path.join(folder, "keys")):
        print("seeds.py: no recordings (run make fuzz-build first)", file=sys.stderr)
        return
    with open(os.path.join(folder, "keys"), "rb") as f:
        keys = f.read()
    with open(os.path.join(folder, "blocks"), "rb") as f:
        blocks = f.read()
    start_length = 40 + 4  # the start block's length field, behind the 40-byte header
    flipped = bytearray(keys)
    flipped[len(keys) // 2] ^= 0x10
    seeds = {
        "bad-foreign": b"RIFF" + keys[4:],
        "bad-cut-header": keys[:30],
        "bad-cut-block": keys[:-3],
        "bad-no-end": keys[:-24],  # the end block: head, two counts, checksum
        "bad-cut-second-block": blocks[:len(blocks) - 3000],
        "bad-flipped": bytes(flipped),
        "bad-version-0": keys[:8] + struct.pack("<I", 0) + keys[12:],
        "bad-version-3": keys[:8] + struct.pack("<I", 3) + keys[12:],
        "bad-block-too-long": keys[:start_length] + struct.pack("<I", 0x10001) +
                              keys[start_length + 4:],
        "bad-block-length-max": keys[:start_length] + struct.pack("<I", 0xFFFFFFFF) +
                                keys[start_length + 4:],
        "bad-after-end": keys + bytes(8),
    }
    for name, data in seeds.items():
        write("record", name, data)


# ---------------------------------------------------------------------------------------
# Header checks, canvas and drawing
# ---------------------------------------------------------------------------------------
def main():
    media = {**images(), **sounds()}
    for i, (name, data) in enumerate(sorted(media.items())):
        write("headers", name, bytes((i % 6, i // 6 % 6, i % 8, i % 2)) + data)
    rng = random.Random(3)
    for i in range(12):
        write("canvas", "ops-%02d" % i, bytes(rng.randrange(256) for _ in range(64 + 48 * i)))
    for i in range(8):
        write("draw", "ops-%02d" % i, bytes(rng.randrange(256) for _ in range(32 + 32 * i)))
    recordings()


if __name__ == "__main__":
    main()
