#!/usr/bin/env python3
"""film-fps's arithmetic on made-up swap logs: the frame times between
swaps, the nearest-rank percentiles, the slowest frames, the time from OK
to the first frame, and the late frames that recur in every run."""
import os
import sys
import tempfile
import types

HERE = os.path.dirname(os.path.abspath(__file__))
# scripts/film-fps has no .py name: its text is run into a module of its own
# (its main() stays unrun, as the module is not __main__).
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "film-fps")
film_fps = types.ModuleType("film_fps")
film_fps.__file__ = SCRIPT
with open(SCRIPT) as source:
    exec(compile(source.read(), SCRIPT, "exec"), film_fps.__dict__)

failures = []
checks = 0


def check(what, got, expected):
    global checks
    checks += 1
    if got != expected:
        failures.append("%s: %r, expected %r" % (what, got, expected))


def swap_log(frame_ms, late=()):
    """Swaps 10 ms apart from film time 0 (after two leader swaps at
    DemoTime 0), the frames at the film times in `late` taking their ms."""
    late = dict(late)
    swaps = [(1_000_000_000, 0), (1_010_000_000, 0)]
    wall, t = 1_010_000_000, 0
    for _ in range(frame_ms):
        t += 10
        wall += int(late.get(t, 10) * 1e6)
        swaps.append((wall, t))
    return swaps


# The log file as the swap timer writes it, read back.
with tempfile.NamedTemporaryFile("w", delete=False) as log:
    log.write("1000 0\n2000 5\n")
check("read_swaps", film_fps.read_swaps(log.name), [(1000, 0), (2000, 5)])
os.remove(log.name)

# Frames: the leader's swaps (DemoTime 0) are not film frames.
film = film_fps.frames(swap_log(1000, late=[(5000, 120), (8000, 40)]))
check("frame count", len(film), 1000)
check("a late frame's time", dict(film)[5000], 120.0)

# Percentiles by nearest rank: 1000 frames, two slow.
times = [ms for _, ms in film]
check("p50", film_fps.percentile(times, 0.5), 10.0)
check("p99", film_fps.percentile(times, 0.99), 10.0)
check("p99.9", film_fps.percentile(times, 0.999), 40.0)
check("p100", film_fps.percentile(times, 1.0), 120.0)
check("p of one", film_fps.percentile([7.0], 0.999), 7.0)

swaps = swap_log(1000, late=[(5000, 120), (8000, 40)])
summary = film_fps.frame_summary(film, swaps, ok_ns=1_000_000_000 - 250_000_000, worst=3)
check("slowest frames", summary["worst"], [(120.0, 5000), (40.0, 8000), (10.0, 10000)])
check("OK to the first frame", summary["start_ms"], 250.0)

# Recurrence: a late frame recurs when every run has one within 100 ms of
# film time; a burst counts once, at its slowest.
runs = [
    film_fps.frames(swap_log(1000, late=[(3000, 50), (3010, 70), (6000, 80), (9000, 45)])),
    film_fps.frames(swap_log(1000, late=[(3080, 60), (6200, 90), (9000, 20)])),
    film_fps.frames(swap_log(1000, late=[(2950, 55), (6000, 35), (9000, 90)])),
]
late = film_fps.recurring_late(runs, 2000 / 60)
check("recurring late frames", late, [(3010, [70.0, 60.0, 55.0])])
check("a single run recurs with itself", [t for t, _ in film_fps.recurring_late(runs[:1], 33.3)],
      [3010, 6000, 9000])

for failure in failures:
    print("film-fps arithmetic:", failure)
print("%d passed, %d failed" % (checks - len(failures), len(failures)))
sys.exit(1 if failures else 0)
