#!/usr/bin/python3
"""The tray icon under lxqt-panel's StatusNotifierItem host, on a private Xvfb and session bus. Args: PATH/TO/mochiten"""
import test_desktop as t
from test_desktop import *
from gi.repository import Gio, GLib


def start_panel():  # with the notifier area alone; lxqt-panel is the StatusNotifierWatcher too
    t.start_x()
    SERVERS.append(spawn(['dbus-daemon', '--session', '--print-address', '--syslog-only'], stdout=subprocess.PIPE))
    ENV['DBUS_SESSION_BUS_ADDRESS'] = SERVERS[-1].stdout.readline().decode().strip()
    Path(TMP, '.config/lxqt').mkdir(parents=True)
    Path(TMP, '.config/lxqt/panel.conf').write_text('[General]\npanels=p\n[p]\nplugins=s\n[s]\ntype=statusnotifier\n')
    SERVERS.append(spawn(['lxqt-panel'], stderr=subprocess.DEVNULL))
    global BUS
    BUS = Gio.DBusConnection.new_for_address_sync(ENV['DBUS_SESSION_BUS_ADDRESS'], Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                                                  | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)


def watcher(name):  # a property of the StatusNotifierWatcher on our bus; None while there is none
    with contextlib.suppress(GLib.Error):
        return BUS.call_sync('org.kde.StatusNotifierWatcher', '/StatusNotifierWatcher', 'org.freedesktop.DBus.Properties', 'Get',
                             GLib.Variant('(ss)', ('org.kde.StatusNotifierWatcher', name)), None, 0, 5000).unpack()[0]


def sni_tray():
    """Icon in the panel, no calculator at start; left click: calculator; right click: tray menu, Escape, Exit."""
    # Qt looks for a host once, at the program's start: without one it never shows its icon in the panel.
    wait('StatusNotifierHost registered', lambda: watcher('IsStatusNotifierHostRegistered'), True, timeout=30)
    panel = wait('panel', lambda: next((w for _, w in t.tree(t.ROOT) if t.name(w) == 'LXQt Panel' and t.state(w) == SHOWN), None), timeout=30)
    w, h = panel.get_geometry().width, panel.get_geometry().height
    def icon():  # the first pixel unlike the last, in our icon on the panel's only button; the panel paints no other
        pixels = panel.get_image(0, 0, w, h, X.ZPixmap, 0xffffffff).data
        return next((i // 4 % w for i in range(0, len(pixels), 4) if pixels[i:i + 3] != pixels[-4:-1]), None)
    wait('panel empty', icon, None, timeout=30)
    app = App({'Window_Calc_OpenWindowAtBoot': 1})  # a sanitizer build on a busy machine takes its time
    wait('our item registered with the watcher', lambda: watcher('RegisteredStatusNotifierItems') or None, timeout=30)
    x = wait('our icon in the panel', icon, timeout=30)
    wait('calculator at start', app.state, HIDDEN, hold=0.5)
    for button, key, calc in [(1, None, SHOWN), (3, 'Escape', SHOWN), (3, 'e', 'no window')]:
        t.click_in(panel, x, h // 2, button)
        if key:
            wait('tray menu after a right click', lambda: app.menu(anyones=True)), keys(key)
        wait(f'tray menu after {key or "a left click"}', lambda: app.menu(anyones=True), None)
        wait(f'calculator after {key or "a left click"}', app.state, calc)
    app.ends(0)


sys.exit(t.main([sni_tray], start_panel))
