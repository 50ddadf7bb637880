#!/usr/bin/env python3
"""Frame cost and memory of the game on the software rasteriser, scene by scene.

Runs the game itself (no display needed: SDL's offscreen driver on Mesa llvmpipe) in two
scenes, the title screen and a mission flown by the demo pilot, each for a short and a long
number of ticks; the difference between the two runs removes start-up and shut-down, so

  cpu/frame   CPU time of all threads (ours, llvmpipe's rasteriser threads) per frame, with
              --fast (one tick and one frame per pass, no waiting)
  main ms     the part of it spent on the game's main thread (the logic tick, the drawing calls
              and the driver's vertex work); the rest is the rasteriser's threads
  fps         frames per second with --fast, from wall time
  cpu%        share of one core in normal play (the game's own pacing)

and, sampled from /proc every 20 ms during the long run, the median of the samples taken
between half and nine tenths of its time (steady play: not loading, not shutting down):

  rss         resident set (VmRSS), MB
  private     private pages (Private_Clean + Private_Dirty of smaps_rollup), MB; this counts
              the pages of shared libraries that no other running process maps (the software
              renderer's 100 MB of code, when no other program uses it), so it moves with what
              else runs: compare anon
  anon        anonymous pages (Anonymous of smaps_rollup): heap, buffers, driver copies, MB

Each figure is the median of --rounds rounds. Give several programs to alternate them round by
round, which is the only fair way to compare builds on a machine whose speed drifts:

  bench/frame_costs.py build/vantrel /tmp/old/vantrel --rounds 7

Every program runs at each --quality and window --size given, alternated the same way, so

  bench/frame_costs.py build/vantrel --quality low,medium,high --size 640x480,1920x1080

prints each preset's CPU per frame and uncapped frames a second at both sizes (the title is
drawn alike at every preset). --fast-only leaves out the paced runs, which take most of the time.

The environment reaches the game, so the rasteriser's own settings can be compared too: with
LP_NUM_THREADS=0 it rasterises on the main thread, which shows what handing the work to its
threads costs.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
TICK_SECONDS = 0.030  # the game's logic tick
EXIT_NORMAL = 1  # the game's status when its main loop ended as asked

SCENES = {
    # name: (arguments, short ticks, long ticks)
    "title": (["--seed", "1"], 60, 360),
    "mission": (["--seed", "1", "--demo", "3"], 200, 500),
}


def cpu_seconds(stat_path):
    with open(stat_path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS  # utime and stime


def process_cpu_seconds(pid):
    """Of every thread of the process, and of its main thread alone."""
    return cpu_seconds(f"/proc/{pid}/stat"), cpu_seconds(f"/proc/{pid}/task/{pid}/stat")


def memory_mb(pid):
    figures = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                figures["rss"] = int(line.split()[1]) / 1024
    private = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("Private_Clean", "Private_Dirty"):
                private += int(rest.split()[0])
            elif key == "Anonymous":
                figures["anon"] = int(rest.split()[0]) / 1024
    figures["private"] = private / 1024
    return figures


def run(setup, scene, ticks, fast):
    """CPU seconds, wall seconds and the last memory sample of one run of the game."""
    program, quality, size = setup
    args, _, _ = SCENES[scene]
    command = [program, "--window", "--no-sound", "--quit-after", str(ticks)] + args
    if quality:
        command += ["--quality", quality]
    if size:
        command += ["--size", size]
    if fast:
        command.append("--fast")
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen", LIBGL_ALWAYS_SOFTWARE="1")
    start = time.monotonic()
    child = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    cpu, samples = (0.0, 0.0), []
    while child.poll() is None:
        try:
            cpu = process_cpu_seconds(child.pid)
            samples.append((time.monotonic() - start, memory_mb(child.pid)))
        except (FileNotFoundError, ProcessLookupError, IndexError, ValueError):
            pass  # the process ended between poll and read
        time.sleep(0.02)
    wall = time.monotonic() - start
    if child.returncode != EXIT_NORMAL:
        sys.exit(f"{' '.join(command)} failed ({child.returncode}): {child.stderr.read().decode()}")
    steady = [m for t, m in samples if 0.5 * wall <= t <= 0.9 * wall] or [m for _, m in samples]
    memory = {k: statistics.median(m[k] for m in steady) for k in steady[0]} if steady else {}
    return cpu, wall, memory


def measure(setup, scene, paced):
    _, short, long = SCENES[scene]
    frames = long - short
    (cpu_short, main_short), wall_short, _ = run(setup, scene, short, fast=True)
    (cpu_long, main_long), wall_long, memory = run(setup, scene, long, fast=True)
    figures = {
        "cpu/frame ms": 1000 * (cpu_long - cpu_short) / frames,
        "main ms": 1000 * (main_long - main_short) / frames,
        "fps": frames / max(wall_long - wall_short, 1e-6),
    }
    if paced:
        (paced_short, _), _, _ = run(setup, scene, short, fast=False)
        (paced_long, _), _, _ = run(setup, scene, long, fast=False)
        figures["cpu% paced"] = 100 * (paced_long - paced_short) / (frames * TICK_SECONDS)
    figures.update({f"{k} MB": v for k, v in memory.items()})
    return figures


def label(setup):
    program, quality, size = setup
    return " ".join(part for part in (program[-28:], quality, size) if part)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("programs", nargs="+", help="vantrel executables to compare")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--scenes", default="title,mission")
    parser.add_argument("--quality", default="", help="presets to run, such as low,medium,high")
    parser.add_argument("--size", default="", help="window sizes to run, such as 640x480,1920x1080")
    parser.add_argument("--fast-only", action="store_true", help="leave out the paced runs (cpu%% paced)")
    options = parser.parse_args()
    scenes = options.scenes.split(",")
    setups = [(p, q, s) for s in options.size.split(",") for q in options.quality.split(",") for p in options.programs]
    results = {(setup, scene): [] for setup in setups for scene in scenes}
    for round_number in range(options.rounds):
        for scene in scenes:
            for setup in setups:
                results[(setup, scene)].append(measure(setup, scene, paced=not options.fast_only))
        print(f"round {round_number + 1} of {options.rounds} done", file=sys.stderr)
    for scene in scenes:
        print(f"\n{scene} (medians of {options.rounds} rounds)")
        keys = list(results[(setups[0], scene)][0])
        print(f"{'program':44}" + "".join(f"{k:>14}" for k in keys))
        for setup in setups:
            rows = results[(setup, scene)]
            medians = [statistics.median(r[k] for r in rows) for k in keys]
            print(f"{label(setup):44}" + "".join(f"{m:14.2f}" for m in medians))


if __name__ == "__main__":
    main()
