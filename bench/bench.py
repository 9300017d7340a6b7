#!/usr/bin/python3
"""The program against its floor: a bare Qt Widgets window doing the same visible
job (bench/floor.cpp). Both are started in turn, round after round, on private X
servers with a private session bus, and measured from X events and /proc.

Usage: bench.py PROGRAM FLOOR OUTDIR
Environment: ROUNDS (5), IDLE seconds of each idle figure (10), KEYS per round (8),
CLICKS on the tray icon per round (3).

Prints one table and writes it to OUTDIR/table.txt, every sample to OUTDIR/raw.tsv.
A benchmark, not a test: it fails only when something could not be measured."""
import collections, ctypes, datetime, os, platform, select, shutil, signal, statistics, subprocess, sys, tempfile, time
from Xlib import X, XK, display
from Xlib.ext import damage, xtest

ROUNDS = int(os.environ.get('ROUNDS') or 5)
IDLE = float(os.environ.get('IDLE') or 10)
KEYS = int(os.environ.get('KEYS') or 8)
CLICKS = int(os.environ.get('CLICKS') or 3)
QUIET = 0.3        # a frame has settled when nothing redraws for this long
MEMORY_AT = 2.0    # seconds after the map
CLICK_GAP = 0.7    # two tray clicks closer than this could make a double click
KEY_GAP = 0.1      # between one key's release and the next key
TITLE = 'Mochiten V2'  # both windows' title until a digit is typed
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIBC = ctypes.CDLL(None)
TICK_MS = 1000 / os.sysconf('SC_CLK_TCK')

FIGURES = [  # key, row caption, unit, decimals
    ('map', 'exec → calculator mapped', 'ms', 1),
    ('frame', 'exec → first settled frame', 'ms', 1),
    ('rss', f'RSS {MEMORY_AT:g} s after the map', 'MiB', 1),
    ('pss', f'PSS {MEMORY_AT:g} s after the map ¹', 'MiB', 1),
    ('anon', 'anonymous memory (heap, stacks) then', 'MiB', 1),
    ('cpu_hidden', f'CPU time over {IDLE:g} s hidden ²', 'ms', 0),
    ('cpu_focused', f'CPU time over {IDLE:g} s focused', 'ms', 0),
    ('switches_hidden', f'context switches, {IDLE:g} s hidden ² ³', '', 0),
    ('switches_focused', f'context switches, {IDLE:g} s focused ³', '', 0),
    ('key', 'key press → title changed', 'ms', 2),
    ('tray', 'tray click → calculator mapped ⁴', 'ms', 1),
]
NOTES = [
    "¹ each page shared by n processes counts 1/n, other Qt programs running on the machine included: it moves with them",
    "² the program hidden in icewm's tray by Escape; the floor, which has no tray, unmapped by Escape on the bare server",
    '³ voluntary and involuntary, all threads: every wake-up of an idle process counts one at least',
    '⁴ the program alone, under icewm, until its window is viewable in its frame; the floor has no tray',
    "median of the rounds (min–max of the rounds); a round's figure is the median of its samples;",
    "ratio: median of the rounds' program/floor ratios. Times from exec are taken just before the fork.",
]
SERVERS = []  # Xvfb, icewm and the bus, ended last


class Unmeasured(Exception):
    pass


def server(args, env, **kw):
    # PR_SET_PDEATHSIG: should this script be killed, what it started goes with it.
    p = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         preexec_fn=lambda: LIBC.prctl(1, signal.SIGTERM), **kw)
    SERVERS.append(p)
    return p


def stop(p):
    if p.poll() is None:
        p.terminate()
        try:
            p.wait(5)
        except subprocess.TimeoutExpired:
            p.kill(), p.wait()


def read_fd_line(fd, what):
    text = b''
    while not text.endswith(b'\n'):
        if not select.select([fd], [], [], 20)[0] or not (chunk := os.read(fd, 256)):
            raise Unmeasured(f'{what} did not start')
        text += chunk
    os.close(fd)
    return text.decode().strip()


def private_bus(tmp, env):
    """A session bus of our own with nothing to activate, so no service starts behind our back."""
    with open(tmp + '/bus.conf', 'w') as f:
        f.write(f'<busconfig><type>session</type><listen>unix:dir={tmp}</listen><auth>EXTERNAL</auth>'
                '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
                '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>')
    r, w = os.pipe()
    server(['dbus-daemon', '--nofork', '--config-file=' + tmp + '/bus.conf', f'--print-address={w}'], env, pass_fds=(w,))
    os.close(w)
    return read_fd_line(r, 'dbus-daemon')


