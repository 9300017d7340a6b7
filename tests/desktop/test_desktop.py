#!/usr/bin/python3
"""End-to-end tests of the real program on a private Xvfb under icewm, whose task bar hosts the XEmbed
tray: input through XTest (xdotool), every check read from the X server. Args: PATH/TO/mochiten [CASE ...]"""
import contextlib, ctypes, os, signal, shutil, subprocess, sys, tempfile, time, traceback
from pathlib import Path
from Xlib import X, display, error

BINARY = os.path.abspath(sys.argv[1])
TMP = tempfile.mkdtemp(prefix='mochiten-desktop-')
CALC, SETUP, ABOUT = 'calculator', '設定', 'バージョン情報'
SHOWN, HIDDEN = 'IsViewable', {'IsUnmapped', 'no window'}
NOMT_BOX, OK_BUTTON, LOGON_BOX = (24, 136), (121, 192), (24, 220)  # client-area points in the settings dialog
SOME = object()  # what wait() takes for "any window at all"
# Nothing of the desktop this runs on leaks in; a session bus could offer Qt a D-Bus tray.
ENV = {k: v for k, v in os.environ.items() if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'XAUTHORITY', 'SESSION_MANAGER')}
ENV.update(HOME=TMP, QT_QPA_PLATFORM='xcb', XDG_SESSION_TYPE='x11', DBUS_SESSION_BUS_ADDRESS=f'unix:path={TMP}/none')
SERVERS, STARTED = [], []  # Xvfb and icewm for the run; program instances of the running case


def spawn(args, env=None, **kw):  # PR_SET_PDEATHSIG: should this harness be killed, what it started goes too
    return subprocess.Popen(args, env=env or ENV, preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM), **kw)


def stop(p):
    p.terminate()  # nothing happens to one that has ended
    with contextlib.suppress(subprocess.TimeoutExpired):
        return p.wait(5)
    p.kill(), p.wait()


def wait(what, probe, want=SOME, timeout=8.0, hold=0.0):
    """Polls probe() until it gives want (a value, a set, or SOME: not None or False) for hold seconds; returns that."""
    end, held = time.monotonic() + timeout, None
    while True:
        try:
            seen = probe()
        except error.XError as e:  # a window went while it was read
            seen = e
        good = (seen not in (None, False) and not isinstance(seen, error.XError) if want is SOME
                else seen in want if isinstance(want, set) else seen == want)
        now = time.monotonic()
        if good and now - (held := held or now) >= hold:  # held: since when it has been good
            return seen
        if not good and (held or now > end):
            raise AssertionError(f'{what}: expected {"a window" if want is SOME else repr(want)}'
                                 f'{" to stay" if held else ""}, saw {seen!r}')
        time.sleep(0.02)


def run(*args):
    subprocess.run([*map(str, args)], env=ENV, check=True, timeout=20)


def keys(text):
    run('xdotool', 'key', *text.split())


