#!/usr/bin/env python3
"""Times `auhost render` beside ffmpeg's leveler on one long programme.

Writes a speech-like stereo programme (the host's built-in example, repeated
to the length asked, 48 kHz, 32-bit float WAV), then runs, interleaved and
several times each:
  auhost render IN OUT            (with its summary)
  auhost render --quiet IN OUT    (no summary)
  ffmpeg -i IN -af dynaudnorm -c:a pcm_f32le OUT   (only when ffmpeg is
                                   installed; a peer to time against, never
                                   something the project needs)
and prints each one's median time, the ratios of the medians and every
run's peak memory (maximum resident set), with the machine's load.

Each run writes a file that is not there yet, as a first render does: the
last run's output is removed before the clock starts. Written over, a
file's old pages are freed, and a renamed-over one flushed, by the file
system inside the run, which would time the file system rather than the
command.

  bench/render_side_by_side.py [--auhost build/tools/auhost] [--runs 5]
                               [--minutes 10] [--work DIR]
Only the Python standard library is used.
"""

import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

RATE = 48000


def read_float_wav(path):
    """The sample rate, channel count and raw little-endian float data of a
    32-bit float WAV as the host's example writes it."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit(f"{path}: not a WAV file")
    at, fmt, samples = 12, None, None
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        body = data[at + 8:at + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif tag == b"data":
            samples = body
        at += 8 + size + (size & 1)
    if not fmt or samples is None or fmt[0] not in (3, 0xFFFE) or fmt[5] != 32:
        sys.exit(f"{path}: not a 32-bit float WAV")
    return fmt[2], fmt[1], samples


def write_programme(auhost, path, minutes):
    """The example programme, made stereo and repeated to `minutes`."""
    example = path + ".example.wav"
    subprocess.run([auhost, "example", example], check=True)
    rate, channels, mono = read_float_wav(example)
    os.remove(example)
    if channels != 1 or rate != RATE:
        sys.exit("the example is expected as mono at 48 kHz")
    # Both channels the same programme: byte k of each frame's two floats.
    stereo = bytearray(len(mono) * 2)
    for k in range(4):
        stereo[k::8] = mono[k::4]
        stereo[4 + k::8] = mono[k::4]
    frames_wanted = int(minutes * 60 * RATE)
    repeats = -(-frames_wanted // (len(mono) // 4))
    data_size = frames_wanted * 8
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + data_size) + b"WAVE")
        f.write(b"fmt " + struct.pack("<IHHIIHH", 16, 3, 2, RATE, RATE * 8, 8, 32))
        f.write(b"data" + struct.pack("<I", data_size))
        left = data_size
        for _ in range(repeats):
            piece = stereo[:left]
            f.write(piece)
            left -= len(piece)


def timed_run(command, output):
    """Wall time in seconds and peak memory in MB of one run, writing the
    file `output` afresh.

    The peak is taken by /usr/bin/time when it is there, else by this script
    started afresh: a process's peak memory counts what its parent held
    when it was forked, so a command forked from this script, which holds
    the programme it wrote, would be charged with it."""
    probe = ["/usr/bin/time", "-f", "%M"] if os.path.exists("/usr/bin/time") else \
        [sys.executable, os.path.abspath(__file__), "--peak-of"]
    if os.path.exists(output):
        os.remove(output)
    start = time.perf_counter()
    run = subprocess.run(probe + command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE)
    seconds = time.perf_counter() - start
    errors = run.stderr.decode(errors="replace").strip().splitlines()
    if run.returncode != 0 or not errors or not errors[-1].isdigit():
        sys.exit(f"{' '.join(command)} failed ({run.returncode}):\n" + "\n".join(errors))
    return seconds, int(errors[-1]) / 1024.0  # kilobytes


def peak_of(command):
    """Runs the command and prints its peak memory in kilobytes last on
    standard error, as `/usr/bin/time -f %M` does."""
    child = subprocess.Popen(command)
    _, status, usage = os.wait4(child.pid, 0)
    print(usage.ru_maxrss, file=sys.stderr)
    sys.exit(os.waitstatus_to_exitcode(status))


def load():
    one, five, fifteen = os.getloadavg()
    return f"load average {one:.2f}, {five:.2f}, {fifteen:.2f} on {os.cpu_count()} cores"


def main():
    if len(sys.argv) > 2 and sys.argv[1] == "--peak-of":
        peak_of(sys.argv[2:])
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--auhost", default=os.path.join(here, "..", "build", "tools", "auhost"))
    parser.add_argument("--runs", type=int, default=5, help="timed runs of each command")
    parser.add_argument("--minutes", type=float, default=10.0, help="length of the programme")
    parser.add_argument("--work", help="folder for the files (default: a temporary one, removed)")
    args = parser.parse_args()

    work = args.work or tempfile.mkdtemp(prefix="render-side-by-side-")
    os.makedirs(work, exist_ok=True)
    try:
        programme = os.path.join(work, "programme.wav")
        write_programme(args.auhost, programme, args.minutes)
        commands = {
            "auhost render": [args.auhost, "render", programme, os.path.join(work, "summary.wav")],
            "auhost render --quiet": [args.auhost, "render", "--quiet", programme,
                                      os.path.join(work, "quiet.wav")],
        }
        ffmpeg = shutil.which("ffmpeg")
        if ffmpeg:
            commands["ffmpeg dynaudnorm"] = [ffmpeg, "-nostdin", "-y", "-v", "error", "-i", programme,
                                             "-af", "dynaudnorm", "-c:a", "pcm_f32le",
                                             os.path.join(work, "ffmpeg.wav")]
        print(f"programme: {args.minutes:g} min, stereo, {RATE} Hz, 32-bit float WAV")
        print(f"before: {load()}")
        # One untimed round fills the page cache and the loaders' caches.
        for command in commands.values():
            timed_run(command, command[-1])
        runs = {name: [] for name in commands}
        for _ in range(args.runs):
            for name, command in commands.items():
                runs[name].append(timed_run(command, command[-1]))
        print(f"after:  {load()}\n")

        median = {name: statistics.median(t for t, _ in r) for name, r in runs.items()}
        print(f"| command | median s | runs s | peak memory MB per run |")
        print(f"|---|---|---|---|")
        for name, r in runs.items():
            times = " ".join(f"{t:.2f}" for t, _ in r)
            peaks = " ".join(f"{m:.0f}" for _, m in r)
            print(f"| `{name}` | {median[name]:.2f} | {times} | {peaks} |")
        print()
        summary, quiet = median["auhost render"], median["auhost render --quiet"]
        print(f"summary costs {100.0 * (summary / quiet - 1.0):+.1f} % over --quiet")
        if ffmpeg:
            peer = median["ffmpeg dynaudnorm"]
            print(f"auhost render / ffmpeg:         {summary / peer:.2f}")
            print(f"auhost render --quiet / ffmpeg: {quiet / peer:.2f}")
        else:
            print("ffmpeg is not installed: no peer timed")
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
