"""SEG-Y (revision 1) from gt7p-cli export, read back with segyio, an
independent reader: every sample's time (bytes 109-110 with the time scalar
of 215-216, plus the interval), every channel's distance (group X with the
coordinate scalar), elevation, numbers and samples against the raw file's
own hex digits. Records with pre-trigger samples and sample delays are made
by changing those fields in the digits of gt7p-cli sample's records.

usage: segy_readback.py GT7P_CLI
"""
from fractions import Fraction
import os
import subprocess
import sys
import tempfile

import segyio

HEADER = 10  # the raw file's header starts after 10 characters
PRE_TRIGGER, INTERVAL, DELAY = (HEADER + 152, 4), (HEADER + 156, 6), (HEADER + 162, 8)


def field(raw, where):
    at, length = where
    return int(raw[at:at + length], 16)


def put(raw, where, value):
    at, length = where
    return raw[:at] + "%0*X" % (length, value % (1 << (4 * length))) + raw[at + length:]


def signed32(v):
    return v - (1 << 32) if v >= 1 << 31 else v


def raw_channels(raw):
    channels = int(raw[HEADER + 144:HEADER + 148], 16)
    samples = int(raw[HEADER + 148:HEADER + 152], 16)
    out, at = [], HEADER + 316
    for _ in range(channels):
        number = int(raw[at + 10:at + 14], 16)
        # "源检距": 16.8 fixed point shown to the centimetre
        distance_cm = round(Fraction(int(raw[at:at + 6], 16), 256) * 100)
        elevation = int(raw[at + 6:at + 10], 16)
        data = []
        for s in range(samples):
            v = int(raw[at + 64 + 4 * s:at + 68 + 4 * s], 16)
            data.append(v - 65536 if v >= 32768 else v)
        out.append((number, distance_cm, elevation, data))
        at += 64 + 4 * samples
    return out


def scaled(value, scalar):
    """A header value with its SEG-Y scalar applied: 0 is 1, positive
    multiplies, negative divides."""
    if scalar == 0:
        scalar = 1
    return Fraction(value * scalar) if scalar > 0 else Fraction(value, -scalar)


def check(cli, folder, index, pre=None, delay_us=None, interval_fixed=None):
    name = os.path.join(folder, "r%d.T7P" % index)
    subprocess.run([cli, "sample", "--index", str(index), name], check=True)
    with open(name) as f:
        raw = f.read()
    if pre is not None:
        raw = put(raw, PRE_TRIGGER, pre)
    if delay_us is not None:
        raw = put(raw, DELAY, delay_us)
    if interval_fixed is not None:
        raw = put(raw, INTERVAL, interval_fixed)
    with open(name, "w") as f:
        f.write(raw)
    subprocess.run([cli, "export", "--format", "segy", name], check=True)

    expected = raw_channels(raw)
    interval_us = Fraction(field(raw, INTERVAL), 256)
    first_ms = (Fraction(signed32(field(raw, DELAY))) - field(raw, PRE_TRIGGER) * interval_us) / 1000
    with segyio.open(name[:-4] + ".sgy", ignore_geometry=True) as f:
        assert f.bin[segyio.BinField.SEGYRevision] == 0x0100
        assert f.tracecount == len(expected), (f.tracecount, len(expected))
        assert f.bin[segyio.BinField.Interval] == interval_us
        assert f.bin[segyio.BinField.Samples] == len(expected[0][3])
        assert f.bin[segyio.BinField.Format] == 5
        assert f.bin[segyio.BinField.MeasurementSystem] == 1
        for i, (number, distance_cm, elevation, data) in enumerate(expected):
            h = f.header[i]
            T = segyio.TraceField
            assert h[T.TRACE_SEQUENCE_LINE] == i + 1 and h[T.TRACE_SEQUENCE_FILE] == i + 1
            assert h[T.TraceNumber] == number, (h[T.TraceNumber], number)
            assert h[T.TRACE_SAMPLE_COUNT] == len(data)
            assert h[T.TRACE_SAMPLE_INTERVAL] == interval_us
            first = scaled(h[T.DelayRecordingTime], h[T.ScalarTraceHeader])
            assert first == first_ms, (first, first_ms)
            times = [first + s * Fraction(h[T.TRACE_SAMPLE_INTERVAL], 1000) for s in range(len(data))]
            assert times == [first_ms + s * interval_us / 1000 for s in range(len(data))]
            group = scaled(h[T.GroupX], h[T.SourceGroupScalar]) - scaled(h[T.SourceX], h[T.SourceGroupScalar])
            assert group * 100 == distance_cm, (group, distance_cm)
            assert abs(h[T.offset] * 100 - distance_cm) <= 50
            assert scaled(h[T.ReceiverGroupElevation], h[T.ElevationScalar]) == elevation
            assert list(f.trace[i]) == data, "trace %d differs" % i
        text = segyio.tools.wrap(f.text[0])
        assert "SAMPLE INTERVAL %s US EXACTLY" % fmt(interval_us) in text, text
        assert "FIRST SAMPLE AT %s MS" % fmt(first_ms) in text, text
    print("record %d: %d traces read back, first sample at %s ms" % (index, len(expected), fmt(first_ms)))


def fmt(fraction):
    """An exact decimal text of a fraction whose denominator divides a power of ten."""
    text = "%.8f" % fraction
    assert Fraction(text) == fraction
    return text.rstrip("0").rstrip(".")


def main():
    cli = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        check(cli, folder, 1)                                    # 12 channels, 10 us
        check(cli, folder, 5)                                    # 24 channels, 32 before the trigger at 25 us
        check(cli, folder, 2, pre=64, delay_us=1500, interval_fixed=20 * 256)  # at 0.22 ms
        check(cli, folder, 3, pre=0, delay_us=40000000)          # 40 s: scalar 10
        check(cli, folder, 4, pre=100, delay_us=-3)              # 5 us: at -0.503 ms


if __name__ == "__main__":
    main()
