#!/usr/bin/env python3
"""Writes a small seed corpus for every fuzz target into the folder given as the only argument."""
import math
import os
import struct
import sys


def wave(samples, rate=8000, byte_rate=None, extra_chunk=b""):
    byte_rate = rate if byte_rate is None else byte_rate
    fmt = struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 1, rate, byte_rate, 1, 8)
    data = struct.pack("<4sI", b"data", len(samples)) + samples
    body = b"WAVE" + fmt + extra_chunk + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def sparks(rate=8000, seconds=0.2, rpm=3000):
    count = int(rate * seconds)
    period = rate * 60.0 / rpm
    out = bytearray(128 for _ in range(count))
    k = 0.0
    while k < count:
        for j in range(6):
            if int(k) + j < count:
                out[int(k) + j] = 128 + int(100 * math.cos(j * 2.0) * math.exp(-j / 3.0))
        k += period
    return bytes(out)


DOCUMENT = (
    "# Tammel Ruvo v2.0 : seed run\n# Vehicle Weight   : 2400.000000\n# Revs/Ignition    : 2.000000\n"
    "# Axle Ratio       : 4.000000\n# Gear Ratio       : 2.500000\n# Wheel Diameter   : 29.300000\n"
    "# Tire Aspect Ratio: 100.000000\n# Tire Width       : 0.000000\n# Drag Coefficient : 0.500000\n"
    "# Frontal Area     : 35.000000\n# HP Fricion Loss  : 0.000000\n# HP Loss @ RPM of : 0\n"
    "# HP Loss Exponent : 0.000000\n# Smoothing Method : 2\n# Smoothing Level  : 3\n"
    "# Est. Initial RPM : 1000\n# Est. Final RPM   : 5000\n# Max Pulse Length : 20.000000\n"
    "# Number Wave Files: 2\n# Wave File No.  1 : a.wav\n# Wave File No.  2 : b.wav\n"
    "# Calculation Mode : 0\n# Coef. Roll. Resis: 0.010000\n# Drivetrain Loss  : 0.000000\n"
    "# Smoothing RPM    : 0\nTitle=\"seed run\"\n"
)

CONDITIONS = ("# Air Temp. (deg C): 21.500000\n# Air Press. (hPa) : 1002.250000\n"
              "# Rel. Humidity (%): 40.000000\n# Altitude (m)     : 350.000000\n")

SEEDS = {
    "fuzz_wave_recording": {
        "canonical": wave(sparks()),
        "list_chunk": wave(bytes([128, 200, 50]), extra_chunk=b"LIST\x03\x00\x00\x00abc\x00"),
        "stereo": wave(bytes(8), byte_rate=16000),
        "empty_data": wave(b""),
    },
    "fuzz_run_document": {
        "version2": DOCUMENT.encode(),
        "version1_crlf": DOCUMENT.replace("v2.0", "v1.0").replace("\n", "\r\n").encode(),
        "hex_octal": DOCUMENT.replace(": 1000", ": 0x3e8").replace(": 5000", ": 011610").encode(),
        "conditions": DOCUMENT.replace('Title=', CONDITIONS + 'Title=').encode(),
    },
    "fuzz_result_table": {
        "power": (DOCUMENT + "Variables=\n  \"RPM\"    \"HP\"  \"Torque\"\nZone T=\"seed\"\n"
                  "  3000    50.25   87.97\n  5600   125.20  117.42\n").encode(),
        "time_crlf": (DOCUMENT.replace("Title=", "# Spark (fractions): 0.5 0.5\nTitle=")
                      + "Variables=\n \"Time\" \"RPM\"\nZone T=\"s\"\n 0.1 3000\n").replace("\n", "\r\n").encode(),
        "no_table": DOCUMENT.replace('Title="seed run"\n', "").encode(),
        "conditions": (DOCUMENT.replace('Title=', CONDITIONS + 'Title=')
                       + "Variables=\n  \"RPM\"    \"HP\"\nZone T=\"seed\"\n  3000    50.25\n").encode(),
    },
    "fuzz_analysis_config": {
        "defaults": b"0\n6\n0.002\n1.0\n1.0\n",
        "comments": b"1 start\n4 trim\n5e-3\n 2\n0x1p-1\n",
    },
    "fuzz_text_scan": {
        "decimal": b"  -12.5e3xyz",
        "hex": b"0x1Fp-2",
        "octal": b"0777",
        "nan": b"nan(123)",
    },
    "fuzz_tool_command": {
        "plain": b"notepad.exe\nC:\\runs\\ruvo.dat",
        "blanks": b"C:\\Program Files\\Viewer\\view.exe -f <file>\na.dat",
        "many_words": b" ".join(b"w%d" % k for k in range(1, 26)) + b" <file>\nrun.dat",
        "upper_case": b"  /opt/My Tools/X.EXE  <file> <file>\nb c.dat",
        "no_file": b"grapher --open <file>",
    },
    "fuzz_import": {
        # channels, rate (3 bytes), encoding, channel mode, filters, trim and level; then samples
        "mono_u8_8k": bytes([0, 0x40, 0x1b, 0, 0, 0, 20, 0]) + sparks(),
        "stereo_s16_96k": bytes([1, 0x88, 0x73, 1, 1, 0, 3, 8]) + sparks() * 2,
        "float_5.1_192k": bytes([5, 0xe8, 0xec, 2, 2, 6, 0, 128]) + struct.pack("<48f", *[(-1.0) ** k * k for k in range(48)]),
    },
    "fuzz_engine_tracker": {
        # mode, cylinders, strokes, low (2 bytes), high (2 bytes), expected start and end, rate;
        # then 16-bit samples (even mode) or noise bytes under a synthetic sweep (odd mode)
        "sweep_4cyl_8k": bytes([3, 4, 1, 0x26, 0x02, 0x40, 0x1f, 50, 130, 2]) + bytes(range(256)),
        "sweep_anchored_4k": bytes([1, 4, 1, 0x26, 0x02, 0x40, 0x1f, 25, 100, 1]) + bytes(64),
        "raw_tone_2k": bytes([0, 2, 2, 0x90, 0x01, 0x10, 0x27, 0, 0, 0])
        + struct.pack("<2400h", *[int(8000 * math.sin(0.3 * k)) for k in range(2400)]),
        "bad_rate": bytes([1, 4, 1, 0x26, 0x02, 0x40, 0x1f, 0, 0, 4]) + bytes(16),
    },
    "fuzz_log_reader": {
        # options byte, then the log's text
        "comma_seconds": b"\x00Time (s),Engine RPM (rpm)\n"
        + b"".join(b"%.2f,%d\n" % (0.1 * k, 1000 + (k > 5) * 150 * (k - 5)) for k in range(50)),
        "semicolon_decimal_comma_ms": b"\x02Zeit [ms];Drehzahl\n"
        + b"".join(b"%d;%d,5\n" % (100 * k, 900 + 100 * k) for k in range(40)),
        "sparse_road_speed_pull": b"\x15\xef\xbb\xbfGPS export\n\"Time\",\"Speed (km/h)\",\"Sats\"\n"
        + b"".join(b"00:01:%06.3f,%.2f,\n00:01:%06.3f,,9\n" % (0.2 * k, 20 + 2.5 * k, 0.2 * k + 0.1) for k in range(40)),
    },
    "fuzz_calculation": {
        "sparks": struct.pack("<HHHHddd", 3000, 3000, 2, 2, 2.0, 20.0, 0.01) + sparks(seconds=0.5),
    },
}


def main():
    root = sys.argv[1]
    for target, seeds in SEEDS.items():
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
