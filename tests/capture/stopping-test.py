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

# The wrapper: logs what each ffmpeg is for ("part N", "join", "version",
# "check" of the music) and
# which descriptors it inherited beyond 0..2, then plays the role that
# FAKE_<ROLE> names, or execs the real ffmpeg.
WRAPPER = r'''#!/usr/bin/env python3
import os, select, sys
args = sys.argv[1:]
if "concat" in args: role = "join"
elif "nut" in args: role = "part " + os.path.basename(args[-1])
elif "-version" in args: role = "version"
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
if play == "broken":  # an ffmpeg that cannot run at all (a missing library)
    sys.stderr.write("fake: error while loading shared libraries\n"); sys.exit(3)
if play == "hang":  # never ends by itself
    while True: select.select([], [], [])
if play == "hold":  # waits for the test's go-ahead, then is the real ffmpeg
    while not os.path.exists(os.environ["FAKE_GO"]): select.select([], [], [], 0.02)
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
        self.go = os.path.join(self.dir, "go")
        self.env = dict(os.environ, PATH=bin_dir + ":" + os.environ["PATH"],
                        FAKE_LOG=self.log, REAL_FFMPEG=REAL_FFMPEG, FAKE_GO=self.go)
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

# Failures found before anything is rendered, or when ffmpeg fails quietly:
# bad options end with status 2, failures with 1, each saying what failed.
SHORT = ["--size", "32x24", "--fps", "10", "--from", "62000", "--to", "62300",
         "--music", "music.mp3"]
cases = [
    # name, arguments, fake roles, exit status, what stderr must say, must not say
    ("the output is a folder", SHORT + ["--out", "taken.mp4"], {}, 1, "folder", None),
    ("ffmpeg rejects the music", SHORT + ["--out", "m.mp4"], {"check": "reject"}, 1,
     "cannot read the music music.mp3 (ffmpeg exits with status 1)", None),
    ("a broken ffmpeg", SHORT + ["--out", "m.mp4"], {"version": "broken"}, 1,
     "ffmpeg does not run: ffmpeg exits with status 3", "music"),
    ("--from the film's end", ["--size", "32x24", "--from", "110000", "--out", "seq/"], {}, 2,
     "no frame", None),
    ("--countdown past the leader's clock", ["--countdown", "4294967296", "--out", "c.png"], {},
     2, "0..4294967295", "or more"),
]
for name, args, fake, expected, says, never in cases:
    r = Run(name)
    os.mkdir(os.path.join(r.dir, "taken.mp4"))
    status = r.run(*args, **fake)
    check(status == expected and says in r.stderr() and not (never and never in r.stderr()),
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

# The capture's endings, over an empty output and over an older finished
# file: that file's bytes never change; Ctrl-C keeps the frames rendered
# (beside an older file as film.partial.mp4) and says truly where they are;
# no ending leaves an ffmpeg running, and the next run to the same output
# leaves no parts folder (SIGKILL's included).
OLDER = b"an older, finished video"
BY_PARTS = ["--size", "64x48", "--fps", "10", "--jobs", "1", "--out", "film.mp4"]
JOINED = SHORT + ["--out", "film.mp4"]
ENDINGS = [
    # name, arguments, fake roles, the log line to wait for, how many, the signal, status
    ("Ctrl-C before the first frame", BY_PARTS, {"version": "hold"}, "version", 1,
     signal.SIGINT, 130),
    ("Ctrl-C after some frames", BY_PARTS, {}, "part", 2, signal.SIGINT, 130),
    ("SIGTERM", BY_PARTS, {}, "part", 2, signal.SIGTERM, -signal.SIGTERM),
    ("SIGKILL", BY_PARTS, {}, "part", 2, signal.SIGKILL, -signal.SIGKILL),
    ("SIGKILL in the join", JOINED, {"join": "hang"}, "join", 1, signal.SIGKILL,
     -signal.SIGKILL),
    ("a failed join", JOINED, {"join": "garbage"}, None, 0, None, 1),
]


def frames_in(path):
    text = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                           "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", path],
                          capture_output=True, text=True).stdout.strip()
    return int(text) if text.isdigit() else 0


for older in (False, True):
    for ending, args, fake, line, count, sig, expected in ENDINGS:
        name = "%s, %s" % (ending, "over an older file" if older else "no older file")
        r = Run(name)
        out = os.path.join(r.dir, "film.mp4")
        partial = os.path.join(r.dir, "film.partial.mp4")
        if older:
            with open(out, "wb") as f:
                f.write(OLDER)
        p = r.start(*args, **fake)
        if sig is not None:
            if not wait_for(lambda: len(r.lines(line)) >= count, 60):
                check(False, "%s: the capture got under way" % name)
                r.close()
                continue
            p.send_signal(sig)
            open(r.go, "w").close()
        status = r.finish(60)
        message = r.stderr().strip()
        check(status == expected, "%s: status %s" % (name, status))
        check(wait_for(lambda: not r.left_running(), 5), "%s: no ffmpeg left running" % name)
        if older:
            check(open(out, "rb").read() == OLDER, "%s: the older file is untouched" % name)
        kept = (partial if older else out) if ending == "Ctrl-C after some frames" else None
        if kept:
            # Every part is 1 s of film or more: the first one is whole.
            frames = frames_in(kept)
            check(frames >= 10, "%s: %s holds %d frames" % (name, os.path.basename(kept), frames))
            check(os.path.basename(kept) + " holds the frames" in message,
                  "%s: the message names it: %s" % (name, message))
        else:
            check(not os.path.exists(partial) and (older or not os.path.exists(out)),
                  "%s: no video written" % name)
        if ending == "Ctrl-C before the first frame":
            check("no frame was rendered" in message and "holds" not in message,
                  "%s: says no frame was rendered: %s" % (name, message))
        if ending == "a failed join":
            check("ffmpeg exits with status 1" in message, "%s: says why: %s" % (name, message))
        # Only SIGKILL leaves its parts folder, for the next run to remove.
        check(bool(r.parts_folders()) == (sig == signal.SIGKILL),
              "%s: parts folders left: %s" % (name, r.parts_folders()))
        status = r.run(*SHORT, "--out", "film.mp4")
        check(status == 0 and not r.parts_folders(),
              "%s: the next run leaves no parts folder (status %s, %s)" %
              (name, status, r.parts_folders()))
        r.close()

# A run removes the parts folders of its output whose owner is gone, and
# keeps those of a capture still running and of other outputs.
r = Run("parts folders of gone and running captures")
running = subprocess.Popen(["sleep", "120"])
gone = subprocess.Popen(["true"])
gone.wait()
folders = {"film.mp4.parts-%d-aaaaaa" % running.pid: True,
           "film.mp4.parts-%d-bbbbbb" % gone.pid: False,
           "other.mp4.parts-%d-cccccc" % gone.pid: True}
for folder in folders:
    os.makedirs(os.path.join(r.dir, folder, "sub"))
status = r.run(*SHORT, "--out", "film.mp4")
for folder, stays in folders.items():
    check(os.path.isdir(os.path.join(r.dir, folder)) == stays,
          "%s %s (status %s)" % (folder, "stays" if stays else "is removed", status))
running.kill()
running.wait()
r.close()


def read_only(path, on):
    """Makes a folder read-only (for root too: immutable); False when the
    file system cannot."""
    if os.geteuid() != 0:
        os.chmod(path, 0o555 if on else 0o755)
        return True
    return subprocess.run(["chattr", "+i" if on else "-i", path],
                          stderr=subprocess.DEVNULL).returncode == 0


# A read-only output folder: from the start, nothing is made there and the
# message says so; made read-only before the parts folder, the message says
# where it could not be made; made read-only during the join, the folder
# that cannot be removed is named, and the next run removes it.
r = Run("a read-only output folder")
ro = os.path.join(r.dir, "ro")
os.mkdir(ro)
if read_only(ro, True):
    status = r.run(*SHORT, "--out", "ro/film.mp4")
    check(status == 1 and "cannot write ro/film.mp4" in r.stderr() and not os.listdir(ro),
          "read-only from the start: status %s, nothing left: %s" % (status, r.stderr().strip()))
    read_only(ro, False)
    for role, says in (("version", "cannot make its parts folder in " + ro),
                       ("join", "cannot remove the parts folder " + ro)):
        open(r.log, "w").close()
        if os.path.exists(r.go):
            os.remove(r.go)
        p = r.start(*SHORT, "--out", "ro/film.mp4", **{role: "hold"})
        if not wait_for(lambda: r.lines(role), 60):
            check(False, "read-only from the %s on: the capture got under way" % role)
            continue
        read_only(ro, True)
        open(r.go, "w").close()
        status = r.finish(60)
        left = os.listdir(ro)
        read_only(ro, False)
        check(status == 1 and says in r.stderr() and all(n in r.stderr() for n in left),
              "read-only from the %s on: status %s, says where (%s left): %s" %
              (role, status, left, r.stderr().strip()))
    status = r.run(*SHORT, "--out", "ro/film.mp4")
    check(status == 0 and os.listdir(ro) == ["film.mp4"],
          "the next run removes what was left (status %s, %s)" % (status, os.listdir(ro)))
else:
    print("skip read-only folders: this file system has no immutable folders")
read_only(ro, False)
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
