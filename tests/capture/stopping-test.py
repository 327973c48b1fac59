#!/usr/bin/env python3
"""The capture tool stopped by signals and failing, run as a user runs it:
the real tool, the real ffmpeg (behind a thin logging wrapper on PATH that
can also play a broken ffmpeg), every wait with a deadline.

Usage: stopping-test.py BUILD_DIR"""
import array
import fcntl
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import termios
import time

BUILD = os.path.abspath(sys.argv[1])
CAPTURE = os.path.join(BUILD, "quillmoor-capture")
REAL_FFMPEG = shutil.which("ffmpeg")
if not REAL_FFMPEG or not shutil.which("ffprobe"):
    print("no ffmpeg")
    sys.exit(77)

# The wrapper: logs what each ffmpeg is for ("part N", "join", "check") and
# which descriptors it inherited beyond 0..2, then plays the role that
# FAKE_<ROLE> names, or execs the real ffmpeg.
WRAPPER = r'''#!/usr/bin/env python3
import os, select, sys
args = sys.argv[1:]
if "concat" in args: role = "join"
elif "nut" in args: role = "part " + os.path.basename(args[-1])
else: role = "check"
extra = []
for fd in os.listdir("/proc/self/fd"):
    try:
        if int(fd) > 2 and os.readlink("/proc/self/fd/" + fd).startswith("pipe:"): extra.append(fd)
    except OSError:
        pass
with open(os.environ["FAKE_LOG"], "a") as log:
    log.write("%s %d pipes=%d\n" % (role, os.getpid(), len(extra)))
play = os.environ.get("FAKE_" + role.split()[0].upper(), "")
if play == "stall":  # reads nothing; ends when the writer closes its pipe
    p = select.poll(); p.register(0, select.POLLHUP)
    while not any(e & select.POLLHUP for _, e in p.poll()): pass
    sys.exit(0)
if play == "garbage":  # a broken file at its output, then a failure
    open(args[-1], "wb").write(b"not a video")
    sys.stderr.write("fake: No space left on device\n"); sys.exit(1)
if play == "nothing":  # takes every frame, writes nothing, succeeds
    while os.read(0, 1 << 16): pass
    sys.exit(0)
if play == "reject":
    sys.stderr.write("fake: Invalid data found when processing input\n"); sys.exit(1)
os.execv(os.environ["REAL_FFMPEG"], ["ffmpeg"] + args)
'''

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.02)
    return condition()


def input_pipe_full(pid):
    """The pipe on process pid's standard input holds as much as it can: its
    writer now waits for room."""
    try:
        fd = os.open("/proc/%s/fd/0" % pid, os.O_RDONLY | os.O_NONBLOCK)
    except OSError:
        return False
    try:
        size = fcntl.fcntl(fd, 1032)  # F_GETPIPE_SZ
        queued = array.array("i", [0])
        fcntl.ioctl(fd, termios.FIONREAD, queued)
        return queued[0] >= size
    except OSError:
        return False
    finally:
        os.close(fd)


