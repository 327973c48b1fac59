#!/usr/bin/env python3
"""The run set of scripts/deps is enough to build and run the programs.

Every file outside the tree that the build of the demo and the capture tool
read (headers, from the compiler's dependency files; shared libraries, from
the link lines) and every tool the build and the programs call must belong
to a package of the run set, to one of its dependencies, or to the base
system (Essential or Priority required). So a test package that the
programs' build came to need is caught here, though the test machine has it.

Usage: run-set-test.py BUILD_DIR
"""
import glob
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, "..", ".."))
# What the programs' build and the programs themselves run.
TOOLS = ["cmake", "c++", "cc", "ld", "ar", "make", "pkg-config", "fltk-config", "gzip", "ffmpeg",
         "dpkg-shlibdeps", "file"]
# The folders of targets that are not part of the programs.
NOT_PROGRAMS = re.compile(r"(^|/)(tests|bench)/|test_support")
PROGRAMS = ["CMakeFiles/quillmoor.dir", "tools/capture/CMakeFiles/quillmoor-capture.dir",
            "tools/music/CMakeFiles/quillmoor-music.dir"]


def run(*args):
    return subprocess.run(args, capture_output=True, text=True).stdout


def headers(build):
    found = set()
    for depfile in glob.glob(os.path.join(build, "**", "*.o.d"), recursive=True):
        if NOT_PROGRAMS.search(os.path.relpath(depfile, build)):
            continue
        with open(depfile) as f:
            for word in f.read().replace("\\\n", " ").split():
                if word.startswith("/") and not word.startswith((SOURCE + "/", build + "/")):
                    found.add(word)
    return found


def libraries(build):
    found = set()
    for program in PROGRAMS:
        with open(os.path.join(build, program, "link.txt")) as f:
            for word in f.read().split():
                if word.startswith("/") and ".so" in word:
                    found.add(word)
                elif word.startswith("-l"):
                    found.add(run("c++", "-print-file-name=lib%s.so" % word[2:]).strip())
    return found


def dpkg_search(paths):
    """{path: package} for the paths dpkg knows, in one call."""
    out = subprocess.run(["dpkg", "-S", *paths], capture_output=True, text=True).stdout
    found = {}
    for line in out.splitlines():
        packages, _, path = line.partition(": ")
        found[path] = packages.split(",")[0].split(":")[0].strip()
    return found


def owners(paths):
    """Package of each path: dpkg knows some by their real name, some by the
    name without /usr (the merged /usr of Debian 12)."""
    owned, unknown = {}, []
    rest = sorted(paths)
    for name in (lambda p: p, os.path.realpath, lambda p: re.sub(r"^/usr/", "/", os.path.realpath(p))):
        if not rest:
            break
        wanted = {name(p): p for p in rest}
        found = dpkg_search(sorted(wanted))
        owned.update({wanted[n]: pkg for n, pkg in found.items() if n in wanted})
        rest = [p for p in rest if p not in owned]
    unknown = rest
    return owned, unknown


def installed_packages():
    """{package: (its dependencies as lists of alternatives, is base)} and
    {virtual name: packages providing it}, from dpkg's own records."""
    fields = "${Package}\t${Depends}, ${Pre-Depends}\t${Provides}\t${Essential} ${Priority}\n"
    out = run("dpkg-query", "-W", "-f", fields)
    packages, provides = {}, {}
    for line in out.splitlines():
        name, depends, provided, base = line.split("\t")
        alternatives = [[a.split()[0].split(":")[0] for a in group.split("|") if a.strip()]
                        for group in depends.split(",") if group.strip()]
        packages[name] = (alternatives, base.startswith("yes") or base.endswith("required"))
        for virtual in provided.split(","):
            if virtual.strip():
                provides.setdefault(virtual.split()[0], []).append(name)
    return packages, provides


def run_set_closure():
    """The run set with everything it pulls in as installed here (the first
    installed alternative of each dependency), and the base system."""
    names = run(os.path.join(SOURCE, "scripts", "deps"), "--list", "run").split()
    packages, provides = installed_packages()
    closure = set()
    todo = list(names) + [name for name, (_, base) in packages.items() if base]
    while todo:
        name = todo.pop()
        if name in closure or name not in packages:
            continue
        closure.add(name)
        for group in packages[name][0]:
            for alternative in group:
                chosen = [alternative] if alternative in packages else provides.get(alternative, [])
                if chosen:
                    todo.extend(chosen)
                    break
    return names, closure


def main():
    build = os.path.abspath(sys.argv[1])
    paths = headers(build) | libraries(build)
    missing_tools = [t for t in TOOLS if not shutil.which(t)]
    paths |= {shutil.which(t) for t in TOOLS if shutil.which(t)}
    if len(paths) < 100 or missing_tools:
        sys.exit("FAIL: only %d files read by the build; tools not found: %s" %
                 (len(paths), missing_tools))
    owned, unknown = owners(paths)
    names, closure = run_set_closure()
    if not set(names) <= closure:
        sys.exit("FAIL: run packages not installed: %s (scripts/deps run installs them)" %
                 " ".join(sorted(set(names) - closure)))
    outside = sorted({"%s (%s)" % (pkg, path) for path, pkg in owned.items() if pkg not in closure})
    if unknown:
        print("FAIL: files of no package:\n  " + "\n  ".join(unknown))
    if outside:
        print("FAIL: the programs need packages outside the run set (%s):\n  %s" %
              (" ".join(names), "\n  ".join(outside)))
    if unknown or outside:
        sys.exit(1)
    print("run set: %d packages (%d with their dependencies) hold the %d files the programs' "
          "build reads" % (len(names), len(closure), len(paths)))


if __name__ == "__main__":
    main()
