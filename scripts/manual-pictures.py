#!/usr/bin/python3
"""The manual's pictures, drawn from what the plug-in does: each plot runs
test signals through selvane-render (the real processor, as a host runs it)
and analyses its output with numpy; matplotlib draws them as SVG files with
fixed ids and no date, so the same renderer draws the same bytes.
  manual-pictures.py SELVANE_RENDER OUTPUT_DIR"""
import os
import struct
import subprocess
import sys
import tempfile

import matplotlib

matplotlib.use("svg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.patches import Circle, FancyArrowPatch, FancyBboxPatch  # noqa: E402

RATE = 48000
CRIMSON = "#e20036"
SLATE = "#2f4f6f"
GREY = "#8a8f98"
SHADES = ["#9cc3e6", "#4a90c8", SLATE, CRIMSON]

plt.rcParams.update({
    "svg.hashsalt": "selvane-manual",
    "svg.fonttype": "path",
    "font.family": "DejaVu Sans",
    "font.size": 9,
    "axes.spines.top": False,
    "axes.spines.right": False,
    "axes.grid": True,
    "grid.color": "#e3e5e8",
    "grid.linewidth": 0.6,
    "legend.frameon": False,
})


def write_wav(path, channels):
    """A 32-bit float WAV file of the given channels (arrays of equal length)."""
    data = np.stack(channels, axis=1).astype("<f4").tobytes()
    count = len(channels)
    fmt = struct.pack("<HHIIHH", 3, count, RATE, RATE * 4 * count, 4 * count, 32)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        f.write(b"data" + struct.pack("<I", len(data)) + data)


def read_wav(path):
    """The channels of a 32-bit float WAV file, as an array (channels x samples)."""
    with open(path, "rb") as f:
        raw = f.read()
    position, channels, data = 12, 0, None
    while position + 8 <= len(raw):
        tag, size = raw[position:position + 4], struct.unpack("<I", raw[position + 4:position + 8])[0]
        body = raw[position + 8:position + 8 + size]
        if tag == b"fmt ":
            channels = struct.unpack("<H", body[2:4])[0]
        elif tag == b"data":
            data = np.frombuffer(body, dtype="<f4")
        position += 8 + size + (size & 1)
    return data.reshape(-1, channels).T


class Renderer:
    def __init__(self, program, work):
        self.program, self.work, self.count = program, work, 0

    def __call__(self, channels, settings, tail, preroll=True):
        """Runs the channels through the echo with the given --set values; returns the output."""
        self.count += 1
        source = os.path.join(self.work, "in%d.wav" % self.count)
        target = os.path.join(self.work, "out%d.wav" % self.count)
        write_wav(source, channels)
        command = [self.program, "--tail", str(tail), "--bits", "32f"]
        for setting in settings:
            command += ["--set", setting]
        if not preroll:
            command.append("--no-preroll")
        subprocess.run(command + [source, target], check=True, stdout=subprocess.DEVNULL)
        return read_wav(target)


def impulse(seconds=0.05, left=1.0, right=1.0):
    n = int(seconds * RATE)
    l, r = np.zeros(n, np.float32), np.zeros(n, np.float32)
    l[0], r[0] = left, right
    return [l, r]


def decibels(x, floor=-120.0):
    return np.maximum(20 * np.log10(np.maximum(np.abs(x), 1e-12)), floor)


def peaks(x, window):
    """The loudest sample of each window (a level meter's reading)."""
    n = len(x) // window * window
    return np.abs(x[:n]).reshape(-1, window).max(axis=1)


def save(figure, directory, name):
    figure.savefig(os.path.join(directory, name), metadata={"Date": None, "Creator": None})
    plt.close(figure)


def echo_train(render, directory):
    figure, axes = plt.subplots(figsize=(7.2, 3.0))
    spacing = RATE // 4  # 250 ms between repeats
    for shade, feedback in zip(SHADES, (25, 50, 100, 110)):
        out = render(impulse(), ["Mode=medium", "DelayTime=250ms", "DelayFeedback=%d%%" % feedback, "DryWet=100%"], tail=4)
        # each repeat's peak: one window of 250 ms around each
        level = decibels(peaks(out[0][spacing // 2:], spacing))
        times = (np.arange(len(level)) + 1) * spacing / RATE
        audible = level > -90
        axes.plot(times[audible], level[audible], "o-", color=shade, markersize=3.5, linewidth=1.1,
                  label="feedback %d %%" % feedback)
    axes.set_xlim(0, 4)
    axes.set_ylim(-90, 6)
    axes.set_xlabel("time after the impulse (s)")
    axes.set_ylabel("level of each repeat (dBFS)")
    axes.set_title("An impulse's repeats, 250 ms apart, all wet", loc="left")
    axes.legend(loc="lower left", ncol=2)
    figure.tight_layout()
    save(figure, directory, "echo-train.svg")


def loop_filters(render, directory):
    figure, panels = plt.subplots(1, 2, figsize=(7.2, 3.0), sharey=True)
    delay = RATE // 2  # the first echo at 500 ms, the second 500 ms later
    cases = [("HighCut", ("20kHz", "8kHz", "2kHz", "500Hz"), panels[0]),
             ("LowCut", ("20Hz", "100Hz", "250Hz", "500Hz"), panels[1])]
    for name, values, axes in cases:
        for shade, value in zip(SHADES, values):
            out = render(impulse(), ["Mode=medium", "DelayTime=500ms", "DelayFeedback=100%", "DryWet=100%",
                                     "%s=%s" % (name, value)], tail=1.2)
            first = out[0][delay - 100:2 * delay - 100].astype(np.float64)
            spectrum = np.abs(np.fft.rfft(first))
            frequencies = np.fft.rfftfreq(len(first), 1.0 / RATE)
            keep = (frequencies >= 10) & (frequencies <= 24000)
            # fewer points than the FFT has: one per 1/48 octave
            grid = np.geomspace(10, 24000, 540)
            axes.semilogx(grid, np.interp(grid, frequencies[keep], decibels(spectrum[keep])), color=shade,
                          linewidth=1.2, label="%s %s" % (name, value.replace("Hz", " Hz").replace("k ", " k")))
        axes.set_xlim(10, 24000)
        axes.set_xlabel("frequency (Hz)")
        axes.legend(loc="lower center", fontsize=8)
    panels[0].set_ylim(-30, 3)
    panels[0].set_ylabel("level of the first repeat (dB)")
    panels[0].set_title("High Cut darkens each repeat", loc="left")
    panels[1].set_title("Low Cut thins each repeat", loc="left")
    figure.tight_layout()
    save(figure, directory, "loop-filters.svg")


def pitch_bend(render, directory):
    seconds, tone = 6.0, 1000.0
    t = np.arange(int(seconds * RATE)) / RATE
    sine = (0.5 * np.sin(2 * np.pi * tone * t)).astype(np.float32)
    out = render([sine, sine], ["Mode=medium", "DelayTime=1s", "DelayFeedback=5%", "DryWet=100%", "Gain=+10dB"],
                 tail=0.01, preroll=False)[0][:len(t)].astype(np.float64)
    # the frequency heard: one over the time between upward zero crossings
    # (placed between samples by linear interpolation), averaged over 25 ms
    rising = np.flatnonzero((out[:-1] < 0) & (out[1:] >= 0))
    crossings = rising + out[rising] / (out[rising] - out[rising + 1])
    middles, periods = (crossings[1:] + crossings[:-1]) / 2, np.diff(crossings)
    window = RATE // 40
    bins = (middles // window).astype(int)
    sums = np.bincount(bins, weights=RATE / periods)
    counts = np.bincount(bins)
    heard = counts > 0
    frequency = sums[heard] / counts[heard]
    times = (np.flatnonzero(heard) + 0.5) * window / RATE
    figure, axes = plt.subplots(figsize=(7.2, 2.8))
    axes.axhline(tone, color=GREY, linewidth=0.8, linestyle="--")
    axes.text(5.95, tone + 25, "the input, 1 kHz", ha="right", va="bottom", color=GREY, fontsize=8)
    axes.plot(times, frequency, color=CRIMSON, linewidth=1.3)
    axes.set_xlim(0, seconds)
    axes.set_ylim(0, 1150)
    axes.set_xlabel("time (s)")
    axes.set_ylabel("pitch of the echo (Hz)")
    axes.set_title("The delay glides from its shortest to 1 s: while it grows, the echo sings lower", loc="left")
    figure.tight_layout()
    save(figure, directory, "pitch-bend.svg")


def ping_pong(render, directory):
    out = render(impulse(left=1.0, right=0.0), ["Mode=medium", "DelayTime=200ms", "DelayFeedback=70%",
                                                "PingPong=100%", "DryWet=100%"], tail=2)
    window = RATE // 200
    left, right = peaks(out[0], window), peaks(out[1], window)
    times = np.arange(len(left)) * window / RATE
    figure, axes = plt.subplots(figsize=(7.2, 2.8))
    axes.set_axisbelow(True)
    heard = lambda level: level > 0.001  # noqa: E731
    axes.bar(times[heard(left)], left[heard(left)], width=0.03, color=SLATE, label="left")
    axes.bar(times[heard(right)], -right[heard(right)], width=0.03, color=CRIMSON, label="right")
    axes.axhline(0, color=GREY, linewidth=0.6)
    axes.set_xlim(0, 2)
    axes.set_ylim(-0.8, 0.8)
    axes.set_yticks([-0.75, -0.5, -0.25, 0, 0.25, 0.5, 0.75], ["0.75", "0.5", "0.25", "0", "0.25", "0.5", "0.75"])
    axes.set_xlabel("time after an impulse on the left (s)")
    axes.set_ylabel("echo level (right below)")
    axes.set_title("Ping-pong at 100 %: the repeats alternate, starting on the other side", loc="left")
    axes.legend(loc="upper right")
    figure.tight_layout()
    save(figure, directory, "ping-pong.svg")


def signal_flow(directory):
    figure, axes = plt.subplots(figsize=(10.2, 2.9))
    axes.set_xlim(0, 16.6)
    axes.set_ylim(-0.3, 4.2)
    axes.axis("off")
    row = 2.0

    def box(x, text, colour=SLATE, width=1.25):
        axes.add_patch(FancyBboxPatch((x - width / 2, row - 0.42), width, 0.84, boxstyle="round,pad=0.02,rounding_size=0.12",
                                      facecolor="white", edgecolor=colour, linewidth=1.2))
        axes.text(x, row, text, ha="center", va="center", fontsize=7.5, color="#1d232b", linespacing=1.25)
        return x - width / 2, x + width / 2

    def arrow(points, colour=SLATE):
        for (x0, y0), (x1, y1) in zip(points[:-2], points[1:-1]):
            axes.plot([x0, x1], [y0, y1], color=colour, linewidth=1.1, solid_capstyle="round")
        axes.add_patch(FancyArrowPatch(points[-2], points[-1], arrowstyle="-|>", mutation_scale=9, color=colour,
                                       linewidth=1.1, shrinkA=0, shrinkB=0))

    stages = [
        (0.75, "Input\nL / R"),
        (2.25, "Balance\nL ↔ R"),
        (4.55, "Ping-pong\ncross-feed"),
        (6.05, "Loop gain\n0 – 110 %"),
        (7.6, "Delay line\n5 ms – 3 s\n(gliding)", CRIMSON, 1.45),
        (9.15, "Low Cut\n20 – 500 Hz"),
        (10.65, "High Cut\n20 k – 500 Hz"),
        (12.2, "Dry / wet\nmix"),
        (13.65, "Gain\n−90 – +10 dB"),
        (15.05, "Clip\n±1"),
    ]
    edges = [box(*stage) for stage in stages]
    summing = 3.35
    axes.add_patch(Circle((summing, row), 0.22, facecolor="white", edgecolor=SLATE, linewidth=1.2))
    axes.text(summing, row, "+", ha="center", va="center", fontsize=11, color=SLATE)
    arrow([(edges[0][1], row), (edges[1][0], row)])
    arrow([(edges[1][1], row), (summing - 0.22, row)])
    arrow([(summing + 0.22, row), (edges[2][0], row)])
    for a, b in zip(edges[2:6], edges[3:7]):
        arrow([(a[1], row), (b[0], row)])
    arrow([(edges[6][1], row), (edges[7][0], row)], CRIMSON)
    arrow([(edges[7][1], row), (edges[8][0], row)])
    arrow([(edges[8][1], row), (edges[9][0], row)])
    arrow([(edges[9][1], row), (15.95, row)])
    axes.text(16.55, row, "Output\nL / R", ha="right", va="center", fontsize=7.5, color="#1d232b")
    # the dry signal passes over the loop; the echoes return beneath it
    dry_x = (edges[1][1] + summing - 0.22) / 2
    arrow([(dry_x, row), (dry_x, 3.55), (12.2, 3.55), (12.2, row + 0.42)], GREY)
    axes.text(7.6, 3.68, "dry", ha="center", va="bottom", fontsize=7.5, color=GREY)
    loop_x = (edges[6][1] + edges[7][0]) / 2
    arrow([(loop_x, row), (loop_x, 0.55), (summing, 0.55), (summing, row - 0.22)], CRIMSON)
    axes.text(7.0, 0.38, "feedback: each repeat returns through the loop", ha="center", va="top", fontsize=7.5,
              color=CRIMSON)
    axes.text(11.4, row + 0.52, "wet", ha="center", va="bottom", fontsize=7.5, color=CRIMSON)
    figure.tight_layout()
    save(figure, directory, "signal-flow.svg")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, directory = sys.argv[1], sys.argv[2]
    os.makedirs(directory, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        render = Renderer(program, work)
        signal_flow(directory)
        echo_train(render, directory)
        loop_filters(render, directory)
        pitch_bend(render, directory)
        ping_pong(render, directory)
    print("manual-pictures: signal-flow, echo-train, loop-filters, pitch-bend, ping-pong in %s" % directory)


main()