def running_in(folder):
    """Processes (not zombies) working in folder: the capture, its renderers
    and their ffmpegs."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            cwd = os.readlink("/proc/%s/cwd" % pid)
            with open("/proc/%s/stat" % pid) as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if cwd == folder and state != "Z":
            found.append(int(pid))
    return found


class Run:
    def __init__(self, name):
        self.dir = tempfile.mkdtemp(prefix="qm-stop-")
        self.log = os.path.join(self.dir, "ffmpeg.log")
        bin_dir = os.path.join(self.dir, "bin")
        os.mkdir(bin_dir)
        wrapper = os.path.join(bin_dir, "ffmpeg")
        with open(wrapper, "w") as f:
            f.write(WRAPPER)
        os.chmod(wrapper, stat.S_IRWXU)
        open(self.log, "w").close()
        # A second of music: decoding the bundled track would take most of a
        # short run.
        subprocess.run([REAL_FFMPEG, "-v", "error", "-f", "lavfi", "-i", "sine=duration=1",
                        os.path.join(self.dir, "music.mp3")], check=True)
        self.env = dict(os.environ, PATH=bin_dir + ":" + os.environ["PATH"],
                        FAKE_LOG=self.log, REAL_FFMPEG=REAL_FFMPEG)
        print("--", name, flush=True)

    def start(self, *args, **fake):
        env = dict(self.env, **{"FAKE_" + k.upper(): v for k, v in fake.items()})
        self.err = open(os.path.join(self.dir, "stderr"), "w+")
        self.proc = subprocess.Popen([CAPTURE] + list(args), cwd=self.dir, env=env,
                                     stdout=subprocess.DEVNULL, stderr=self.err)
        return self.proc

    def run(self, *args, **fake):
        self.start(*args, **fake)
        return self.finish(120)

    def finish(self, seconds):
        try:
            self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            return None
        return self.proc.returncode

    def stderr(self):
        self.err.seek(0)
        return self.err.read()

    def lines(self, start):
        with open(self.log) as f:
            return [l.split() for l in f if l.startswith(start)]

    def parts_folders(self):
        return [n for n in os.listdir(self.dir) if ".parts-" in n]

    def left_running(self):
        return running_in(self.dir)

    def close(self):
        for pid in self.left_running():
            os.kill(pid, signal.SIGKILL)
        shutil.rmtree(self.dir, ignore_errors=True)


LONG = ["--size", "64x48", "--fps", "30", "--jobs", "2", "--out", "film.mp4"]

# SIGTERM and SIGHUP: the capture, both renderers and their ffmpegs end within
# a second, the parts folder with them; SIGKILL: the renderers and ffmpegs
# end within a second all the same.
for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGKILL):
    r = Run("%s to a 2-job capture" % sig.name)
    p = r.start(*LONG)
    started = wait_for(lambda: len(r.lines("part")) >= 2, 60)
    check(started, "%s: two parts under way" % sig.name)
    if started:
        p.send_signal(sig)
        t0 = time.monotonic()
        status = r.finish(5)
        ended = wait_for(lambda: not r.left_running(), 5)
        took = time.monotonic() - t0
        print("     ended after %.2f s" % took)
        check(status == -sig, "%s: the capture ends by the signal (status %s)" % (sig.name, status))
        check(ended and took < 1.5, "%s: nothing left running after %.2f s" % (sig.name, took))
        if sig != signal.SIGKILL:
            check(not r.parts_folders(), "%s: no parts folder left" % sig.name)
        check(not os.path.exists(os.path.join(r.dir, "film.mp4")), "%s: no video" % sig.name)
    r.close()

# A renderer killed from outside: the capture fails at once, naming it.
r = Run("a renderer killed mid-capture")
p = r.start(*LONG)
if wait_for(lambda: len(r.lines("part")) >= 2, 60):
    renderers = [pid for pid in r.left_running()
                 if pid != p.pid and open("/proc/%d/comm" % pid).read().startswith("quillmoor")]
    check(len(renderers) == 2, "two renderer processes (%d)" % len(renderers))
    os.kill(renderers[-1], signal.SIGKILL)
    t0 = time.monotonic()
    status = r.finish(10)
    took = time.monotonic() - t0
    check(status == 1 and "renderer" in r.stderr(),
          "fails within %.2f s with status %s: %s" % (took, status, r.stderr().strip()[-120:]))
    # Failing at once, not at the film's end: a loaded 2-core machine can
    # take seconds to tear down a renderer and its ffmpeg.
    check(took < 8 and wait_for(lambda: not r.left_running(), 5), "nothing left running")
r.close()

# Ctrl-C with two jobs: the parts go out in film order, so once the fourth
# part has started the first two are finished, and the interrupted video
# holds at least their frames (every part is 1 s of film or more).
r = Run("Ctrl-C to a 2-job capture")
p = r.start("--size", "64x48", "--fps", "10", "--jobs", "2", "--out", "film.mkv")
if wait_for(lambda: len(r.lines("part")) >= 4, 60):
    p.send_signal(signal.SIGINT)
    status = r.finish(60)
    check(status == 130, "interrupted with status 130 (%s)" % status)
    out = os.path.join(r.dir, "film.mkv")
    frames = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                             "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", out],
                            capture_output=True, text=True).stdout.strip()
    started = [l[1] for l in r.lines("part")]
    check(frames.isdigit() and int(frames) >= 20,
          "the video keeps the first parts: %s frames (parts started: %s)" % (frames, started))
r.close()

# Ctrl-C while ffmpeg reads nothing: the capture stops writing within about a
# second, closes the pipe and ends; nothing is left running.
r = Run("Ctrl-C while ffmpeg takes no frames")
p = r.start("--size", "320x240", "--fps", "30", "--out", "film.mp4", part="stall")
if wait_for(lambda: len(r.lines("part")) >= 1, 60):
    # The frames fill the pipe: the capture now waits on ffmpeg.
    stalled = r.lines("part")[0][2]
    check(wait_for(lambda: input_pipe_full(stalled), 60), "the frames fill the stalled pipe")
    p.send_signal(signal.SIGINT)
    status = r.finish(10)
    check(status is not None and status != 0, "ends after Ctrl-C (status %s)" % status)
    check(wait_for(lambda: not r.left_running(), 3), "no ffmpeg left running")
r.close()

# Failures found before anything is rendered, or when ffmpeg fails quietly.
SHORT = ["--size", "32x24", "--fps", "10", "--from", "62000", "--to", "62300",
         "--music", "music.mp3"]
cases = [
    # name, arguments, fake roles, what stderr must say
    ("the output is a folder", SHORT + ["--out", "taken.mp4"], {}, "folder"),
    ("ffmpeg rejects the music", SHORT + ["--out", "m.mp4"], {"check": "reject"}, "music"),
    ("--from the film's end", ["--size", "32x24", "--from", "110000", "--out", "seq/"], {},
     "no frame"),
]
for name, args, fake, says in cases:
    r = Run(name)
    os.mkdir(os.path.join(r.dir, "taken.mp4"))
    status = r.run(*args, **fake)
    check(status == 1 and says in r.stderr(),
          "%s: status %s, says %r: %s" % (name, status, says, r.stderr().strip()))
    check(not r.lines("part") and not os.path.exists(os.path.join(r.dir, "seq")),
          "%s: nothing rendered" % name)
    r.close()

for name, fake in [("a part's ffmpeg writes nothing and exits 0", {"part": "nothing"}),
                   ("the join's ffmpeg writes nothing and exits 0", {"join": "nothing"})]:
    r = Run(name)
    status = r.run(*SHORT, "--out", os.path.join(r.dir, "v.mp4"), **fake)
    check(status == 1, "%s: status %s: %s" % (name, status, r.stderr().strip()))
    r.close()

# A failed join leaves an older video at the output as it was.
r = Run("a join that fails over an existing video")
old = os.path.join(r.dir, "b.mp4")
with open(old, "wb") as f:
    f.write(b"an older, good video")
status = r.run(*SHORT, "--out", old, join="garbage")
check(status == 1, "the failed join fails (status %s)" % status)
check(open(old, "rb").read() == b"an older, good video", "the older video is untouched")
check(not r.parts_folders(), "no parts folder left")
r.close()

# No ffmpeg inherits one of the capture's own pipes.
r = Run("descriptors passed to ffmpeg")
status = r.run(*SHORT, "--to", "64000", "--jobs", "2", "--out", "v.webm")
leaks = [l for l in r.lines("") if l[-1] != "pipes=0"]
check(status == 0 and not leaks, "status %s, ffmpegs holding extra pipes: %s" % (status, leaks))
r.close()

# A symbolic link planted at an output path is replaced, not written through.
r = Run("symbolic links at the output paths")
victim = os.path.join(r.dir, "victim")
with open(victim, "w") as f:
    f.write("keep me")
os.mkdir(os.path.join(r.dir, "seq"))
os.symlink(victim, os.path.join(r.dir, "one.png"))
os.symlink(victim, os.path.join(r.dir, "seq", "frame-000000.png"))
for out in ("one.png", "seq/"):
    status = r.run(*SHORT, "--out", out)
    check(status == 0, "%s: status %s" % (out, status))
check(open(victim, "rb").read() == b"keep me", "the link's target is untouched")
for path in ("one.png", "seq/frame-000000.png"):
    full = os.path.join(r.dir, path)
    check(not os.path.islink(full) and open(full, "rb").read(4) == b"\x89PNG",
          "%s is now a PNG file of its own" % path)
r.close()

print("%d failed" % len(failures) if failures else "all passed")
sys.exit(1 if failures else 0)
