#!/usr/bin/env bash
# Profiles the X11 desktop: plays one autopilot game on a private Xvfb and prints, for each
# phase of the game (title, play, boss, clear, staff, ending), the CPU share of one core taken
# by the game and by the X server, the X requests per 50 ms frame by kind (from an X protocol
# trace taken with xtrace in a second game), the gaps between frames from the game's own
# trace, and the gaps between the game's steps as the X server saw them (the clear, the staff
# roll and the ending step outside the frame loop and write no frame records).
#
#   scripts/profile-x11.sh [--exe PROGRAM] [--ending SECONDS] [--no-requests]
#
# PROGRAM defaults to build/default/petalwing; the ending is watched for 15 s. The game plays
# with real randomness, so two runs differ a little; on a busy machine the CPU figures and the
# frame gaps suffer first.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xtrace >/dev/null || need+=(xtrace)
command -v python3 >/dev/null || need+=(python3)
if ((${#need[@]})); then
    if [[ $(id -u) -ne 0 ]]; then
        echo "profile-x11: please install ${need[*]}" >&2
        exit 1
    fi
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

exec python3 - "$@" <<'PY'
import argparse, glob, json, os, re, shutil, signal, statistics, subprocess, sys, tempfile, time

PHASES = ["title", "play", "boss", "clear", "staff", "ending"]
FRAME_S = 0.050

ap = argparse.ArgumentParser(prog="profile-x11.sh")
ap.add_argument("--exe", default="build/default/petalwing")
ap.add_argument("--ending", type=float, default=15.0, help="seconds of the ending to watch")
ap.add_argument("--no-requests", action="store_true", help="skip the X protocol trace")
args = ap.parse_args()
exe = os.path.abspath(args.exe)
if not os.access(exe, os.X_OK):
    sys.exit(f"profile-x11: no program at {exe} (build it first)")
work = tempfile.mkdtemp(prefix="petalwing-profile-")


def cpu_ns(pid):
    """CPU time of every thread of a process, in nanoseconds."""
    total = 0
    for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total


def free_display(start):
    n = start
    while os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
        n += 1
    return n


def start_xvfb():
    r, w = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    number = b""
    while not number.endswith(b"\n"):
        c = os.read(r, 1)
        if not c:
            sys.exit("profile-x11: Xvfb did not start")
        number += c
    os.close(r)
    return server, int(number)


def play(display, server, trace):
    """Plays one game; returns the phases as (name, start, end) with the CPU used in each."""
    env = dict(os.environ, DISPLAY=f":{display}")
    env.pop("WAYLAND_DISPLAY", None)
    game = subprocess.Popen([exe, "--autopilot", "--trace", trace, "--until", "600000"], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    marks = []  # (phase, monotonic s, game ns, server ns)
    ending_at = None
    pending = ""
    reader = None
    while game.poll() is None:
        time.sleep(0.02)
        if reader is None:
            try:
                reader = open(trace)
            except OSError:
                continue
        pending += reader.read()
        *lines, pending = pending.split("\n")  # the last piece may be half written
        for line in lines:
            if '"ev":"phase"' in line:
                phase = json.loads(line)["phase"]
                marks.append((phase, time.monotonic(), cpu_ns(game.pid), cpu_ns(server.pid)))
                if phase == "ending":
                    ending_at = time.monotonic()
        if ending_at and time.monotonic() - ending_at >= args.ending:
            break
    marks.append(("end", time.monotonic(), cpu_ns(game.pid), cpu_ns(server.pid)))
    game.send_signal(signal.SIGTERM)
    game.wait()
    if reader:
        reader.close()
    phases = []
    for (name, t0, g0, x0), (_, t1, g1, x1) in zip(marks, marks[1:]):
        phases.append({"phase": name, "start": t0, "end": t1, "game": g1 - g0, "server": x1 - x0})
    return phases


def frame_gaps(trace):
    """Gaps between successive frame records, by the phase they fall in."""
    gaps = {}
    phase, last = None, None
    with open(trace) as f:
        for line in f:
            r = json.loads(line)
            if r["ev"] == "phase":
                phase, last = r["phase"], None
            elif r["ev"] == "frame":
                if last is not None:
                    gaps.setdefault(phase, []).append(r["t"] - last)
                last = r["t"]
    return gaps


def totals(phases):
    out = {}
    for p in phases:
        o = out.setdefault(p["phase"], {"secs": 0.0, "game": 0, "server": 0})
        o["secs"] += p["end"] - p["start"]
        o["game"] += p["game"]
        o["server"] += p["server"]
    return out


REQUEST = re.compile(r"^(\d+\.\d+) \d+:<:[0-9a-f]+: *\d+: (?:([\w-]+)-)?Request\(\d+(?:,\d+)?\): (\w+)")


def requests(phases, log):
    """X requests per 50 ms frame by kind, and the times they came, for each phase."""
    counts, times = {}, {}
    spans = [(p["start"], p["end"], p["phase"]) for p in phases]
    with open(log, errors="replace") as f:
        for line in f:
            m = REQUEST.match(line)
            if not m:
                continue
            t = float(m.group(1))
            kind = (m.group(2) + " " if m.group(2) else "") + m.group(3)
            for start, end, phase in spans:
                if start <= t < end:
                    c = counts.setdefault(phase, {})
                    c[kind] = c.get(kind, 0) + 1
                    times.setdefault(phase, []).append(t)
                    break
    return counts, times


def step_gaps(times):
    """Gaps in ms between the game's steps, seen as bursts of requests: a step's requests leave
    together when it sleeps, so a quiet spell of 15 ms or more ends a burst."""
    starts, last = [], None
    for t in sorted(times):
        if last is None or t - last >= 0.015:
            starts.append(t)
        last = t
    return [round((b - a) * 1000) for a, b in zip(starts, starts[1:])]


def gap_text(g, pause_ms=None):
    """median / p99 / max (count); with pause_ms, longer gaps are the flow's own waits (the
    balloons' second, the blinking, the boss's arrival) and are only counted."""
    limit = pause_ms or float("inf")
    pauses = [x for x in g or [] if x >= limit]
    g = sorted(x for x in g or [] if x < limit)
    if not g:
        return "-"
    p99 = g[min(len(g) - 1, int(round(0.99 * (len(g) - 1))))]
    text = f"{statistics.median(g):g} / {p99} / {g[-1]}  ({len(g)})"
    if pauses:
        text += f" + {len(pauses)} waits of {min(pauses) / 1000:.1f}-{max(pauses) / 1000:.1f} s"
    return text


server, display = start_xvfb()
try:
    trace = os.path.join(work, "trace.jsonl")
    measured = totals(play(display, server, trace))
    gaps = frame_gaps(trace)
    counted, steps = {}, {}
    if not args.no_requests:
        fake = free_display(display + 1)
        log = os.path.join(work, "xtrace.txt")
        proxy = subprocess.Popen(
            ["xtrace", "-d", f":{display}", "-D", f":{fake}", "-n", "-k", "-b",
             "--monotonic-timestamps", "-o", log],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{fake}"):
                break
            time.sleep(0.05)
        try:
            phases = play(fake, server, os.path.join(work, "trace-counted.jsonl"))
        finally:
            proxy.terminate()
            proxy.wait()
        counted_secs = totals(phases)
        kinds_by_phase, times_by_phase = requests(phases, log)
        for phase, kinds in kinds_by_phase.items():
            frames = counted_secs[phase]["secs"] / FRAME_S
            counted[phase] = {k: v / frames for k, v in kinds.items()}
            steps[phase] = step_gaps(times_by_phase[phase])
finally:
    server.terminate()
    server.wait()
    shutil.rmtree(work, ignore_errors=True)

print(f"petalwing on Xvfb 1024x768, autopilot, {os.path.basename(exe)}")
print("phase    secs  game %core  X %core  X req/frame  frame gaps ms        step gaps ms")
print("                                                   (median/p99/max)     (from X requests)")
for phase in PHASES:
    if phase not in measured:
        continue
    m = measured[phase]
    share = lambda ns: f"{100 * ns / 1e9 / m['secs']:.2f}" if m["secs"] > 0 else "-"
    req = f"{sum(counted[phase].values()):.1f}" if phase in counted else "-"
    # The title waits for a key: its requests come when something changes, not every step.
    step = gap_text(steps.get(phase), pause_ms=190) if phase != "title" else "-"
    print(f"{phase:<7} {m['secs']:5.1f}  {share(m['game']):>10}  {share(m['server']):>7}  {req:>11}"
          f"  {gap_text(gaps.get(phase)):<20} {step}")
if counted:
    print("\nX requests per frame by kind (at least 0.05 a frame):")
    for phase in PHASES:
        if phase not in counted:
            continue
        kinds = sorted(counted[phase].items(), key=lambda kv: -kv[1])
        shown = ", ".join(f"{v:.2f} {k}" for k, v in kinds if v >= 0.05)
        print(f"  {phase:<7} {shown or '(none)'}")
PY
