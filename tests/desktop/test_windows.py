#!/usr/bin/python3
"""The real mochiten.exe under Wine on a private Xvfb with icewm, whose tray takes Wine's tray icons: input
through XTest, windows read from the X server, the registry read back with Wine's own `reg`, the About box kept as
a picture (about-wine.png in the working folder). Args: PATH/TO/mochiten.exe [CASE ...]"""
import os, re, shutil, subprocess, sys, time, zlib, struct
from pathlib import Path
import test_desktop as T
from Xlib import X

# Debian's wine64 alone keeps its programs off the PATH.
WINE = shutil.which('wine64') or shutil.which('wine') or '/usr/lib/wine/wine64'
WINESERVER = shutil.which('wineserver') or '/usr/lib/wine/wineserver'
KEY = r'HKCU\Software\HinokiWorks\Mochica'
PREFIX = T.TMP + '/wine'  # the harness removes TMP, prefix and all
T.ENV.update(WINEPREFIX=PREFIX, WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=')
del T.ENV['QT_QPA_PLATFORM']  # the program's own: windows


def wine(*args, check=True):
    return subprocess.run([WINE, *map(str, args)], env=T.ENV, check=check, timeout=60, capture_output=True, text=True)


def stored():
    """The values under the key as {name: number}, or None when there is no key."""
    r = wine('reg', 'query', KEY, check=False)
    if r.returncode:
        return None
    rows = [l.split() for l in r.stdout.splitlines()]
    return {row[0]: int(row[2], 16) for row in rows if len(row) == 3 and row[1] == 'REG_DWORD'}


def store(**values):
    wine('reg', 'delete', KEY, '/f', check=False)
    for k, v in values.items():
        wine('reg', 'add', KEY, '/v', k, '/t', 'REG_DWORD', '/d', v, '/f')


class WineApp(T.App):
    """mochiten.exe started by Wine, whose process keeps the pid that Wine gives its windows (_NET_WM_PID)."""

    def __init__(self, *command):
        self.dir, self.calc, self.command = T.TMP, None, command
        with open(self.dir + '/log', 'ab') as log:
            self.p = T.spawn([WINE, *command] if command else [WINE, T.BINARY], stdout=log, stderr=subprocess.STDOUT)
        T.STARTED.append(self)

    def mine(self, w):  # started through Wine's explorer, the program is known by its windows' class
        return super().mine(w) or (len(self.command) > 1 and (w.get_wm_class() or ('',))[0] == 'mochiten.exe')

    def window(self, title=T.CALC):
        if title != T.CALC:
            return super().window(title)
        # Wine marks no window type; the calculator is known by its first title and keeps its X window.
        self.calc = self.calc or next((w for _, w in T.tree(T.ROOT) if self.mine(w) and T.name(w) == 'Mochiten V2'), None)
        return self.calc

    def tray(self):
        """Wine's explorer embeds the icons of a prefix into the X tray; ours is the one while this runs."""
        return next((c for p, c in T.tree(T.ROOT) if p.id != T.ROOT.id and T.prop(c, '_XEMBED_INFO') is not None
                     and (c.get_wm_class() or ('',))[0] == 'explorer.exe' and T.state(c) == T.SHOWN), None)

    def pick(self, key, opener):
        """As the harness's, with the right click sent again when no menu came: under load Wine's tray may drop one."""
        T.wait('no menu open yet', self.menu, False)
        for attempt in range(3):
            opener()
            try:
                T.wait('context menu', self.menu, True, timeout=5)
                break
            except AssertionError:
                if attempt == 2:
                    raise
        T.keys(key)
        T.wait('menu closed', self.menu, False)

    def place(self):
        """Where the calculator's frame, drawn by Wine in its X window, has its top and its client area its left edge:
        Qt puts the visible frame there, and Windows 10 draws the side borders invisible (Wine draws them)."""
        if self.state() != T.SHOWN:
            return 'not shown'
        (x, y), g = T.origin(self.window()), self.window().get_geometry()
        return x + (g.width - 137) // 2, y


def colours(window):
    g = window.get_geometry()
    data = window.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xffffffff).data
    return len({data[i:i + 3] for i in range(0, len(data), 4)})


