#!/usr/bin/python3
"""The tray icon under lxqt-panel's StatusNotifierItem host, on a private Xvfb and session bus. Args: PATH/TO/mochiten"""
import test_desktop as t
from test_desktop import *


def start_bus_desk():
    t.start_x(), t.start_bus()
    Path(TMP, '.config/lxqt').mkdir(parents=True)
    Path(TMP, '.config/lxqt/panel.conf').write_text('[General]\npanels=p\n[p]\nplugins=s\n[s]\ntype=statusnotifier\n')


def start_panel():  # with the notifier area alone; lxqt-panel is the StatusNotifierWatcher too. Last of SERVERS.
    SERVERS.append(spawn(['lxqt-panel'], stderr=subprocess.DEVNULL))
    panel = wait('panel', lambda: next((w for _, w in t.tree(t.ROOT) if t.name(w) == 'LXQt Panel'), None), timeout=15)
    w, h = panel.get_geometry().width, panel.get_geometry().height
    def icon():  # the first pixel unlike the last, in our icon on the panel's only button; the panel paints no other
        pixels = panel.get_image(0, 0, w, h, X.ZPixmap, 0xffffffff).data
        return next((i // 4 % w for i in range(0, len(pixels), 4) if pixels[i:i + 3] != pixels[-4:-1]), None)
    return icon, lambda x, button: t.click_in(panel, x, h // 2, button)


def close(app):  # by the calculator's own menu: there is no window manager to give it the keyboard
    app.pick('c', app.calc_menu), wait('calculator after its menu closed it', app.state, HIDDEN)


def sni_tray():
    """Program first, panel restarted, panel first: our icon comes (2 s promised; a loaded machine gets more), the
    calculator stays; left click: calculator; right click: tray menu, Escape, Exit; with no panel: the calculator."""
    app = App({'Window_Calc_OpenWindowAtBoot': 1})
    for step in ('program first', 'panel restarted', 'panel first'):
        if step == 'panel first':
            wait('panel painted, empty', icon, None, timeout=15)
            app = App({'Window_Calc_OpenWindowAtBoot': 1})
        else:
            wait(f'{step}: calculator with no panel', app.state, SHOWN)
            icon, click = start_panel()
        x = wait(f'{step}: our icon in the panel', icon, timeout=5)
        if step != 'panel first':
            wait(f'{step}: calculator as the panel came', app.state, SHOWN, hold=0.5)
            close(app)
        wait(f'{step}: calculator before the clicks', app.state, HIDDEN, hold=0.5)
        ending = [(3, 'e', 'no window')] if step != 'program first' else []
        for button, key, calc in [(1, None, SHOWN), (3, 'Escape', SHOWN)] + ending:
            click(x, button)
            if key:
                wait('tray menu after a right click', lambda: app.menu(anyones=True)), keys(key)
            wait(f'{step}: tray menu after {key or "a left click"}', lambda: app.menu(anyones=True), None)
            wait(f'{step}: calculator after {key or "a left click"}', app.state, calc)
        if step == 'program first':
            close(app)
            stop(SERVERS.pop())
    app.ends(0)


sys.exit(t.main([sni_tray], start_bus_desk))
