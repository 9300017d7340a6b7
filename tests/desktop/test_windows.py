#!/usr/bin/python3
"""The real mochiten.exe under Wine on a private Xvfb with icewm, whose tray takes Wine's tray icons; the registry
read back with Wine's own `reg`. Args: PATH/TO/mochiten.exe [CASE ...]"""
import os, re, shutil, subprocess, sys
from pathlib import Path
import test_desktop as T

WINE = shutil.which('wine64') or shutil.which('wine') or '/usr/lib/wine/wine64'  # Debian's wine64: off the PATH
WINESERVER = shutil.which('wineserver') or '/usr/lib/wine/wineserver'
KEY = r'HKCU\Software\HinokiWorks\Mochica'
T.ENV.update(WINEPREFIX=T.TMP + '/wine', WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')  # TMP goes at the end
del T.ENV['QT_QPA_PLATFORM']  # the program's own: windows
wine = lambda *a: subprocess.run([WINE, *map(str, a)], env=T.ENV, timeout=60, capture_output=True, text=True)


def stored():  # the values under the key as {name: number}, or None when there is no key
    r = wine('reg', 'query', KEY)
    return None if r.returncode else {l[0]: int(l[2], 16) for l in map(str.split, r.stdout.splitlines()) if l[1:2] == ['REG_DWORD']}


def store(**values):
    wine('reg', 'delete', KEY, '/f')
    for k, v in values.items():
        wine('reg', 'add', KEY, '/v', k, '/t', 'REG_DWORD', '/d', v, '/f')


class WineApp(T.App):
    """Started by Wine, whose process keeps the pid Wine gives its windows; or by Wine's explorer (command given)."""
    def __init__(self, *command):
        self.dir, self.calc, self.command = T.TMP, None, command
        with open(self.dir + '/log', 'ab') as log:
            self.p = T.spawn([WINE, *(command or [T.BINARY])], stdout=log, stderr=subprocess.STDOUT)
        T.STARTED.append(self)

    def mine(self, w):
        return super().mine(w) or (self.command and (w.get_wm_class() or ('',))[0] == 'mochiten.exe')

    def window(self, title=T.CALC):  # Wine marks no window type: the calculator is known by its first title
        if title != T.CALC:
            return super().window(title)
        self.calc = self.calc or next((w for _, w in T.tree(T.ROOT) if self.mine(w) and T.name(w) == 'Mochiten V2'), None)
        return self.calc

    def tray(self):  # Wine's explorer embeds the prefix's icons into the X tray; only ours is there
        return next((c for p, c in T.tree(T.ROOT) if p.id != T.ROOT.id and T.prop(c, '_XEMBED_INFO') is not None
                     and (c.get_wm_class() or ('',))[0] == 'explorer.exe' and T.state(c) == T.SHOWN), None)

    def pick(self, key, opener):  # the right click sent again when no menu came: under load Wine's tray may drop one
        for attempt in (1, 2, 3):
            opener()
            try:
                T.wait('context menu', self.menu, True, timeout=5)
                break
            except AssertionError:
                if attempt == 3:
                    raise
        T.keys(key)
        T.wait('menu closed', self.menu, False)

    def place(self):
        # Frame top and client left: Qt leaves out the side borders, invisible on Windows 10 (Wine draws them).
        (x, y), g = T.origin(self.window()), self.window().get_geometry()
        return (x + (g.width - 137) // 2, y) if self.state() == T.SHOWN else 'not shown'


def version_resource():
    """The file carries the Japanese string table 041103A4 with FileVersion and ProductVersion of this build."""
    data, u = Path(T.BINARY).read_bytes(), lambda text: re.escape(text.encode('utf-16-le'))
    table = data.find('041103A4\0'.encode('utf-16-le'))  # each value below starts on a 4-byte boundary
    found = [k for k in ('FileVersion', 'ProductVersion') if re.search(u(k + '\0') + b'(\0\0)?' + u(os.environ['MOCHITEN_VERSION'] + '\0'), data[table:])]
    T.wait('version values after the string table', lambda: (table > 0, found), (True, ['FileVersion', 'ProductVersion']), timeout=0)


def tray_mutex_registry():
    """Calculator and tray icon show; a second start exits 1 (mutex); Exit writes the twelve values, takes the icon."""
    store()
    app = WineApp()
    T.wait('title of a new calculator', app.title, 'Mochiten V2', timeout=30)
    T.wait('tray icon', app.tray, timeout=15)
    T.wait('exit code of a second start', WineApp().p.poll, 1, timeout=30)
    T.wait('first instance after the second start', lambda: app.p.poll() is None and app.state(), T.SHOWN, hold=0.5)
    app.pick('e', app.click_tray)
    T.wait('exit code after Exit', app.p.poll, 0, timeout=30)
    T.wait('tray icon after Exit', app.tray, None)
    v = stored() or {}
    T.wait('values written at exit', lambda: (len(v), v.get('NoMt'), v.get('Window_Log_Window_Width')), (12, 0, 200), timeout=0)


def stored_place_then_erased():
    """A stored place is used at the next start; 終了時レジストリ情報を消去 in the settings and Exit remove the key."""
    store(Window_Calc_Window_Left=200, Window_Calc_Window_Top=150)
    app = WineApp()
    T.wait('frame at the stored place', app.place, (200, 150), timeout=30, hold=0.3)
    app.pick('s', app.click_tray)
    dialog = T.wait('settings dialog', lambda: app.state(T.SETUP) == T.SHOWN and app.window(T.SETUP))
    T.click_in(dialog, 24, 156), T.click_in(dialog, *T.OK_BUTTON)  # 終了時レジストリ情報を消去, OK
    T.wait('settings dialog after OK', lambda: app.state(T.SETUP), T.HIDDEN)
    app.pick('e', app.click_tray)
    T.wait('exit code after Exit', app.p.poll, 0, timeout=30)
    T.wait('key after Exit with erase ticked', stored, None, timeout=0)


def keys_and_title_bar_in_virtual_desktop():
    """In Wine's virtual desktop (it holds the X focus) keys reach the title; a double click on its title bar hides it."""
    store()
    app = WineApp('explorer', '/desktop=mochiten,800x600', T.BINARY)
    w = T.wait('calculator in the virtual desktop', lambda: app.state() == T.SHOWN and app.window(), timeout=30)
    T.click_in(w, 24, 72)  # the 7 key, 20 pixels into the client area that Wine's frame starts at (4, 20)
    T.wait('title after a click on 7', app.title, '7')
    T.keys('BackSpace 1 2 plus 3 Return')
    T.wait('title after BackSpace 12+3 Return', app.title, '15')
    T.run('xdotool', 'mousemove', '--window', w.id, 60, 8, 'click', '--repeat', 2, '--delay', 80, 1)
    T.wait('calculator after a double click on its title bar', app.state, T.HIDDEN)


class PrefixServer:  # in the harness's list of servers: every Wine process of this run's prefix, ended together
    terminate = kill = lambda self: subprocess.run([WINESERVER, '--kill'], env=T.ENV, timeout=20)
    wait = lambda self, timeout=None: subprocess.run([WINESERVER, '--wait'], env=T.ENV, timeout=timeout).returncode


def start_wine_desk():
    T.start_desk()
    T.SERVERS.append(PrefixServer())  # the prefix's explorer stays, embedding tray icons (and holding our pipes)
    subprocess.run([WINE, 'wineboot', '-i'], env=T.ENV, check=True, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


if __name__ == '__main__':
    sys.exit(T.main([version_resource, tray_mutex_registry, stored_place_then_erased, keys_and_title_bar_in_virtual_desktop], start_wine_desk))
