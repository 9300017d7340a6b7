#!/usr/bin/python3
"""The real mochiten.exe under Wine on a private Xvfb with icewm, whose tray takes Wine's tray icons; menu entries
clicked, the registry read back with Wine's own `reg`. Args: PATH/TO/mochiten.exe [CASE ...]"""
import contextlib, os, re, shutil, subprocess, sys
from pathlib import Path
import test_desktop as T
from Xlib import X

WINE = shutil.which('wine64') or shutil.which('wine') or '/usr/lib/wine/wine64'  # Debian's wine64: off the PATH
WINESERVER = shutil.which('wineserver') or '/usr/lib/wine/wineserver'
KEY, RUN = r'HKCU\Software\HinokiWorks\Mochica', r'HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
T.ENV.update(WINEPREFIX=T.TMP + '/wine', WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml='), T.ENV.pop('QT_QPA_PLATFORM')  # Qt's own: windows
wine = lambda *a: subprocess.run([WINE, *map(str, a)], env=T.ENV, timeout=60, capture_output=True, text=True)
FIGURES = [(70, 100, 90), (135, 130, 60), (147, 160, 60)]  # About box: top, left, least ink of file version, OS, memory


def stored():  # the values under the key as {name: number}, or None when there is no key
    return None if (r := wine('reg', 'query', KEY)).returncode else {l[0]: int(l[2], 16) for l in map(str.split, r.stdout.splitlines()) if l[1:2] == ['REG_DWORD']}


def store(**values):
    wine('reg', 'delete', KEY, '/f'), [wine('reg', 'add', KEY, '/v', k, '/t', 'REG_DWORD', '/d', v, '/f') for k, v in values.items()]


def ink_width(box, top, left):  # how far dark pixels spread in 12 rows, from left to the panel's inner edge; 0: no box
    data = box.get_image(left, top, 292 - left, 12, X.ZPixmap, 0xffffffff).data if box else b''
    xs = [i // 4 % (292 - left) for i in range(0, len(data), 4) if sum(data[i:i + 3]) < 300]
    return max(xs, default=0) - min(xs, default=0)


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
        self.calc = self.calc or next((w for _, w in T.tree(T.ROOT) if self.mine(w) and T.name(w) == 'Mochiten V2'), None)
        return self.calc if title == T.CALC else super().window(title)

    def tray(self):  # Wine's explorer embeds the prefix's icons into the X tray; only ours is there
        return next((c for p, c in T.tree(T.ROOT) if p.id != T.ROOT.id and T.prop(c, '_XEMBED_INFO') is not None
                     and (c.get_wm_class() or ('',))[0] == 'explorer.exe' and T.state(c) == T.SHOWN), None)

    def pick(self, key, opener):  # a click on the entry: outside its virtual desktop Wine gives a menu no keys
        for attempt in range(4):  # again while no menu stays: under Wine it often closes as it opens if we were active
            opener()
            with contextlib.suppress(AssertionError):
                (x, y), h = T.wait('menu', lambda: (m := self.menu()) and (T.origin(m), m.get_geometry().height), timeout=3, hold=1.0)
                dy = 3 + (h - 15) * (2 * (i := 'cshae'.index(key)) + 1) // 10 + 9 * (i > 2)  # 5 alike, a separator of 9, margins of 3
                return T.run('xdotool', 'mousemove', x + 14, y + dy, 'click', 1), T.wait('menu closed', self.menu, None)
        raise AssertionError('no menu stayed open after four right clicks on the tray icon')

    def place(self):  # frame top and client left: Qt leaves out the side borders, invisible on Windows 10 (Wine draws them)
        w = self.state() == T.SHOWN and self.window()
        return (T.origin(w)[0] + (w.get_geometry().width - 137) // 2, T.origin(w)[1]) if w else 'not shown'


def version_resource():  # a value may be padded to a 4-byte boundary
    """The file carries the Japanese string table 041103A4 with FileVersion and ProductVersion of this build."""
    data, u, v = Path(T.BINARY).read_bytes(), lambda t: re.escape(t.encode('utf-16-le')), os.environ['MOCHITEN_VERSION']
    found = [k for k in ('FileVersion', 'ProductVersion') if re.search(u('041103A4\0') + b'.*?' + u(k + '\0') + b'(\0\0)?' + u(v + '\0'), data, re.S)]
    T.wait('version values after the string table', lambda: found, ['FileVersion', 'ProductVersion'], timeout=0)


def tray_mutex_registry():
    """A second start exits 1 (mutex) and shows the calculator (pipe); About shows its figures; Help; Exit saves, ends."""
    store(Window_Calc_OpenWindowAtBoot=1)
    app = WineApp()
    T.wait('tray icon', app.tray, timeout=30)
    T.wait('calculator when not to be shown at start', app.state, T.HIDDEN, hold=0.5)
    T.wait('exit code of a second start', WineApp().p.poll, 1, timeout=30)
    T.wait('calculator after the second start', app.state, T.SHOWN)
    app.pick('a', app.click_tray)
    T.wait('ink widths in the About box', lambda: [min(ink_width(app.window(T.ABOUT), t, l), w) for t, l, w in FIGURES], [w for *_, w in FIGURES], timeout=30)
    T.click_in(app.window(T.ABOUT), 152, 188), T.wait('About box after OK', lambda: app.state(T.ABOUT), T.HIDDEN)
    app.pick('h', app.click_tray)
    T.wait('help window', lambda: app.state('Mochiten ヘルプ'), T.SHOWN)
    app.pick('e', app.click_tray)
    T.wait('exit code and tray icon after Exit', lambda: (app.p.poll(), app.tray()), (0, None), timeout=30)
    v = stored() or {}
    T.wait('values written at exit', lambda: (len(v), v.get('NoMt'), v.get('Window_Log_Window_Width')), (12, 0, 200), timeout=0)


def stored_place_then_erased():
    """A stored place is used; ログオン時に起動する writes the Run value; 終了時レジストリ情報を消去 and Exit erase the key."""
    store(Window_Calc_Window_Left=200, Window_Calc_Window_Top=150)
    app = WineApp()
    T.wait('frame at the stored place', app.place, (200, 150), timeout=30, hold=0.3)
    app.pick('s', app.click_tray)
    dialog = T.wait('settings dialog', lambda: app.state(T.SETUP) == T.SHOWN and app.window(T.SETUP))
    T.click_in(dialog, 24, 156), T.click_in(dialog, *T.LOGON_BOX), T.click_in(dialog, *T.OK_BUTTON)  # erase, logon, OK
    T.wait('Run value after OK', lambda: f'"Z:{T.BINARY}"'.replace('/', '\\') in wine('reg', 'query', RUN).stdout, True)
    app.pick('e', app.click_tray)
    T.wait('exit code after Exit', app.p.poll, 0, timeout=30)
    T.wait('key after Exit with erase ticked', stored, None, timeout=0)


def keys_and_title_bar_in_virtual_desktop():
    """In Wine's virtual desktop a click and keys reach the title; a double click on its title bar hides it."""
    store()
    app = WineApp('explorer', '/desktop=mochiten,800x600', T.BINARY)
    w = T.wait('calculator in the virtual desktop', lambda: app.state() == T.SHOWN and app.window(), timeout=30)
    T.click_in(w, 24, 72)  # the 7 key, 20 pixels into the client area that Wine's frame starts at (4, 20)
    T.wait('title after a click on 7', app.title, '7')  # keys before Wine has made the calculator active are lost
    T.run('xdotool', 'windowfocus', '--sync', w.id)  # Wine may refuse the focus that icewm offers it for the click
    T.keys('plus 8 Return')
    T.wait('title after + 8 Return', app.title, '15')
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