class Desk:
    """One Xvfb of our own, bare or with icewm and its tray, and our connection to it."""

    def __init__(self, tmp, env, wm):
        r, w = os.pipe()
        server(['Xvfb', '-displayfd', str(w), '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'], env, pass_fds=(w,))
        os.close(w)
        self.env = dict(env, DISPLAY=':' + read_fd_line(r, 'Xvfb'))
        self.d = display.Display(self.env['DISPLAY'])
        self.root = self.d.screen().root
        self.queue = collections.deque()
        self.last_damage = None
        self.damage_event = None
        if wm:
            os.makedirs(tmp + '/icewm', exist_ok=True)
            with open(tmp + '/icewm/preferences', 'w') as f:  # a task bar that keeps still
                f.write(''.join(f'TaskBarShow{k}=0\n' for k in ('Clock', 'CPUStatus', 'NetStatus', 'MEMStatus', 'MailboxStatus')))
            server(['icewm'], dict(self.env, ICEWM_PRIVCFG=tmp + '/icewm'))
            for name in ('WM_S0', '_NET_SYSTEM_TRAY_S0'):
                self.poll(f'icewm: {name} owned', lambda: self.d.get_selection_owner(self.atom(name)) != X.NONE, 20)
        else:
            # Every redraw on screen, whoever's, is damage to the root window.
            self.d.damage_query_version()
            self.root.damage_create(damage.DamageReportRawRectangles)
            self.damage_event = self.d.extension_event.DamageNotify
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.d.sync()
        self.collect()

    def atom(self, name):
        return self.d.intern_atom(name)

    def prop(self, w, name):
        p = w.get_full_property(self.atom(name), X.AnyPropertyType)
        self.collect()
        return p.value if p else None

    def ours(self, w, pid):
        name = self.prop(w, '_NET_WM_NAME') or self.prop(w, 'WM_NAME')
        name = name.decode(errors='replace') if isinstance(name, bytes) else name
        return (self.prop(w, '_NET_WM_PID') or [None])[0] == pid and name == TITLE

    def viewable(self, w):
        viewable = w.get_attributes().map_state == X.IsViewable
        self.collect()
        return viewable

    # Events are stamped when they reach this process, not when they are looked at.
    def collect(self, timeout=0.0):
        if not self.d.pending_events() and timeout > 0:
            select.select([self.d], [], [], timeout)
        t = time.monotonic()
        while self.d.pending_events():
            self.queue.append((t, self.d.next_event()))

    def events(self, timeout):
        end = time.monotonic() + timeout
        while True:
            if not self.queue:
                left = end - time.monotonic()
                if left <= 0:
                    return
                self.collect(left)
                continue
            t, e = self.queue.popleft()
            if e.type == self.damage_event:
                self.last_damage = t
            yield t, e

    def wait(self, what, stop, timeout=20.0):
        for t, e in self.events(timeout):
            if (found := stop(t, e)) is not None:
                return found
        raise Unmeasured(f'{what}: not seen within {timeout:g} s')

    def settle(self, since, timeout=20.0):
        """The time of the last redraw after since that QUIET seconds of none followed (None if none)."""
        end = time.monotonic() + timeout
        while True:
            ref = max(since, self.last_damage or since)
            left = ref + QUIET - time.monotonic()
            if left <= 0:
                return self.last_damage if self.last_damage and self.last_damage >= since else None
            if time.monotonic() > end:
                raise Unmeasured(f'still redrawing after {timeout:g} s')
            for _ in self.events(left):
                pass

    def poll(self, what, probe, timeout=20.0):
        """For readiness only, never for a figure."""
        end = time.monotonic() + timeout
        while not (found := probe()):
            if time.monotonic() > end:
                raise Unmeasured(f'{what}: not within {timeout:g} s')
            time.sleep(0.02)
        return found

    def key(self, name, press=True, release=True):
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        if press:
            xtest.fake_input(self.d, X.KeyPress, code)
        if release:
            xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.flush()

    def focus(self, w):
        self.d.set_input_focus(w, X.RevertToParent, X.CurrentTime)
        self.d.sync()
        self.collect()

    def hide(self, w, what):
        """Escape in the window, and its unmapping."""
        self.focus(w)
        self.key('Escape')
        self.wait(what, lambda t, e: t if e.type == X.UnmapNotify and e.window.id == w.id else None)

    def tray_icon(self, pid):
        """Our icon, embedded in the tray: a viewable window of ours with _XEMBED_INFO inside
        another one, and no managed window (Qt marks those with _XEMBED_INFO too)."""
        managed = set(self.prop(self.root, '_NET_CLIENT_LIST') or [])

        def tree(w):
            for c in w.query_tree().children:
                yield w, c
                yield from tree(c)
        for parent, w in tree(self.root):
            if parent.id != self.root.id and w.id not in managed and self.prop(w, '_XEMBED_INFO') is not None \
                    and (self.prop(w, '_NET_WM_PID') or [None])[0] == pid and self.viewable(w):
                return w
        return None

    def client(self, pid):
        for i in self.prop(self.root, '_NET_CLIENT_LIST') or []:
            w = self.d.create_resource_object('window', i)
            if self.ours(w, pid) and self.viewable(w):
                return w
        return None


