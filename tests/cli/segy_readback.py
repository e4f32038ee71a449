"""SEG-Y from gt7p-cli export, read back with segyio: trace count, samples,
interval, data and trace numbers against the raw file's own hex digits.

usage: segy_readback.py GT7P_CLI
"""
import os
import subprocess
import sys
import tempfile

import segyio


def raw_channels(raw):
    channels = int(raw[10 + 144:10 + 148], 16)
    samples = int(raw[10 + 148:10 + 152], 16)
    out, at = [], 326
    for _ in range(channels):
        number = int(raw[at + 10:at + 14], 16)
        data = []
        for s in range(samples):
            v = int(raw[at + 64 + 4 * s:at + 68 + 4 * s], 16)
            data.append(v - 65536 if v >= 32768 else v)
        out.append((number, data))
        at += 64 + 4 * samples
    return out


def check(cli, folder, index, interval_us):
    raw_path = os.path.join(folder, "r%d.T7P" % index)
    subprocess.run([cli, "sample", "--index", str(index), raw_path], check=True)
    subprocess.run([cli, "export", "--format", "segy", raw_path], check=True)
    with open(raw_path) as f:
        expected = raw_channels(f.read())
    with segyio.open(raw_path[:-4] + ".sgy", ignore_geometry=True) as f:
        assert f.tracecount == len(expected), (f.tracecount, len(expected))
        assert len(f.samples) == len(expected[0][1])
        assert f.bin[segyio.BinField.Interval] == interval_us
        assert f.bin[segyio.BinField.Samples] == len(expected[0][1])
        assert f.bin[segyio.BinField.Format] == 5
        for i, (number, data) in enumerate(expected):
            header = f.header[i]
            assert header[segyio.TraceField.TRACE_SEQUENCE_LINE] == i + 1
            assert header[segyio.TraceField.TRACE_SEQUENCE_FILE] == i + 1
            assert header[segyio.TraceField.TraceNumber] == number, (header[segyio.TraceField.TraceNumber], number)
            assert header[segyio.TraceField.TRACE_SAMPLE_COUNT] == len(data)
            assert header[segyio.TraceField.TRACE_SAMPLE_INTERVAL] == interval_us
            assert list(f.trace[i]) == data, "trace %d differs" % i
        text = segyio.tools.wrap(f.text[0])
        assert "SAMPLE_INTERVAL_US %.2f" % interval_us in text, text
    print("record %d: %d traces read back" % (index, len(expected)))


def main():
    cli = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        check(cli, folder, 1, 10)   # 12 channels, 1024 samples
        check(cli, folder, 5, 25)   # 24 channels, 2048 samples, pre-trigger samples


if __name__ == "__main__":
    main()