def picture(window, path):
    """Keeps what window shows as a PNG for a person to read."""
    g = window.get_geometry()
    data = window.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xffffffff).data
    stride = len(data) // g.height
    rows = [data[y * stride:y * stride + g.width * 4] for y in range(g.height)]
    raw = b''.join(b'\0' + bytes(b for i in range(0, len(r), 4) for b in (r[i + 2], r[i + 1], r[i])) for r in rows)
    chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    Path(path).write_bytes(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', g.width, g.height, 8, 2, 0, 0, 0))
                           + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def version_resource():
    """The file carries the Japanese string table 041103A4 with FileVersion and ProductVersion of this build."""
    data, u = Path(T.BINARY).read_bytes(), lambda text: text.encode('utf-16-le')
    table = data.find(u('041103A4\0'))
    found = [k for k in ('FileVersion', 'ProductVersion')  # each value starts on a 4-byte boundary
             if re.search(re.escape(u(k + '\0')) + b'(\0\0)?' + re.escape(u(os.environ['MOCHITEN_VERSION'] + '\0')), data[table:])]
    T.wait('version values after the string table 041103A4', lambda: (table > 0, found), (True, ['FileVersion', 'ProductVersion']), timeout=0)


def tray_mutex_registry():
    """The calculator and the tray icon show; a second start exits 1 through the named mutex, the first runs on;
    Exit from the tray menu writes the twelve values and takes the icon away."""
    store()
    app = WineApp()
    T.wait('title of a new calculator', app.title, 'Mochiten V2', timeout=30)
    T.wait('tray icon', app.tray, timeout=15)
    second = WineApp()
    T.wait('exit code of a second start', second.p.poll, 1, timeout=30)
    T.wait('first instance after the second start', lambda: app.p.poll() is None and app.state(), T.SHOWN, hold=0.5)
    app.pick('e', app.click_tray)
    T.wait('exit code after Exit', app.p.poll, 0, timeout=30)
    T.wait('tray icon after Exit', app.tray, None)
    values = stored() or {}
    T.wait('values written at exit', lambda: (len(values), values.get('NoMt'), values.get('Window_Log_Window_Width')), (12, 0, 200), timeout=0)


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
    """In Wine's virtual desktop, which takes the X keyboard focus for all its windows, keys typed after a click reach
    the title; there Wine draws the title bar itself, and a double click on it hides the calculator."""
    store()
    app = WineApp('explorer', '/desktop=mochiten,800x600', T.BINARY)
    w = T.wait('calculator in the virtual desktop', lambda: app.state() == T.SHOWN and app.window(), timeout=30)
    T.click_in(w, 24, 72)  # the 7 key: 4 + 20 pixels into the client area Wine's frame leaves at (4, 20)
    T.wait('title after a click on 7', app.title, '7')
    T.keys('BackSpace 1 2 plus 3 Return')
    T.wait('title after BackSpace 12+3 Return', app.title, '15')
    T.run('xdotool', 'mousemove', '--window', w.id, 60, 8, 'click', '--repeat', 2, '--delay', 80, 1)
    T.wait('calculator after a double click on its title bar', app.state, T.HIDDEN)


def about_box():
    """The About box opens from the tray menu and paints; its picture is kept as about-wine.png for a person to read
    (Wine offers no accessibility interface to read its labels through). Not in the default run: under Wine 8 the
    program stops answering once the box is shown, and the box stays blank."""
    store()
    app = WineApp()
    T.wait('tray icon', app.tray, timeout=30)
    app.pick('a', app.click_tray)
    box = T.wait('about box', lambda: app.state(T.ABOUT) == T.SHOWN and app.window(T.ABOUT))
    # Painted: text, icon and links give it far more colours than a blank dialog has.
    try:
        T.wait('colours of the painted about box', lambda: min(colours(box), 40), 40, timeout=30, hold=1.0)
    finally:
        picture(box, 'about-wine.png')


class PrefixServer:
    """Stands in the harness's list of servers for every Wine process of this run's prefix, ended together."""
    def terminate(self):
        subprocess.run([WINESERVER, '--kill'], env=T.ENV, check=False, timeout=20)

    def wait(self, timeout=None):
        return subprocess.run([WINESERVER, '--wait'], env=T.ENV, check=False, timeout=timeout).returncode

    kill = terminate


def start_wine_desk():
    T.start_desk()
    T.SERVERS.append(PrefixServer())
    # Makes the prefix; its explorer stays, embedding tray icons into icewm's tray (and holding our pipes).
    subprocess.run([WINE, 'wineboot', '-i'], env=T.ENV, check=True, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


if __name__ == '__main__':
    cases = [version_resource, tray_mutex_registry, stored_place_then_erased, keys_and_title_bar_in_virtual_desktop]
    sys.exit(T.main(cases + [about_box] * any(a == 'about_box' for a in sys.argv[2:]), start_wine_desk))