def cpu(pid):
    """CPU time in ms (utime + stime, all threads) and context switches of all threads."""
    with open(f'/proc/{pid}/stat') as f:
        fields = f.read().rsplit(')', 1)[1].split()
    switches = 0
    for task in os.listdir(f'/proc/{pid}/task'):
        try:
            with open(f'/proc/{pid}/task/{task}/status') as f:
                switches += sum(int(l.split()[1]) for l in f if l.startswith(('voluntary_ctxt', 'nonvoluntary_ctxt')))
        except FileNotFoundError:  # a thread that just ended
            pass
    return (int(fields[11]) + int(fields[12])) * TICK_MS, switches


def idle(pid, state, sample):
    c0, s0 = cpu(pid)
    time.sleep(IDLE)
    c1, s1 = cpu(pid)
    sample('cpu_' + state, c1 - c0)
    sample('switches_' + state, s1 - s0)


def memory(pid):
    """RSS, PSS and anonymous memory in MiB: of the three only PSS depends on other processes."""
    with open(f'/proc/{pid}/smaps_rollup') as f:
        kb = {l.split(':')[0]: int(l.split()[1]) for l in f if l.endswith('kB\n')}
    return kb['Rss'] / 1024, kb['Pss'] / 1024, kb['Anonymous'] / 1024


class Run:
    """One start of the program or the floor, with settings and runtime folders of its own."""
    count = 0

    def __init__(self, desk, binary, tmp):
        Run.count += 1
        self.dir = f'{tmp}/run{Run.count}'
        os.makedirs(self.dir + '/config'), os.mkdir(self.dir + '/runtime', 0o700)
        env = dict(desk.env, XDG_CONFIG_HOME=self.dir + '/config', XDG_RUNTIME_DIR=self.dir + '/runtime')
        self.log = open(self.dir + '/log', 'wb')
        desk.last_damage = None
        self.t0 = time.monotonic()
        self.p = subprocess.Popen([binary], env=env, stdout=self.log, stderr=subprocess.STDOUT, cwd=self.dir)

    def end(self):
        stop(self.p)
        self.log.close()

    def tail(self):
        with open(self.dir + '/log', errors='replace') as f:
            return ''.join('  | ' + l for l in f.readlines()[-15:])


def on_bare(desk, binary, tmp, sample, hidden):
    """Start, first frame, memory, keys and idle CPU on the X server without a window manager."""
    run = Run(desk, binary, tmp)
    try:
        pid = run.p.pid
        w, t_map = desk.wait('calculator mapped',
                             lambda t, e: (e.window, t) if e.type == X.MapNotify and desk.ours(e.window, pid) else None)
        if (desk.last_damage or 0) < t_map:  # a slow first paint is still a first paint
            desk.wait('first redraw after the map', lambda t, e: t if e.type == desk.damage_event else None)
        t_frame = desk.settle(t_map)
        if sample:
            sample('map', (t_map - run.t0) * 1000)
            sample('frame', (t_frame - run.t0) * 1000)
        else:
            return  # a warm-up start
        time.sleep(max(0.0, t_map + MEMORY_AT - time.monotonic()))
        for fig, value in zip(('rss', 'pss', 'anon'), memory(pid)):
            sample(fig, value)

        w.change_attributes(event_mask=X.PropertyChangeMask | X.FocusChangeMask | X.StructureNotifyMask)
        desk.focus(w)
        desk.wait('focus in the calculator', lambda t, e: t if e.type == X.FocusIn and e.window.id == w.id else None)
        desk.settle(time.monotonic())
        titles = (desk.atom('_NET_WM_NAME'), desk.atom('WM_NAME'))
        for i in range(KEYS):  # typing 1, 2, 3 ... makes the titles 1, 12, 123 ...
            for _ in desk.events(KEY_GAP):
                pass
            digit = str((i + 1) % 10)
            sent = time.monotonic()
            desk.key(digit, release=False)
            seen = desk.wait(f'title after key {i + 1}', lambda t, e: t if e.type == X.PropertyNotify
                             and e.window.id == w.id and e.atom in titles else None, timeout=5)
            sample('key', (seen - sent) * 1000)
            desk.key(digit, press=False)
        desk.settle(time.monotonic())

        idle(pid, 'focused', sample)
        if hidden:
            desk.hide(w, 'floor unmapped by Escape')
            desk.settle(time.monotonic())
            idle(pid, 'hidden', sample)
    except Unmeasured as e:
        raise Unmeasured(f'{binary}: {e}\n{run.tail()}')
    finally:
        run.end()
        desk.settle(time.monotonic())  # the redraw of what the window covered


