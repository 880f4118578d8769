#!/usr/bin/python3
# The real ardenta driven through the desktop's accessibility bus (AT-SPI), as a screen reader
# or keyboard user drives it: only by what the bus shows, by its actions and by keys. It starts
# its own X server and session bus, so it runs the same on a desktop and in CI. Debian's
# /usr/bin/python3 has the modules it needs (python3-pyatspi, python3-gi, python3-dbus).

import collections
import configparser
import ctypes
import os
import select
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time

USAGE = "usage: accessibility.py ARDENTA SOURCE_DIR"
INNER = "ARDENTA_E2E_INNER"
STARTED = time.monotonic()


def step(text):
    print(f"[{time.monotonic() - STARTED:5.1f}s] {text}", flush=True)


class Failure(Exception):
    pass


# Ends a process we started, politely first.
def stop(process, grace=3):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


# ---- Outside: an X server and a session bus of our own ----


def start_xvfb():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
        chunk = os.read(read_end, 16) if ready else b""
        if not chunk:
            os.close(read_end)
            stop(xvfb)
            raise Failure("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return xvfb, ":" + number.decode().strip()


# Ends and reaps what the session left behind: daemons of the accessibility bus outlive their
# launcher, and came to us as their subreaper.
def end_adopted():
    for stat in os.listdir("/proc"):
        try:
            with open(f"/proc/{stat}/stat") as file:
                parent = int(file.read().rsplit(")", 1)[1].split()[1])
        except (OSError, ValueError, IndexError):
            continue
        if parent == os.getpid():
            os.kill(int(stat), signal.SIGKILL)
    while True:
        try:
            os.waitpid(-1, 0)
        except ChildProcessError:
            return


def outer(argv):
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER
    xvfb = session = None
    try:
        xvfb, display = start_xvfb()
        step(f"Xvfb on {display}")
        env = dict(os.environ, DISPLAY=display, **{INNER: "1"})
        for name in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY",
                     "XAUTHORITY"):
            env.pop(name, None)
        session = subprocess.Popen(["dbus-run-session", "--", sys.executable, *argv], env=env,
                                   start_new_session=True)
        try:
            return session.wait(100)
        except subprocess.TimeoutExpired:
            print("FAIL: the test did not finish in time", flush=True)
            return 1
    except Failure as failure:
        print(f"FAIL: {failure}", flush=True)
        return 1
    finally:
        if session is not None and session.poll() is None:
            os.killpg(session.pid, signal.SIGKILL)
            session.wait()
        stop(xvfb)
        end_adopted()


# ---- Inside: the program on the bus ----

KEYSYM = {"Return": 0xFF0D, "Escape": 0xFF1B, "Right": 0xFF53, "End": 0xFF57,
          "BackSpace": 0xFF08, "Menu": 0xFF67}


def language_pack(source_dir, code):
    pack = configparser.ConfigParser(interpolation=None, delimiters=("=",))
    pack.optionxform = str
    pack.read(os.path.join(source_dir, "resources", "lang", f"{code}.lang"), encoding="utf-8")
    return dict(pack["Text"])


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


