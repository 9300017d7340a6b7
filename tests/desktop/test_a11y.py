#!/usr/bin/python3
"""The program as a screen reader (AT-SPI) and Orca, the X clipboard and the X server's pixels see it, on
test_desktop's desk and a session bus of its own. Args: as there"""
import fnmatch, os, platform, re, subprocess, sys, threading, tty
import test_desktop as t
from test_desktop import App, ENV, click_in, keys, run, spawn, wait

KEY_NAMES = ['オールクリア', '割る', '掛ける', '引く', *'789456123', '0', '小数点', '足す', 'イコール']


def orca():
    """Starts Orca with no speech server (nothing sounds) and its debug output on a terminal of ours, which it
    writes line by line; returns the list of what it sends to speech, one utterance an item, as they come."""
    master, slave = os.openpty()
    tty.setraw(slave)
    said, found = [], (re.search(rb"SPEECH OUTPUT: '(.*)'\{", l) for l in open(master, 'rb'))  # not its echo of keys: "'1 ' {"
    threading.Thread(target=lambda: [said.append(m[1].decode()) for m in found if m], daemon=True).start()
    t.SERVERS.append(spawn(['orca', '--debug-file', os.ttyname(slave)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           env=dict(ENV, XDG_RUNTIME_DIR=t.TMP + '/xdg', GSETTINGS_BACKEND='memory', LANGUAGE='C',
                                    LC_ALL='C.UTF-8', SPEECHD_CMD='/bin/false', SPEECHD_ADDRESS=f'unix_socket:{t.TMP}/no-speech')))
    wait('Orca started', lambda: said, ['Screen reader on.'], timeout=30)
    return said


def start_desk_and_bus():
    t.start_desk(), t.start_bus()
    ENV['QT_LINUX_ACCESSIBILITY_ALWAYS_ON'] = '1'
    os.environ.update({k: ENV[k] for k in ('DISPLAY', 'DBUS_SESSION_BUS_ADDRESS')})
    global pyatspi, GLib
    import pyatspi  # only now: it connects to the bus that it finds
    from gi.repository import GLib


def arrived(then=None):  # hands over the AT-SPI events that have come; returns then
    while GLib.MainContext.default().iteration(False):
        pass
    return then


def ours(app):
    return [a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == app.p.pid]


def screen_reader():
    """Each key is named for what it does; the window is named by the number shown, and each new one is announced.
    Orca speaks each new number once, and the number shown when the window gets the focus."""
    spoken = orca()
    heard = []  # the window's name at each accessible-name change, read as the change arrives
    pyatspi.Registry.registerEventListener(lambda e: heard.append(e.source.name), 'object:property-change:accessible-name')
    app = App()  # after the listener: the program asks at its start which events are listened for
    calc = wait('the calculator', lambda: next((w for a in ours(app) for w in a if w.name == app.title()), None))
    wait('names of the keys, in the order AC / * - 7 8 9 ...', lambda: [b.name for b in calc], KEY_NAMES)
    run('xdotool', 'windowactivate', app.window().id)  # before a key, or Orca takes the window in silence
    wait('Orca on the new calculator', lambda: ''.join(spoken[1:2]).startswith('Mochiten V2'), True, timeout=30)
    said = []
    for key, shown in [('BackSpace', '0'), ('1', '1'), ('2', '12'), ('plus 3', '3'), ('Return', '15')]:
        app.press(key), said.append(shown)
        wait(f'numbers announced, one a change, and spoken by Orca, after {key}', lambda: (arrived(heard), spoken[2:]),
             (said, said), timeout=30, hold=0.2)
    app.about()  # the About box takes the focus, and gives it back when closed
    run('xdotool', 'windowactivate', app.window().id)
    wait('Orca on the calculator focused again', lambda: spoken[-1], '15 frame.', timeout=30)


OWNER = '''import sys, time
from Xlib import X, display, protocol
d, mode = display.Display(), sys.argv[1]  # serves mode as the text, unless slow: "0.5" after a while; silent; or incr:
a, w = d.intern_atom, d.screen().root.create_window(0, 0, 1, 1, 0, 0)  # a transfer in parts, then one byte a part for ever
w.set_selection_owner(a('CLIPBOARD'), X.CurrentTime), d.sync(), print(flush=True)
while e := d.next_event():
    if e.type == X.SelectionRequest:  # says when it is asked
        print(flush=True)
        if mode != 'silent':
            time.sleep(0.3 if mode == 'slow' else 0)
            r, text = e.requestor, b'0.5' if mode == 'slow' else mode.encode()
            if mode == 'incr':
                r.change_attributes(event_mask=X.PropertyChangeMask)
            r.change_property(e.property, *((a('INCR'), 32, [1 << 30]) if mode == 'incr' else (a('ATOM'), 32, [a('UTF8_STRING')])
                                            if e.target == a('TARGETS') else (a('UTF8_STRING'), 8, text)))
            r.send_event(protocol.event.SelectionNotify(time=e.time, requestor=r, selection=e.selection, target=e.target,
                                                        property=e.property))
    elif e.type == X.PropertyNotify and e.state == X.PropertyDelete:
        e.window.change_property(e.atom, a('UTF8_STRING'), 8, b'1')
    d.flush()
'''
PASTES = [  # clipboard owner (None: the program, after a copy; else the text served or how it stalls), keys typed after
    # BackSpace, title then; the clipboard then holds the text served, or the title
    (None, '1 period 5 ctrl+c', '1.5'),  # copied: the clipboard then holds the title
    (None, '2 slash 8 Return ctrl+Insert', '0.25'),
    (' 0.25\n', '9 ctrl+v plus 1 Return', '1.25'),  # replaces the number being typed; blanks around are ignored
    ('7.', '1 plus 2 Return shift+Insert 5', '7.5'),  # after = a new number, whose point holds for what follows
    ('-3', '1 2 ctrl+v 3', '123'),  # refused whole: no partial paste, the entry stays
    ('1,234', '4 shift+Insert 5', '45'),  # a thousands separator, the point being '.' here
    ('slow', 'ctrl+v plus 1 Return', '1.5'),  # the keys typed after Ctrl+V wait for the text
    ('incr', 'ctrl+v 2', '2'),  # an endless transfer in parts is refused
    *[('silent', f'ctrl+v {n}', str(n)) for n in range(1, 6)],  # five times, each refused after a second
    ('silent', 'ctrl+v ctrl+v shift+Insert 6', '6'),  # typed while the first waits: refused with it, not a second each
]
STALLS = {'slow', 'incr', 'silent'}  # the title within 2 s then, as a paste waits a second at most


def owner(serves):  # a clipboard owner of ours, in the run's list of servers
    t.SERVERS.append(spawn([sys.executable, '-c', OWNER, serves], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
    t.SERVERS[-1].stdout.readline()  # the clipboard is the owner's
    return serves


def clipboard():
    """Ctrl+C and Ctrl+Insert copy the number shown; Ctrl+V and Shift+Insert type one from the clipboard. A clipboard
    owner that is slow, never answers or trickles an endless transfer holds no paste up for more than about a second,
    and the keys typed after it count in their order. A SIGTERM during a paste ends the program, saved."""
    app, serving = App(), None
    text = lambda: subprocess.run(['xclip', '-sel', 'clip', '-o'], env=ENV, capture_output=True).stdout.decode()
    for serves, typed, title in PASTES:
        serving = serving if serves in (None, serving) else owner(serves)
        app.press('BackSpace'), keys(typed)
        wait(f'{serves!r}: title after {typed}', app.title, title, timeout=2 if serves in STALLS else 8)
        if serves not in STALLS:
            wait(f'clipboard after {typed}', text, serves or title)
    owner('silent'), keys('shift+Insert'), t.SERVERS[-1].stdout.readline()  # the owner is being asked
    app.p.terminate(), wait('exit code after SIGTERM', app.p.poll, 0, timeout=2)
    app.saved('settings saved', Window_Calc_SaveWindowPos='1')


MENU = ['設定(S)...', 'ヘルプ(H)', 'バージョン情報(A)...', '終了(E)']
WINDOWS = [  # caption (None: the menu just opened), how it is opened (None: at start), the names, roles or lines that show
    ('Mochiten V2', None, KEY_NAMES),
    ('計算ログ', None, ['tool bar', 'ToolButton2', 'ToolButton3', 'text']),  # Window_Log_OpenWindowAtBoot=0
    (None, App.click_tray, ['計算(C)...', *MENU]),
    (None, App.calc_menu, ['ウィンドウを閉じる(C)', *MENU]),  # on a key
    ('設定', lambda app: app.pick('s'), ['OK', 'Cancel', '計算ウィンドウ', 'ウィンドウ位置の保存', 'ウィンドウ位置のリセット',
     '起動時にウィンドウを表示しない', 'ボタンをフラットにする', '「Mochiten」を常駐しない', '終了時レジストリ情報を消去', 'ログオン時に起動する']),
    ('バージョン情報', lambda app: app.pick('a'), ['Mochi', 'ten', 'Version ?*.?*', 'Copyright *', 'HinokiWorks', 'タスクバー常駐簡易電卓',
     'https://?*', '?*@?*', 'Windows Version:', platform.freedesktop_os_release()['NAME'] + '*', 'Total Physical Memory: ',
     '[0-9]* Bytes', 'OK']),
    ('Mochiten ヘルプ', lambda app: app.press('F1'), ['Mochiten ヘルプ', '目次']),
    ('form_Main', lambda app: App(args=['/debug']), ['Button1']),
]


def first_showings():
    """Each window at its first showing: what a user must see is showing by AT-SPI, and its pixels are no flat colour."""
    menus = []  # popup menus as they show: a menu is no child of the application
    pyatspi.Registry.registerEventListener(lambda e: e.detail1 and e.source.getRole() == pyatspi.ROLE_POPUP_MENU
                                           and menus.append(e.source), 'object:state-changed:showing')
    t.run('xdotool', 'mousemove', 1200, 500)  # on no window: a tool tip would paint over it
    app = App({'Window_Log_OpenWindowAtBoot': 0, 'Window_Log_Window_Left': 600, 'Window_Log_Window_Top': 500})  # clear of the calculator

    def showing(a):  # the names, roles and text lines of a and of what is below it, while they show
        if not {pyatspi.STATE_SHOWING, pyatspi.STATE_VISIBLE} <= set(a.getState().getStates()):
            return []
        lines = a.queryText().getText(0, -1).splitlines() if 'Text' in a.get_interfaces() else []
        return [a.name, a.getRoleName(), *lines, *(s for c in a for s in showing(c))]

    for caption, opener, texts in WINDOWS:
        menus.clear()
        shown = opener and opener(app) or app  # the instance whose window it is

        def missing():
            arrived()
            tops = menus[-1:] if caption is None else [w for a in ours(shown) for w in a if w.name == caption]
            seen = [s for top in tops for s in showing(top)]
            return [x for x in texts if not any(fnmatch.fnmatchcase(s, x) for s in seen)]
        wait(f'{caption or "menu"}: not showing', missing, [], timeout=20)
        w = wait(f'{caption or "menu"} on the X server', lambda: shown.menu() if caption is None else shown.window(caption))

        def colours():  # in the window's own pixels, up to 4
            data = w.get_image(0, 0, w.get_geometry().width, w.get_geometry().height, t.X.ZPixmap, 0xffffffff).data
            return min(len({data[i:i + 4] for i in range(0, len(data), 4)}), 4)
        wait(f'{caption or "menu"}: colours in its pixels', colours, 4, timeout=20)
        if caption is None:
            keys('Escape'), wait('menu closed', app.menu, None)

sys.exit(t.main([first_showings, clipboard, screen_reader], start_desk_and_bus))  # Orca last: it takes Insert