def in_tray(desk, binary, tmp, sample):
    """Tray clicks and idle CPU hidden in the tray, under icewm."""
    run = Run(desk, binary, tmp)
    try:
        pid = run.p.pid
        w = desk.poll('calculator of a new user', lambda: desk.client(pid))
        icon = desk.poll('tray icon embedded', lambda: desk.tray_icon(pid))
        w.change_attributes(event_mask=X.StructureNotifyMask)
        desk.hide(w, 'calculator hidden by Escape')
        last = 0.0
        for i in range(CLICKS):
            time.sleep(max(0.0, last + CLICK_GAP - time.monotonic()))
            g = icon.get_geometry()
            at = desk.root.translate_coords(icon, g.width // 2, g.height // 2)
            xtest.fake_input(desk.d, X.MotionNotify, x=at.x, y=at.y)
            desk.d.sync()
            time.sleep(0.05)
            desk.collect()
            desk.queue.clear()
            last = time.monotonic()
            xtest.fake_input(desk.d, X.ButtonPress, 1)
            xtest.fake_input(desk.d, X.ButtonRelease, 1)
            xtest.fake_input(desk.d, X.MotionNotify, x=900, y=400)  # off the icon, so no tool tip shows
            desk.d.flush()
            # Mapped and, once its frame is mapped too, viewable.
            seen = desk.wait(f'calculator mapped by tray click {i + 1}',
                             lambda t, e: t if e.type == X.MapNotify and desk.viewable(w) else None, timeout=10)
            sample('tray', (seen - last) * 1000)
            time.sleep(0.1)
            desk.hide(w, f'calculator hidden by Escape after tray click {i + 1}')
        time.sleep(QUIET)
        idle(pid, 'hidden', sample)
    except Unmeasured as e:
        raise Unmeasured(f'{binary} under icewm: {e}\n{run.tail()}')
    finally:
        run.end()


def sh(*args):
    try:
        return subprocess.run(args, capture_output=True, text=True, timeout=20).stdout.strip()
    except (OSError, subprocess.SubprocessError):
        return '?'


def first(path, prefix, default='?'):
    """What follows prefix on the first line of a file that starts with it."""
    with open(path) if os.path.exists(path) else open(os.devnull) as f:
        return next((l[len(prefix):].strip() for l in f if l.startswith(prefix)), default)


def head(program):
    """The machine and the versions, for the top of the table."""
    deb = lambda package: sh('dpkg-query', '-W', '-f=${Version}', package)
    load = lambda: '/'.join(f'{x:.2f}' for x in os.getloadavg())
    version = first(REPO + '/CMakeLists.txt', 'project(Mochiten VERSION').split()[0]
    commit = sh('env', 'GIT_OPTIONAL_LOCKS=0', 'git', '-C', REPO, 'describe', '--always', '--dirty')
    build_type = first(os.path.join(os.path.dirname(program), 'CMakeCache.txt'), 'CMAKE_BUILD_TYPE:STRING=')
    memory = int(first('/proc/meminfo', 'MemTotal:', '0 kB').split()[0]) / 1048576
    return [
        f'Mochiten against a bare Qt window, {datetime.datetime.now().astimezone():%Y-%m-%d %H:%M %Z}: {ROUNDS} '
        f'interleaved rounds, {KEYS} keys and {CLICKS} tray clicks a round, idle figures over {IDLE:g} s',
        f'machine: {first("/proc/cpuinfo", "model name").lstrip(": ")}, {os.cpu_count()} cores, {memory:.0f} GiB; '
        f'Linux {platform.release()}; Debian {first("/etc/debian_version", "")}; load average at start {load()}',
        f'versions: program {version} (git {commit}, {build_type}), Qt {deb("libqt6core6")}, '
        f'g++ {sh("g++", "-dumpfullversion")}, Xvfb {deb("xvfb")}, icewm {deb("icewm")}, dbus {deb("dbus-daemon")}, '
        f'Python {platform.python_version()}, python3-xlib {deb("python3-xlib")}',
    ]


def table(rows):
    """rows: (round, who, figure, sample, value); one line per figure."""
    per_round = collections.defaultdict(list)
    for rnd, who, fig, _, v in rows:
        per_round[fig, who, rnd].append(v)
    lines = [('figure', 'floor (bare Qt 6)', 'program', 'ratio')]
    for fig, caption, unit, dec in FIGURES:
        got = {who: {r: statistics.median(per_round[fig, who, r]) for r in range(1, ROUNDS + 1)
                     if per_round.get((fig, who, r))} for who in ('floor', 'program')}

        def cell(vals):
            if not vals:
                return '—'
            v = list(vals)
            return f'{statistics.median(v):.{dec}f} ({min(v):.{dec}f}–{max(v):.{dec}f}) {unit}'.rstrip()
        ratios = [got['program'][r] / got['floor'][r] for r in got['program'] if got['floor'].get(r)]
        ratio = f'{statistics.median(ratios):.2f} ({min(ratios):.2f}–{max(ratios):.2f})' if ratios else '—'
        lines.append((caption, cell(got['floor'].values()), cell(got['program'].values()), ratio))
    widths = [max(len(l[i]) for l in lines) for i in range(4)]
    out = [' | '.join(c.ljust(widths[i]) for i, c in enumerate(l)).rstrip() for l in lines]
    out.insert(1, '-+-'.join('-' * n for n in widths))
    return out


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    program, floor, outdir = (os.path.abspath(a) for a in sys.argv[1:])
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    os.makedirs(outdir, exist_ok=True)
    tmp = tempfile.mkdtemp(prefix='mochiten-bench-')
    os.mkdir(tmp + '/home')
    # Nothing of the desktop this runs on may leak in: no display, bus, settings or Qt switches.
    env = {k: v for k, v in os.environ.items() if not k.startswith(('QT_', 'XDG_', 'DBUS_', 'WAYLAND_'))
           and k not in ('DISPLAY', 'XAUTHORITY', 'SESSION_MANAGER')}
    env.update(HOME=tmp + '/home', QT_QPA_PLATFORM='xcb', XDG_SESSION_TYPE='x11')
    lines = head(program)
    rows = []
    started = time.monotonic()
    try:
        env['DBUS_SESSION_BUS_ADDRESS'] = private_bus(tmp, env)
        bare, tray = Desk(tmp, env, wm=False), Desk(tmp, env, wm=True)
        for binary in (floor, program):  # warm the caches; nothing recorded
            on_bare(bare, binary, tmp, None, False)
        for rnd in range(1, ROUNDS + 1):
            order = ('program', 'floor') if rnd % 2 else ('floor', 'program')
            for who in order:
                def sample(fig, value, who=who, rnd=rnd):
                    rows.append((rnd, who, fig, sum(1 for r in rows if r[:3] == (rnd, who, fig)) + 1, value))
                if who == 'program':
                    on_bare(bare, program, tmp, sample, hidden=False)
                    in_tray(tray, program, tmp, sample)
                else:
                    on_bare(bare, floor, tmp, sample, hidden=True)
            print(f'round {rnd}/{ROUNDS} done, {time.monotonic() - started:.0f} s', file=sys.stderr, flush=True)
    except Unmeasured as e:
        print(f'bench: could not measure: {e}', file=sys.stderr)
        return 1
    finally:
        for p in reversed(SERVERS):
            stop(p)
        shutil.rmtree(tmp, ignore_errors=True)
    lines[1] += ', at end ' + '/'.join(f'{x:.2f}' for x in os.getloadavg())
    lines += [''] + table(rows) + [''] + NOTES + [f'{time.monotonic() - started:.0f} s in all; raw rows in {outdir}/raw.tsv']
    with open(outdir + '/raw.tsv', 'w') as f:
        f.write('round\twho\tfigure\tsample\tvalue\tunit\n')
        units = {k: u for k, _, u, _ in FIGURES}
        f.writelines(f'{r}\t{who}\t{fig}\t{n}\t{v:.4f}\t{units[fig]}\n' for r, who, fig, n, v in rows)
    with open(outdir + '/table.txt', 'w') as f:
        f.write('\n'.join(lines) + '\n')
    print('\n'.join(lines))
    return 0


if __name__ == '__main__':
    sys.exit(main())