# What a user of assistive technology reaches: windows, controls, actions and keys.
class Bus:

    def __init__(self):
        import pyatspi
        from gi.repository import Atspi, GLib
        self.at = pyatspi
        self.gone_error = GLib.GError  # asked an object that has gone away
        self.desktop = pyatspi.Registry.getDesktop(0)
        # Each question goes to the program: a cache would answer from missed events.
        self.desktop.set_cache_mask(Atspi.Cache.NONE)

    def wait(self, what, probe, timeout=10.0):
        deadline = time.monotonic() + timeout
        while True:
            try:
                found = probe()
            except self.gone_error:
                found = None
            if found:
                return found
            if time.monotonic() > deadline:
                raise Failure(f"timed out waiting for {what}")
            time.sleep(0.1)

    def application(self, process):
        def probe():
            if process.poll() is not None:
                raise Failure(f"the program ended with status {process.returncode}")
            return next((app for app in self.desktop
                         if app is not None and app.get_process_id() == process.pid), None)
        return self.wait("the program on the bus", probe, 20)

    def has(self, acc, state):
        return acc.getState().contains(state)

    def showing(self, acc):
        return self.has(acc, self.at.STATE_SHOWING)

    def windows(self, app):
        return [w for w in app if w is not None and self.showing(w)]

    # A top-level window by its title; the windows of our own are plain widgets (fillers).
    def window(self, app, name, role=None, timeout=10.0):
        return self.wait(
            f"the window {name!r}",
            lambda: next((w for w in self.windows(app)
                          if w.name == name and (role is None or w.getRole() == role)), None),
            timeout)

    def gone(self, acc, what):
        def probe():
            try:
                return not self.showing(acc)
            except self.gone_error:
                return True
        self.wait(f"{what} to close", probe)

    # Breadth-first, never into a table: a table's cells are read through its interface.
    def walk(self, root):
        queue = collections.deque([root])
        while queue:
            acc = queue.popleft()
            yield acc
            if acc.getRole() == self.at.ROLE_TABLE:
                continue
            for i in range(acc.childCount):
                child = acc.getChildAtIndex(i)
                if child is not None:
                    queue.append(child)

    def find(self, root, role, name=None):
        def probe():
            return next((a for a in self.walk(root) if a.getRole() == role and
                         (name is None or a.name == name) and self.showing(a)), None)
        return self.wait(f"a {self.at.Atspi.Role(role).value_nick} named {name!r}", probe)

    def focused(self, root, role):
        return next((a for a in self.walk(root)
                     if a.getRole() == role and self.has(a, self.at.STATE_FOCUSED)), None)

    def selected_rows(self, table):
        return {row for row in range(table.nRows) for col in range(table.nColumns)
                if table.isSelected(row, col)}

    # Opens a menu with open_it and returns it. Popups are not among an application's windows
    # on the bus: a screen reader learns of them from the event of their showing.
    def popup_menu(self, open_it):
        from gi.repository import GLib
        shown = []

        def note(event):
            if event.detail1 and event.source.getRole() == self.at.ROLE_POPUP_MENU:
                shown.append(event.source)

        def probe():
            while GLib.MainContext.default().iteration(False):
                pass
            return shown[-1] if shown else None
        self.at.Registry.registerEventListener(note, "object:state-changed:showing")
        try:
            open_it()
            return self.wait("a menu", probe)
        finally:
            self.at.Registry.deregisterEventListener(note, "object:state-changed:showing")

    def press(self, button):
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(names.index("Press") if "Press" in names else 0)

    def click(self, acc, button=1):
        x, y, width, height = acc.queryComponent().getExtents(self.at.DESKTOP_COORDS)
        self.at.Registry.generateMouseEvent(x + width // 2, y + height // 2, f"b{button}c")

    # Keys go where the focus is: grabs it, or clicks when the control will not take it. Without
    # a window manager the X server gives the keys to the window under the pointer.
    def focus(self, acc, what):
        x, y, width, height = acc.queryComponent().getExtents(self.at.DESKTOP_COORDS)
        self.at.Registry.generateMouseEvent(x + width // 2, y + height // 2, "abs")
        if not self.has(acc, self.at.STATE_FOCUSED):
            acc.queryComponent().grabFocus()
            try:
                self.wait(f"{what} to take the focus",
                          lambda: self.has(acc, self.at.STATE_FOCUSED), 2)
            except Failure:
                self.click(acc)
        self.wait(f"{what} to take the focus", lambda: self.has(acc, self.at.STATE_FOCUSED))

    def key(self, name):
        self.at.Registry.generateKeyboardEvent(KEYSYM[name], None, self.at.KEY_SYM)

    def type(self, text):
        self.at.Registry.generateKeyboardEvent(0, text, self.at.KEY_STRING)

    def text(self, acc):
        return acc.queryText().getText(0, -1)

    # The showing controls that take the focus but give a screen reader no name.
    def unnamed(self, window):
        found = []
        for acc in self.walk(window):
            states = acc.getState()
            if (states.contains(self.at.STATE_SHOWING) and
                    states.contains(self.at.STATE_FOCUSABLE) and not acc.name.strip()):
                found.append(acc.getRoleName())
        return found


# A private home, a SQLite database with a few people and notices, and the programs.
class Session:

    def __init__(self, ardenta, source_dir, folder):
        self.ardenta = ardenta
        self.source_dir = source_dir
        self.folder = folder
        self.database = os.path.join(folder, "ardenta.sqlite")
        self.processes = []
        self.env = dict(os.environ)
        for variable, sub in (("ARDENTA_HOME", "app"), ("XDG_STATE_HOME", "state"),
                              ("XDG_CONFIG_HOME", "config"), ("HOME", "home"),
                              ("XDG_RUNTIME_DIR", "runtime")):
            path = os.path.join(folder, sub)
            os.makedirs(path, mode=0o700)
            self.env[variable] = path
        with open(os.path.join(self.env["ARDENTA_HOME"], "SystemConfig.ini"), "w",
                  newline="\r\n") as config:
            config.write(f"[Notice]\nLocalPort={free_udp_port()}\n"
                         f"RemotePort={free_udp_port()}\nEncoding=UTF-8\n")

    def make_database(self, people, notices):
        subprocess.run([self.ardenta, "--init-db", "--connection", "sqlite:" + self.database],
                       env=dict(self.env, QT_QPA_PLATFORM="offscreen"), check=True,
                       stdout=subprocess.DEVNULL, timeout=30)
        with sqlite3.connect(self.database) as db:
            db.executemany("Insert Into Clerk (Clerk_NO, Clerk_Ext, Clerk_UserName, Clerk_Dept) "
                           "Values ('', '', ?, ?)", people)
            db.executemany("Insert Into Notice (Notice_DateTime, Notice_Publisher, "
                           "Notice_Content) Values (?, ?, ?)", notices)

    def sql(self, statement, *args):
        with sqlite3.connect(self.database) as db:
            return db.execute(statement, args).fetchall()

    def start(self, language, flag, edit=True):
        rights = ["--edit-staff", "--edit-notice"] if edit else []
        process = subprocess.Popen(
            [self.ardenta, "--connection", "sqlite:" + self.database, "--operator", "e2e",
             "--language", language, *rights, "--no-presence", "--flag", str(flag)],
            env=dict(self.env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
        self.processes.append(process)
        return process

    # A second host on the same database, its board open, that looks at the board every second
    # and prints what it finds (ARDENTA_BENCH_MARKS); ready once it knows the board.
    def start_colleague(self):
        config = os.path.join(self.env["XDG_CONFIG_HOME"], "ardenta")
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "ardenta.conf"), "w") as conf:
            conf.write("[Notice]\nCheckSeconds=1\n")
        process = subprocess.Popen(
            [self.ardenta, "--connection", "sqlite:" + self.database, "--operator", "bob",
             "--language", "ENG", "--no-presence", "--flag", "1"],
            env=dict(self.env, QT_QPA_PLATFORM="offscreen", ARDENTA_BENCH_MARKS="1"),
            stdout=subprocess.PIPE)
        self.processes.append(process)
        seen = os.path.join(self.env["XDG_STATE_HOME"], "ardenta", "seen.ini")
        deadline = time.monotonic() + 20
        while not os.path.exists(seen):
            if time.monotonic() > deadline or process.poll() is not None:
                raise Failure("the colleague's host did not start watching the board")
            time.sleep(0.1)
        return process

    # Waits for a line of the process's output that begins with line_start.
    @staticmethod
    def expect(process, line_start, what, timeout=15.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            *lines, process.rest = getattr(process, "rest", "").split("\n")
            for number, line in enumerate(lines):
                if line.startswith(line_start):
                    process.rest = "\n".join(lines[number + 1:] + [process.rest])
                    return
            if select.select([process.stdout], [], [], 0.2)[0]:
                process.rest += os.read(process.stdout.fileno(), 4096).decode()
        raise Failure(f"{what}: no line {line_start!r}")

    def ended(self, process):
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end when its window closed") from None

    def stop_all(self):
        for process in self.processes:
            stop(process)


def start_accessibility_bus():
    import dbus
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    bus = dbus.SessionBus()
    deadline = time.monotonic() + 10
    while not bus.name_has_owner("org.a11y.Bus"):
        if time.monotonic() > deadline or launcher.poll() is not None:
            stop(launcher)
            raise Failure("the accessibility bus did not start")
        time.sleep(0.05)
    return launcher


def inner(ardenta, source_dir):
    launcher = None
    with tempfile.TemporaryDirectory(prefix="ardenta-e2e-") as folder:
        session = Session(ardenta, source_dir, folder)
        try:
            launcher = start_accessibility_bus()
            step("accessibility bus up")
            Scenario(Bus(), session).run()
        finally:
            session.stop_all()
            stop(launcher)


# What a user of assistive technology does, and what only the real program on the bus shows: the
# names a screen reader reads in both languages, keys and the clipboard through X, a colleague's
# host, and the end of a session. What the windows do with the data is the window tests' part.
class Scenario:
    PEOPLE = [("Anna Berg", "Sales"), ("Carl Dahl", "Sales"), ("Eva Frost", "Stores")] + [
        (f"Person {i:02}", "Works") for i in range(60)]  # enough for a second report page
    NOTICES = [("2024-03-01 09:00:00", "anna", "Canteen closed on Friday"),
               ("2024-03-02 09:00:00", "carl", "New parking rules")]
    USERNAME = 4  # the grid's column after serial number, key, number and extension
    NOTICE = "Fire drill at ten"
    DRAFT = "Half-written: the lift"

    def __init__(self, bus, session):
        self.bus = bus
        self.at = bus.at
        self.session = session
        self.eng = language_pack(session.source_dir, "ENG")
        self.chs = language_pack(session.source_dir, "CHS")

    # A button's name as a screen reader reads it: the caption without its &.
    @staticmethod
    def caption(pack, text_id, suffix=""):
        return (pack[text_id] + suffix).replace("&", "")

    def button(self, window, name):
        return self.bus.find(window, self.at.ROLE_PUSH_BUTTON, name)

    # Answers the message box that says message.
    def answer(self, app, message, button):
        def probe():
            for alert in self.bus.windows(app):
                if alert.getRole() == self.at.ROLE_ALERT and any(
                        a.getRole() == self.at.ROLE_LABEL and a.name == message
                        for a in self.bus.walk(alert)):
                    return alert
            return None
        alert = self.bus.wait(f"the box saying {message!r}", probe)
        self.bus.press(self.button(alert, button))
        self.bus.gone(alert, f"the box {message!r}")

    def check_named(self, window, what):
        unnamed = self.bus.unnamed(window)
        if unnamed:
            raise Failure(f"{what}: focusable controls without a name: {', '.join(unnamed)}")
        step(f"{what}: every focusable control has a name")

    def check_grid_name(self, window, name, what):
        grid = self.bus.find(window, self.at.ROLE_TABLE)
        if grid.name != name:
            raise Failure(f"{what}: the grid is named {grid.name!r}, not {name!r}")
        return grid

    # The program as a user starts it, on its first window (flag 0 staff, 1 notices).
    def open(self, pack, flag, edit=True):
        process = self.session.start("ENG" if pack is self.eng else "CHS", flag, edit)
        app = self.bus.application(process)
        return process, app, self.bus.window(app, pack["0421" if flag == 0 else "0423"])

    # Exit, a question answered Yes when one is named, and the program ends with its window.
    def exit(self, process, app, window, pack, question=None):
        self.bus.press(self.button(window, self.caption(pack, "0082")))
        if question:
            self.answer(app, pack[question], "Yes")
        self.session.ended(process)

    def run(self):
        self.session.make_database(self.PEOPLE, self.NOTICES)
        step("database made")
        self.staff_window(self.eng, 2, ("E-17", "4711"))
        self.copy_from_menu()
        self.notice_board()
        self.staff_window(self.chs, 0, ("",))
        self.chinese_notices()

    # ---- The staff directory ----

    # From the keyboard onto a row's serial number, right into its first field, and Enter on to
    # the next: the editor tells a screen reader which cell it edits. Then the history windows
    # and the print preview; Exit asks about the typed cells.
    def staff_window(self, pack, row, typed):
        bus, at = self.bus, self.at
        process, app, window = self.open(pack, 0)
        grid = self.check_grid_name(window, pack["0421"], f"staff window {pack['0421']}")
        table = grid.queryTable()
        headers = [table.getColumnDescription(col) for col in range(table.nColumns)]
        bus.click(table.getAccessibleAt(row, 0))
        bus.wait("the grid to take the focus", lambda: bus.has(grid, at.STATE_FOCUSED))
        bus.key("Right")
        for col, value in zip((2, 3), typed):
            if col > 2:
                bus.key("Return")
            name = pack["0478"].replace("%1", headers[col]).replace("%2", str(row + 1))
            editor = bus.wait(f"the editor named {name!r}", lambda: next(
                (e for e in [bus.focused(window, at.ROLE_TEXT)] if e and e.name == name), None))
            if value:
                bus.type(value)
                bus.wait(f"{value!r} typed", lambda: bus.text(editor) == value)
        self.check_named(window, f"staff window {pack['0421']} while editing")
        self.history(app, table, row, pack, self.PEOPLE[row][0])
        self.print_preview(app, window, pack)
        self.exit(process, app, window, pack, "0490" if any(typed) else None)
        step("staff window closed")

    # Read-only, a cell goes to the X clipboard through the grid's menu, opened by the Menu key;
    # with the menu open every control still has a name.
    def copy_from_menu(self):
        bus, at, eng = self.bus, self.at, self.eng
        process, app, window = self.open(eng, 0, edit=False)
        table = self.check_grid_name(window, eng["0421"], "read-only staff window").queryTable()
        cell = table.getAccessibleAt(1, self.USERNAME)
        bus.click(cell)
        bus.wait("the clicked cell", lambda: bus.selected_rows(table) == {1})
        menu = bus.popup_menu(lambda: bus.key("Menu"))
        if menu.name != eng["0421"]:
            raise Failure(f"the grid's menu is named {menu.name!r}")
        self.check_named(menu, "the grid's menu")
        self.check_named(window, "read-only staff window with its menu open")
        bus.press(bus.find(menu, at.ROLE_MENU_ITEM, eng["0491"]))
        bus.gone(menu, "the grid's menu")

        def clipboard():
            return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                  text=True, timeout=5).stdout
        bus.wait(f"{cell.name!r} on the X clipboard", lambda: clipboard() == cell.name)
        step(f"Copy Cell put {cell.name!r} on the X clipboard")
        self.exit(process, app, window, eng)

    # The history windows from the grid's menu, opened by a right-click on a row: every control
    # named, Escape closes each.
    def history(self, app, table, row, pack, name):
        bus, at = self.bus, self.at
        for entry, title in (("0500", pack["0502"].replace("%1", name)), ("0501", pack["0503"])):
            menu = bus.popup_menu(lambda: bus.click(table.getAccessibleAt(row, self.USERNAME), 3))
            bus.press(bus.find(menu, at.ROLE_MENU_ITEM, pack[entry]))
            window = bus.window(app, title)
            grid = self.check_grid_name(window, title, title)
            self.check_named(window, title)
            bus.focus(grid, "the history's list")
            bus.key("Escape")
            bus.gone(window, title)
            step(f"{title}: closed by Escape")

    def print_preview(self, app, staff, pack):
        bus, at = self.bus, self.at
        bus.press(self.button(staff, self.caption(pack, "0159", "(P)")))
        preview = bus.window(app, pack["0159"])
        pages = self.bus.wait("the preview's page view", lambda: next(
            (a for a in bus.walk(preview) if a.name == pack["0479"] and
             bus.has(a, at.STATE_FOCUSABLE) and bus.showing(a)), None))
        number = bus.find(preview, at.ROLE_SPIN_BUTTON, pack["0480"])
        value = number.queryValue()
        bus.wait("the first page", lambda: value.currentValue == 1)
        self.check_named(preview, "print preview")
        bus.focus(pages, "the page view")
        bus.key("End")
        bus.wait("the last page", lambda: value.currentValue == value.maximumValue > 1)
        step(f"print preview shows, End went to page {int(value.currentValue)}")
        bus.key("Escape")
        bus.gone(preview, "the print preview")
        step("print preview closed by Escape")

    # ---- The notice board and its search ----

    # A notice typed and saved without the datagram: a colleague's host finds it on the board.
    def notice_board(self):
        bus, at, eng = self.bus, self.at, self.eng
        process, app, board = self.open(eng, 1)
        grid = self.check_grid_name(board, eng["0423"], "notice board")
        text = bus.find(board, at.ROLE_TEXT, eng["0477"])
        step("notice board open")

        colleague = self.session.start_colleague()
        bus.press(self.button(board, self.caption(eng, "0008", "(A)")))
        # Actions run after the bus has answered: type once Add has shown what it did.
        bus.wait("an empty text box with the focus",
                 lambda: bus.has(text, at.STATE_FOCUSED) and bus.text(text) == "")
        bus.type(self.NOTICE)
        bus.wait("the typed notice", lambda: bus.text(text) == self.NOTICE)
        bus.press(self.button(board, self.caption(eng, "0083")))
        self.answer(app, eng["0068"], "OK")
        self.answer(app, eng["0426"], "No")
        table = grid.queryTable()
        bus.wait("the new notice in the list", lambda: table.nRows == len(self.NOTICES) + 1)
        (saved,), = self.session.sql("Select Notice_ID From Notice Where Notice_Content = ?",
                                     self.NOTICE)
        self.session.expect(colleague, f"MARK found {saved} ", "the colleague's pop-up")
        self.session.expect(colleague, f"MARK board-row {saved} 1 ", "the colleague's board")
        stop(colleague)
        step("a colleague's host popped it up and put it at the top of his open board")

        bus.click(table.getAccessibleAt(table.nRows - 1, 0))
        bus.wait("the oldest notice", lambda: bus.text(text) == self.NOTICES[0][2])
        self.check_named(board, "notice board")
        self.search(app, board, eng)
        self.logged_out_while_composing(process, board, text)

    # The search window from the board: every control named, Exit closes it.
    def search(self, app, board, pack):
        self.bus.press(self.button(board, self.caption(pack, "0158", "(Q)")))
        search = self.bus.window(app, pack["0158"])
        self.check_grid_name(search, pack["0158"], f"search window {pack['0158']}")
        self.check_named(search, f"search window {pack['0158']}")
        self.bus.find(search, self.at.ROLE_TEXT, pack["0427"])
        self.bus.press(self.button(search, self.caption(pack, "0082")))
        self.bus.gone(search, "the search window")

    # The session ends (SIGTERM) while a notice is being composed: the program ends at once,
    # asking nothing, and the next board for this database and operator has the draft.
    def logged_out_while_composing(self, process, board, text):
        bus, at, eng = self.bus, self.at, self.eng
        bus.press(self.button(board, self.caption(eng, "0008", "(A)")))
        bus.wait("an empty text box", lambda: bus.text(text) == "")
        bus.focus(text, "the notice text")  # the board is not active since the search closed
        bus.type(self.DRAFT)
        bus.wait("the typed draft", lambda: bus.text(text) == self.DRAFT)
        begun = time.monotonic()
        process.send_signal(signal.SIGTERM)
        try:
            status = process.wait(5)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end on SIGTERM (a question waiting?)") from None
        if status != 0:
            raise Failure(f"the program ended with status {status} on SIGTERM")
        step(f"SIGTERM while composing: ended in {time.monotonic() - begun:.2f} s")
        state = os.path.join(self.session.env["XDG_STATE_HOME"], "ardenta")
        drafts = [name for name in os.listdir(state) if name.startswith("draft-")]
        if len(drafts) != 1 or os.stat(os.path.join(state, drafts[0])).st_mode & 0o077:
            raise Failure(f"the draft was not kept for the user alone: {drafts}")

        process, app, board = self.open(eng, 1)
        text = bus.find(board, at.ROLE_TEXT, eng["0477"])
        bus.wait("the draft back, being composed", lambda: bus.text(text) == self.DRAFT)
        self.exit(process, app, board, eng, "0424")
        step("the draft came back; notice board closed")

    def chinese_notices(self):
        chs = self.chs
        process, app, board = self.open(chs, 1)
        self.check_grid_name(board, chs["0423"], "notice board (CHS)")
        self.check_named(board, "notice board (CHS)")
        self.bus.find(board, self.at.ROLE_TEXT, chs["0477"])
        self.search(app, board, chs)
        self.exit(process, app, board, chs)
        step("Chinese windows checked")


def main():
    if len(sys.argv) != 3:
        sys.exit(USAGE)
    if not os.environ.get(INNER):
        return outer(sys.argv)
    # Whatever hangs, the programs started are still ended.
    signal.signal(signal.SIGALRM, lambda *_: sys.exit("FAIL: out of time"))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    signal.alarm(90)
    try:
        inner(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    except Failure as failure:
        print(f"FAIL: {failure}", flush=True)
        return 1
    step("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
