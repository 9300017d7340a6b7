#!/usr/bin/python3
"""The calculator as a screen reader sees it through AT-SPI, on test_desktop's desk. Args: as there"""
import os, subprocess, sys
import test_desktop as t
from test_desktop import App, ENV, keys, spawn, wait

QUIET = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def screen_reader():
    """Each key is named for what it does; the window is named by the number shown, and each new one is announced."""
    os.mkdir(t.TMP + '/xdg', 0o700)  # a session bus of our own; its accessibility bus puts its socket here
    t.SERVERS.append(spawn(['dbus-daemon', '--session', '--nofork', f'--address=unix:path={t.TMP}/bus'],
                           env=dict(ENV, XDG_RUNTIME_DIR=t.TMP + '/xdg'), **QUIET))
    wait('session bus', lambda: os.path.exists(t.TMP + '/bus'))
    ENV.update(DBUS_SESSION_BUS_ADDRESS=f'unix:path={t.TMP}/bus', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
    os.environ.update({k: ENV[k] for k in ('DISPLAY', 'DBUS_SESSION_BUS_ADDRESS')})
    import pyatspi  # only now: it connects to the bus that it finds
    from gi.repository import GLib
    heard = []  # the window's name at each accessible-name change, read as the change arrives
    pyatspi.Registry.registerEventListener(lambda e: heard.append(e.source.name),
                                           'object:property-change:accessible-name')
    app = App()  # after the listener: the program asks at its start which events are listened for
    ours = lambda: [a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == app.p.pid]
    calc = wait('the calculator', lambda: next((w for a in ours() for w in a if w.name == app.title()), None))
    wait('names of the keys, in the order AC / * - 7 8 9 ...', lambda: [b.name for b in calc],
         ['オールクリア', '割る', '掛ける', '引く', *'789456123', '0', '小数点', '足す', 'イコール'])

    def announced():
        while GLib.MainContext.default().iteration(False):  # hands over the events that have come
            pass
        return heard
    said = []
    for key, shown in [('BackSpace', '0'), ('1', '1'), ('2', '12'), ('plus 3', '3'), ('Return', '15')]:
        app.press(key)
        said.append(shown)
        wait(f'numbers announced, one a change, after {key}', announced, said, hold=0.2)


if __name__ == '__main__':
    t.CASES = [screen_reader]
    sys.exit(t.main())
