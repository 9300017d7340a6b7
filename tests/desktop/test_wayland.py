#!/usr/bin/python3
"""The program in a headless weston with XWayland and no tray, read back from XWayland. Args: PATH/TO/mochiten"""
import re
import test_desktop as t
from test_desktop import *

PLACE = {'Window_Calc_Window_Left': '200', 'Window_Calc_Window_Top': '150'}
SESSIONS = [  # the session's variables beside WAYLAND_DISPLAY; whether the calculator is then an X11 window, where windows can be placed
    (dict(QT_QPA_PLATFORM=None), True),  # XWayland at hand
    (dict(QT_QPA_PLATFORM=None, DISPLAY=None, XDG_SESSION_TYPE=None), False),  # Wayland alone
    (dict(QT_QPA_PLATFORM='wayland'), False)]  # the user's own choice


def start_weston():  # XWayland starts at the first X client, on the display that weston's log names
    os.makedirs(TMP + '/wl', 0o700, exist_ok=True)  # again after compositor_dies
    SERVERS.append(spawn(['weston', '--backend=headless-backend.so', '--xwayland', '--socket=wl'],
                         env=dict(ENV, XDG_RUNTIME_DIR=TMP + '/wl'), stderr=open(TMP + '/wl/log', 'w')))
    x = wait('XWayland display', lambda: re.search(r'listening on display (:\d+)', Path(TMP, 'wl/log').read_text()))
    ENV.update(DISPLAY=x[1], WAYLAND_DISPLAY=TMP + '/wl/wl', XDG_SESSION_TYPE='wayland', XDG_CURRENT_DESKTOP='weston')
    t.D, t.ROOT = (d := display.Display(x[1])), d.screen().root


def wayland_sessions():
    """No tray: the calculator shows at start, on XWayland if at hand. SIGTERM ends the program with code 0, and when
    weston dies Qt ends it with code 1 (a new weston follows); both save the settings first. On XWayland weston, not the
    program, places the window; Wayland keeps the stored place."""
    for (env, x11), dies in [(s, d) for s in SESSIONS for d in (False, True)]:
        app, end = App(dict(PLACE, Window_Calc_OpenWindowAtBoot=1), **env), 'weston died' if dies else 'SIGTERM'
        wait(f'{env}: running, on XWayland, listening for a second start', lambda: (app.p.poll(), app.state() == SHOWN,
             os.path.exists(app.dir + '/run/Mochica.sock')), (None, x11, True), hold=1)
        SERVERS[-1].kill() if dies else app.p.terminate()  # weston, and XWayland with it
        app.ends(int(dies))
        app.saved(f'{env}, {end}: settings saved', Window_Calc_SaveWindowPos='1', **({} if x11 else PLACE))
        if dies:
            start_weston()


sys.exit(t.main([wayland_sessions], start_weston))
