#!/usr/bin/env python3
"""Start-up of pelkomerge against two Linux peers, Meld and KDiff3, under Xvfb.

Measured, 7 launches each, median and spread (min-max):
  - cold start with no arguments until the first window is visible (pelkomerge: also until the
    start window's first paint, from its own log);
  - "pelkomerge a.txt b.txt" (and the peers with the same pair) until the compare window shows;
  - the hand-over: a second "pelkomerge c.txt d.txt" while one runs, until the new window shows;
  - each start-up step of pelkomerge, from its log.
Every launch gets a fresh home; pelkomerge's home has had its first run already, so no first-run
dialog appears. Not a CI test: it installs what it needs (xvfb, xdotool, meld, kdiff3).

Usage: bench/startup_bench.py [path/to/pelkomerge]   (default: build/release/pelkomerge)
"""
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 7
TIMEOUT = 30.0
PACKAGES = {"Xvfb": "xvfb", "xdotool": "xdotool", "meld": "meld", "kdiff3": "kdiff3"}


def ensure_tools():
    missing = [pkg for tool, pkg in PACKAGES.items() if shutil.which(tool) is None]
    if not missing:
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "update", "-q"], check=True, env=env)
    subprocess.run(sudo + ["apt-get", "install", "-y", "-q", "--no-install-recommends"] + missing,
                   check=True, env=env)


def start_display():
    for number in range(90, 120):
        if not os.path.exists(f"/tmp/.X{number}-lock"):
            display = f":{number}"
            server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                      start_new_session=True)
            time.sleep(1.0)
            if server.poll() is None:
                return server, display
    sys.exit("no free X display for Xvfb")


def visible_windows(display, wm_class):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", wm_class],
                         capture_output=True, text=True, env=dict(os.environ, DISPLAY=display))
    return set(out.stdout.split())


def wait_for_new_window(display, wm_class, before, started):
    while time.monotonic() - started < TIMEOUT:
        if visible_windows(display, wm_class) - before:
            return time.monotonic() - started
        time.sleep(0.005)
    return None


def fresh_home(template=None):
    home = tempfile.mkdtemp(prefix="pelko-bench-home-")
    if template:
        shutil.rmtree(home)
        shutil.copytree(template, home, symlinks=True)
    run = os.path.join(home, "run")
    os.makedirs(run, exist_ok=True)
    os.chmod(run, 0o700)
    return home


def environment(display, home):
    return dict(os.environ, DISPLAY=display, HOME=home, XDG_RUNTIME_DIR=os.path.join(home, "run"),
                XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_DATA_HOME=os.path.join(home, "data"),
                XDG_CACHE_HOME=os.path.join(home, "cache"), QT_QPA_PLATFORM="xcb",
                QT_LOGGING_RULES="pelko.shell.info=true", NO_AT_BRIDGE="1")


def stop(process):
    """Ends the process and whatever it started (each launch runs in its own session)."""
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def launch(display, command, wm_class, home):
    """Seconds until the command's first window is visible, and the process's log."""
    env = environment(display, home)
    before = visible_windows(display, wm_class)
    log = tempfile.TemporaryFile()
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=log,
                               start_new_session=True)
    elapsed = wait_for_new_window(display, wm_class, before, started)
    time.sleep(0.3)
    stop(process)
    log.seek(0)
    return elapsed, log.read().decode("utf-8", "replace")


def summary(values):
    values = [v for v in values if v is not None]
    if not values:
        return "no window", None
    med = statistics.median(values)
    return f"median {med * 1000:7.1f} ms, spread {min(values) * 1000:6.1f}-{max(values) * 1000:6.1f} ms", med


def pelko_template(display, app):
    """A home where pelkomerge has run once, so the first-run preferences stay away."""
    home = fresh_home()
    env = environment(display, home)
    process = subprocess.Popen([app], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    time.sleep(4.0)
    stop(process)
    shutil.rmtree(os.path.join(home, "run"), ignore_errors=True)
    return home


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    app = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(root, "build", "release", "pelkomerge")
    if not os.access(app, os.X_OK):
        sys.exit(f"{app} is not built (./run --version builds it)")
    ensure_tools()
    server, display = start_display()
    files = tempfile.mkdtemp(prefix="pelko-bench-files-")
    for name, lines in (("a.txt", 2000), ("b.txt", 2000), ("c.txt", 200), ("d.txt", 200)):
        with open(os.path.join(files, name), "w") as f:
            for i in range(lines):
                f.write(f"line {i} {'changed' if name in ('b.txt', 'd.txt') and i % 50 == 0 else 'same'}\n")
    a, b, c, d = (os.path.join(files, n) for n in ("a.txt", "b.txt", "c.txt", "d.txt"))
    template = pelko_template(display, app)
    peers = {
        "pelkomerge": ([app], [app, a, b], "pelkomerge"),
        "meld": (["meld"], ["meld", a, b], "meld"),
        "kdiff3": (["kdiff3"], ["kdiff3", a, b], "kdiff3"),
    }
    results = {}
    steps = {}
    paints = []
    try:
        for name, (alone, pair, wm_class) in peers.items():
            for label, command in (("cold start", alone), ("a.txt b.txt", pair)):
                times = []
                for _ in range(RUNS):
                    home = fresh_home(template if name == "pelkomerge" else None)
                    elapsed, log = launch(display, command, wm_class, home)
                    times.append(elapsed)
                    if name == "pelkomerge" and label == "cold start":
                        for step, ms in re.findall(r"Start-up step (.+?): (\d+) ms", log):
                            steps.setdefault(step, []).append(int(ms) / 1000)
                        painted = re.search(r"Window painted: MergeDocument at (\d+) ms", log)
                        paints.append(int(painted.group(1)) / 1000 if painted else None)
                    shutil.rmtree(home, ignore_errors=True)
                results[(name, label)] = times
        # The hand-over: a second start while one runs, until its window shows.
        handover = []
        for _ in range(RUNS):
            home = fresh_home(template)
            env = environment(display, home)
            first = subprocess.Popen([app, a, b], env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
            wait_for_new_window(display, "pelkomerge", set(), time.monotonic())
            time.sleep(0.5)
            before = visible_windows(display, "pelkomerge")
            started = time.monotonic()
            second = subprocess.run([app, c, d], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            elapsed = wait_for_new_window(display, "pelkomerge", before, started)
            handover.append(elapsed if second.returncode == 0 else None)
            stop(first)
            shutil.rmtree(home, ignore_errors=True)
    finally:
        stop(server)
        shutil.rmtree(files, ignore_errors=True)
        shutil.rmtree(template, ignore_errors=True)

    print(f"Start-up under Xvfb, {RUNS} launches each (first window visible):")
    for label in ("cold start", "a.txt b.txt"):
        print(f"  {label}:")
        medians = {}
        for name in peers:
            text, med = summary(results[(name, label)])
            medians[name] = med
            print(f"    {name:11s} {text}")
        ours = medians.get("pelkomerge")
        for peer in ("meld", "kdiff3"):
            if ours and medians.get(peer):
                print(f"    pelkomerge / {peer}: {ours / medians[peer]:.2f}")
    print("  start window's first paint (pelkomerge's own clock): " + summary(paints)[0])
    print("  hand-over (second start until its window shows):    " + summary(handover)[0])
    print("  start-up steps of pelkomerge (time since start):")
    for step, values in steps.items():
        print(f"    {step:16s} {summary(values)[0]}")


if __name__ == "__main__":
    main()