def start_x():
    global D, ROOT
    SERVERS.append(spawn(['Xvfb', '-displayfd', '1', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
    ENV['DISPLAY'] = ':' + SERVERS[-1].stdout.readline().decode().strip()  # nothing should Xvfb fail
    D = display.Display(ENV['DISPLAY'])
    ROOT = D.screen().root


def start_desk():
    start_x(), start_wm()


def start_bus():  # a session bus of the run's own; the accessibility bus that it starts puts its socket in TMP/xdg
    os.makedirs(TMP + '/xdg', 0o700, exist_ok=True)
    SERVERS.append(spawn(['dbus-daemon', '--session', '--nofork', '--print-address', '--syslog-only'],
                         env=dict(ENV, XDG_RUNTIME_DIR=TMP + '/xdg'), stdout=subprocess.PIPE))
    ENV['DBUS_SESSION_BUS_ADDRESS'] = SERVERS[-1].stdout.readline().decode().strip()


def start_wm():  # icewm, last of SERVERS, with its task bar's tray
    Path(TMP, 'icewm').mkdir(exist_ok=True)
    Path(TMP, 'icewm/preferences').write_text(''.join(  # a task bar with nothing that moves
        f'TaskBarShow{k}=0\n' for k in ('Clock', 'CPUStatus', 'NetStatus', 'MEMStatus', 'MailboxStatus')))
    SERVERS.append(spawn(['icewm'], env=dict(ENV, ICEWM_PRIVCFG=TMP + '/icewm'), stderr=subprocess.DEVNULL))
    for name in ('WM_S0', '_NET_SYSTEM_TRAY_S0'):
        wait(f'{name} owner', lambda: D.get_selection_owner(D.intern_atom(name)) or None, timeout=15)


def prop(w, name):
    p = w.get_full_property(D.intern_atom(name), X.AnyPropertyType)
    return p.value if p else None


def tree(w):
    for c in w.query_tree().children:
        yield w, c
        yield from tree(c)


def name(w):
    return (prop(w, '_NET_WM_NAME') or b'').decode()


def state(w):
    return ('IsUnmapped', 'IsUnviewable', 'IsViewable')[w.get_attributes().map_state] if w else 'no window'


def origin(w):
    p = ROOT.translate_coords(w, 0, 0)
    return p.x, p.y


def click_in(w, x, y, button=1):
    run('xdotool', 'mousemove', '--window', w.id, x, y, 'click', button)


class App:
    """A program instance with its own settings and runtime folders; a second start (share=) uses the same."""
    last_tray_click = 0.0  # of any instance: nearer clicks make a double click

    def __init__(self, conf=None, share=None, args=(), **env):  # env: variables that differ from ENV, None to drop one
        self.dir = share.dir if share else tempfile.mkdtemp(dir=TMP)
        if not share:
            os.mkdir(self.dir + '/config'), os.mkdir(self.dir + '/run', 0o700)
            if conf:
                Path(self.dir, 'config/HinokiWorks.conf').write_text('[Mochica]\n' + ''.join(f'{k}={v}\n' for k, v in conf.items()))
        env = dict(ENV, XDG_CONFIG_HOME=self.dir + '/config', XDG_RUNTIME_DIR=self.dir + '/run', **env)
        env = {k: v for k, v in env.items() if v is not None}
        with open(self.dir + '/log', 'ab') as log:
            self.p = spawn([BINARY, *args], env=env, stdout=log, stderr=subprocess.STDOUT)
        STARTED.append(self)

    def saved(self, what, **want):
        text = Path(self.dir, 'config/HinokiWorks.conf').read_text()
        values = dict(l.split('=', 1) for l in text.splitlines() if '=' in l) if '[Mochica]' in text else {}
        wait(what, lambda: {k: values.get(k) for k in want}, want, timeout=0)

    def mine(self, w):
        return (prop(w, '_NET_WM_PID') or [None])[0] == self.p.pid

    def window(self, title=CALC):
        utility = D.intern_atom('_NET_WM_WINDOW_TYPE_UTILITY')  # the calculator is our one utility window
        return next((w for _, w in tree(ROOT) if self.mine(w) and (name(w) == title if title != CALC
                     else utility in (prop(w, '_NET_WM_WINDOW_TYPE') or []))), None)

    def state(self, title=CALC):
        return state(self.window(title))

    def title(self):
        return self.window() and name(self.window())

    def place(self):  # the outer top-left corner of the frame that the window manager put around the calculator
        if self.state() != SHOWN:
            return 'not shown'
        (x, y), ext = origin(self.window()), prop(self.window(), '_NET_FRAME_EXTENTS')
        return (x - ext[0], y - ext[2]) if ext else 'no frame extents'

    def tray(self):
        """Our icon, embedded: a viewable window of ours inside one that is neither the root nor a frame."""
        managed = set(prop(ROOT, '_NET_CLIENT_LIST') or [])
        return next((c for p, c in tree(ROOT) if p.id != ROOT.id and c.id not in managed and self.mine(c)
                     and prop(c, '_XEMBED_INFO') is not None and state(c) == SHOWN), None)

    def menu(self, anyones=False):  # a host of StatusNotifierItems shows the menu it was handed
        tip = D.intern_atom('_NET_WM_WINDOW_TYPE_TOOLTIP')
        return next((w for w in ROOT.query_tree().children if w.get_attributes().override_redirect and state(w) == SHOWN
                     and (anyones or self.mine(w)) and tip not in (prop(w, '_NET_WM_WINDOW_TYPE') or [])), None)

    def click_tray(self, button=3):
        icon = wait('tray icon', self.tray)
        time.sleep(max(0.0, App.last_tray_click + 0.6 - time.monotonic()))
        click_in(icon, 8, 8, button)
        App.last_tray_click = time.monotonic()

    def calc_menu(self):  # a right click on a key
        click_in(wait('calculator', self.window), 68, 100, 3)

    def pick(self, key, opener=None):  # from the tray menu unless another opener is given
        wait('no menu open yet', self.menu, None)
        (opener or self.click_tray)()
        wait('context menu', self.menu)
        keys(key)
        wait('menu closed', self.menu, None)

    def press(self, key, title=CALC):
        w = wait(f'{title} on screen', lambda: self.state(title) == SHOWN and self.window(title))
        run('xdotool', 'windowactivate', w.id)
        wait(f'keyboard focus in {title}', lambda: D.get_input_focus().focus == w, True)
        keys(key)

    def settings(self, what, *boxes, opener=None, tray=SOME, calc=SHOWN):
        """Opens the settings dialog from a menu, clicks the boxes and OK; then the tray icon and calculator are as given."""
        self.pick('s', opener)
        dialog = wait('settings dialog', lambda: self.state(SETUP) == SHOWN and self.window(SETUP))
        for box in (*boxes, OK_BUTTON):
            click_in(dialog, *box)
        wait(f'{what}: settings dialog after OK', lambda: self.state(SETUP), HIDDEN)
        wait(f'{what}: tray icon after OK', self.tray, tray)
        wait(f'{what}: calculator after OK', self.state, calc, hold=0.2)

    def ends(self, code):
        wait(f'exit code of {self.p.pid}', self.p.poll, code)

    def about(self):  # opened from the tray menu, closed by Return
        self.pick('a'), self.press('Return', ABOUT)
        wait('about box after Return', lambda: self.state(ABOUT), HIDDEN)


KEYS = [  # layout, keys typed after Backspace has cleared the display, title after them
    ('us', '1 2 plus 3 minus 2 slash 4 Return', '3.25'),
    ('us', 'KP_1 KP_2 KP_Add KP_3 KP_Subtract KP_1 KP_Multiply KP_5 KP_Divide KP_2 KP_Enter', '35'),
    ('us', '9 Home 4 2', '42'),
    ('us', '6 asterisk 7 Return', '42'),  # Shift+8 types *, so it multiplies
    ('us', '1 plus 2 equal 4 Return', '4'),  # = is equals: the sum ends, 4 starts anew
    ('us', '9 semicolon 2 underscore 4 Return', '14'),  # ; and Shift+- are read by place: they multiply, subtract
    ('jp', '1 2 semicolon 3 plus 5 Return', '20'),  # ; and Shift+; add
    ('jp', '4 colon 5 asterisk 2 Return', '40'),  # : and Shift+: multiply
    ('jp', '9 minus 3 equal 1 Return', '5'),  # Shift+- (=) subtracts too
    ('de', '6 asterisk 7 minus 2 Return', '40'),  # * is Shift++, - has a key of its own
    ('de', '8 slash 2 equal 1 Return', '1'),  # Shift+7 types /, Shift+0 =
]


def calculator_keys():
    """Main keys and keypad on US, Japanese and German layouts: the result shows in the title."""
    app = App()
    wait('title of a new calculator', app.title, 'Mochiten V2')
    for layout, typed, title in KEYS:
        run('setxkbmap', layout)
        app.press('BackSpace'), wait(f'[{layout}] title after BackSpace', app.title, '0')
        keys(typed), wait(f'[{layout}] title after {typed}', app.title, title)
    run('setxkbmap', 'us')  # what the other cases type on; Escape and End are the same on both


def hide_and_show_in_place():
    """Escape or End hides the calculator; a left click on the tray icon, which gives it the keyboard focus, or the
    tray menu's entry shows it where it was, frame and all. The menu's About entry opens the box; Return closes it."""
    app = App({'Window_Calc_Window_Left': 200, 'Window_Calc_Window_Top': 150})
    for key, entry in [('Escape', None), ('Escape', 'c'), ('End', None)]:  # the last shown by a left click
        wait('frame at the stored place', app.place, (200, 150), hold=0.3)
        app.press(key), wait(f'calculator after {key}', app.state, HIDDEN)
        app.pick(entry) if entry else app.click_tray(1)
    wait('frame at the stored place', app.place, (200, 150), hold=0.3)
    wait('keyboard focus after a left click', lambda: D.get_input_focus().focus == app.window(), True)
    app.about()


def residency_and_second_start():
    """A second start exits with 1 and brings the calculator forward, tray icon or none. OK with 「Mochiten」を常駐しない
    ticked, 20 times from the tray menu, keeps the calculator on screen (the calculator's menu unticks it in between);
    then Escape ends the program with the settings saved."""
    app = App({'Window_Calc_OpenWindowAtBoot': 1, 'Window_Calc_Window_Left': 300, 'Window_Calc_Window_Top': 200})
    wait('tray icon', app.tray)
    wait('calculator when not to be shown at boot', app.state, HIDDEN, hold=0.5)
    App(share=app).ends(1), wait('calculator after a second start, tray icon shown', app.state, SHOWN)
    for n in range(1, 21):
        app.settings(f'round {n}, 常駐しない ticked', NOMT_BOX, tray=None)
        if n < 20:
            app.settings(f'round {n}, 常駐しない unticked', NOMT_BOX, opener=app.calc_menu)
    App(share=app).ends(1), wait('calculator after a second start, no tray icon', app.state, SHOWN, hold=0.5)
    wait('frame after 20 rounds', app.place, (300, 200))
    app.press('Escape'), app.ends(0)
    app.saved('settings saved', NoMt='1', Window_Calc_Window_Left='300', Window_Calc_Window_Top='200')


def start_at_logon():
    """「ログオン時に起動する」 makes and removes the desktop's autostart entry, and shows whether one is there."""
    app = App()
    entry = Path(app.dir, 'config/autostart/io.github.hinokiworks.mochiten.desktop')
    made = lambda: entry.write_text('[Desktop Entry]\nType=Application\nExec=mochiten\n')
    for step, before, boxes, there in [('ticked', None, [LOGON_BOX], True),
                                       ('entry removed by hand, ticked', entry.unlink, [LOGON_BOX], True),
                                       ('unticked', None, [LOGON_BOX], False), ('entry made by hand, OK alone', made, [], True)]:
        before and before()
        app.settings(step, *boxes)
        wait(f'{step}: autostart entry', entry.exists, there, hold=0.2)
        if step == 'ticked':
            wait('the entry starts this program', lambda: f'Exec="{BINARY}"' in entry.read_text(), True, timeout=0)


def drag(app, to):
    for _ in range(3):  # a window manager busy elsewhere may miss a press: drag again from where it is
        (x, y), (fx, fy) = origin(wait('calculator', app.window)), app.place()
        x, y, dx, dy = x + 90, y - 8, to[0] - fx, to[1] - fy  # drag the title bar so that the frame ends at `to`
        run('xdotool', 'mousemove', x, y, 'mousedown', 1, 'mousemove', x + dx // 2, y + dy // 2, 'mousemove', x + dx, y + dy,
            'mouseup', 1)
        with contextlib.suppress(AssertionError):
            return wait('frame after dragging the title bar', app.place, to, timeout=3)
    wait('frame after dragging the title bar', app.place, to)


def placement_survives_restart():
    """A new user's calculator opens at the top-left corner; where it is dragged to, it opens next time."""
    app = App()
    wait("new user's frame", app.place, (0, 0), hold=0.3)
    drag(app, (230, 138))
    app.pick('e'), app.ends(0)
    app.saved('stored place', Window_Calc_Window_Left='230', Window_Calc_Window_Top='138')
    wait('frame after a restart', App(share=app).place, (230, 138), hold=0.3)


def tray_after_us():
    """Started before the tray, then through a tray restart: the icon comes (2 s promised; a loaded machine gets more)
    and the calculator stays; left click: calculator; right click: tray menu; while there is no tray, the calculator."""
    stop(SERVERS.pop())  # the desk's icewm; it is back at the end for the other cases
    app = App({'Window_Calc_OpenWindowAtBoot': 1})
    for step in ('program first', 'tray restarted'):
        wait(f'{step}: calculator with no tray', app.state, SHOWN)
        start_wm()
        wait(f'{step}: tray icon', app.tray, timeout=5)
        framed = lambda: app.state() == SHOWN and app.window().query_tree().parent.id != ROOT.id
        wait(f'{step}: calculator, framed by the new window manager', framed, True, hold=0.5)
        app.press('Escape'), wait(f'{step}: calculator after Escape', app.state, HIDDEN)
        app.click_tray(1), wait(f'{step}: calculator after a left click', app.state, SHOWN)
        app.pick('Escape')
        app.press('Escape'), wait(f'{step}: calculator after Escape', app.state, HIDDEN)
        if step == 'program first':  # killed: ending in order, icewm drops windows mapped in its last milliseconds
            SERVERS[-1].kill(), SERVERS.pop().wait()


def display_dies():
    """When the X server dies, Qt ends the program with code 1, the settings saved: the calculator where it was
    dragged, the log window's place and size as loaded. A new desk follows for the other cases."""
    app = App({'Window_Log_Window_Left': -40, 'Window_Log_Window_Width': 9999})
    drag(app, (310, 170))
    app.press('BackSpace')  # once the title changes, the program has also seen the move before the key
    wait('title after BackSpace', app.title, '0')
    SERVERS[0].kill(), app.ends(1)
    app.saved('stored places', Window_Calc_Window_Left='310', Window_Calc_Window_Top='170', Window_Log_Window_Left='-40',
              Window_Log_Window_Width='9999')
    start_desk()


CASES = [calculator_keys, hide_and_show_in_place, residency_and_second_start, start_at_logon, placement_survives_restart,
         tray_after_us, display_dies]


def main(cases=CASES, desk=start_desk):
    chosen = [c for c in cases if not sys.argv[2:] or c.__name__ in sys.argv[2:]]
    passed = 0
    try:
        desk()
        for case in chosen:
            start = time.monotonic()
            try:
                case()
                passed += 1
                print(f'PASS {case.__name__} ({time.monotonic() - start:.1f} s)', flush=True)
            except Exception as e:  # the trace shows which step of the case failed
                print(f'FAIL {case.__name__}: {case.__doc__}\n  {e}\n{traceback.format_exc()}', flush=True)
                for app in STARTED:  # what the program said, if anything
                    log = Path(app.dir, 'log').read_text(errors='replace').splitlines(True)
                    print(''.join('  | ' + l for l in log[-20:]), end='')
            finally:
                while STARTED:
                    stop(STARTED.pop().p)
    except Exception as e:  # no desk, no case
        print(f'FAIL desktop: {e!r}')
    finally:
        while SERVERS:
            stop(SERVERS.pop())
        shutil.rmtree(TMP, ignore_errors=True)
    print(f'{passed} passed, {len(chosen) - passed} failed')  # a desk that failed to start fails every case
    return int(passed < len(chosen))


if __name__ == '__main__':
    sys.exit(main())
