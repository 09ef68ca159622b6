#!/usr/bin/python3
"""The operator's walkthrough of Kestrel on a virtual X display, with real mouse and keyboard
input (xdotool), a screenshot of every step, and a check of every outcome.

    walkthrough.py BUILD_DIR [OUT_DIR]        (OUT_DIR defaults to BUILD_DIR/walkthrough)

Kestrel is started as scripts/run starts it, through scripts/launch, which prepares the program
folder (database, language and wave files, the sample fingers and blank cards of BUILD_DIR/demo),
registers the control and starts ./kestrel there; the program folder is a temporary one, so the
build's own stays as it is, and the registry, home and runtime folder are the walkthrough's own.
Fingers are pressed and cards put on the reader by clicking the virtual scanner window the
engine opens. What to click is found, and what the operator reads is read, through the
accessibility bus; the database and the card dump are checked directly. Everything started here
(the X server, the buses, Kestrel, the scanner window) is ended on exit, also when a step fails.
"""
import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing written into the source folder
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import a11y  # noqa: E402
import walkutil  # noqa: E402

SCREEN = (1280, 800)
PASSWORD = "907531"
NEW_PASSWORD = "Falcon2026"
IMAGES = "fingerprints/fvc2002_db4_b"
# The new person's left index finger (finger 2 on the hand picture): eight impressions of FVC
# finger 101 put into the scanner window's gallery as a finger of that person. It is enrolled
# from the first ones and identified from another; the card gets it too. The sample finger
# "Samuel Okafor - right thumb" belongs to nobody enrolled.
PERSON = {"user_id": "3001", "name": "Nora Lindqvist", "tel": "+46 8 555 0199",
          "email": "nora.lindqvist@example.com", "remark1": "Night shift"}
FINGER = 2
GALLERY_FINGER = "Nora Lindqvist - left index"
GALLERY_IMAGES = [(101, k) for k in range(1, 9)]
ENROLL_PRESSES = [1, 2, 3, 4, 5, 1, 2, 3, 4, 5]
IDENTIFY_PRESSES = [6, 7, 8]
CARD_PRESSES = [7, 8, 6]
STRANGER = "Samuel Okafor - right thumb"
STRANGER_PRESSES = [1, 2, 3]
CARD = "Card 1"
CARD_KEY = "123"

SCANNER = "Virtual scanner"
# No window manager: the walkthrough places the windows. Kestrel's main window (860 x 640) on the
# left, the scanner window (420 x 520) on the right, dialogs centred on the main window.
MAIN_AT = (0, 80)
MAIN_SIZE = (860, 640)
SCANNER_AT = (860, 140)

# Generous, and three times longer in a sanitizer build (see main()).
WINDOW_TIMEOUT = 90
PRESS_TIMEOUT = 90
SLOWNESS = 1


class StepFailed(Exception):
    pass


STARTED = time.monotonic()


def log(text):
    print("[%5.1f s] %s" % (time.monotonic() - STARTED, text), flush=True)


def wait_for(what, probe, timeout):
    """Polls probe() until it gives something true; raises StepFailed after timeout (times
    SLOWNESS)."""
    timeout *= SLOWNESS
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise StepFailed("timed out after %d s waiting for %s" % (timeout, what))
        time.sleep(0.25)


def read_language(path):
    """LANG_n texts of a Kestrel language file, as the program shows them."""
    texts = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"\s*LANG_(\d+)\s*=(.*)$", line.rstrip("\r\n"))
            if m:
                value = m.group(2).strip()
                if len(value) >= 2 and value[0] == value[-1] == '"':
                    value = value[1:-1]
                texts[int(m.group(1))] = value
    return texts


class Processes:
    """This process adopts every orphan of what it starts (a child subreaper), so that the
    buses' helpers, which leave their parents, are ended with the rest."""

    def __init__(self):
        PR_SET_CHILD_SUBREAPER = 36
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)

    @staticmethod
    def descendants():
        parents = {}
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as f:
                    stat = f.read()
            except OSError:
                continue
            fields = stat[stat.rfind(")") + 2:].split()
            parents[int(entry)] = int(fields[1])
        mine, frontier = set(), {os.getpid()}
        while frontier:
            frontier = {p for p, parent in parents.items() if parent in frontier} - mine
            mine |= frontier
        return mine

    def end_all(self):
        for sig, pause in ((signal.SIGTERM, 3.0), (signal.SIGKILL, 1.0)):
            pids = self.descendants()
            if not pids:
                break
            for pid in pids:
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            deadline = time.monotonic() + pause
            while time.monotonic() < deadline and self.descendants():
                self.reap()
                time.sleep(0.1)
        self.reap()

    @staticmethod
    def reap():
        while True:
            try:
                pid, _ = os.waitpid(-1, os.WNOHANG)
            except ChildProcessError:
                return
            if pid == 0:
                return


class Walkthrough:
    def __init__(self, build, out):
        self.build = os.path.abspath(build)
        self.bin = os.path.join(self.build, "bin")
        self.out = os.path.abspath(out)
        self.data = os.path.join(os.environ.get("LUMO_SOURCE_DIR") or
                                 os.path.join(os.path.dirname(__file__), "..", ".."),
                                 "..", "shared", "data")
        self.shots = 0
        self.procs = Processes()
        self.kestrel = None
        self.kestrel_log = None
        self.bus = None
        self.presses = 0
        self.title = None
        self.arranged = False
        self.x_windows = {}  # (title, x, y, width, height) -> X window id
        self.main_extents = None

    # --- set-up ------------------------------------------------------------------------

    def prepare(self):
        self.root = tempfile.mkdtemp(prefix="kestrel-walkthrough-")
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        env = dict(os.environ)
        for name in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                     "SESSION_MANAGER", "XAUTHORITY"):
            env.pop(name, None)
        folders = {name: os.path.join(self.root, name)
                   for name in ("home", "runtime", "registry", "program")}
        for path in folders.values():
            os.makedirs(path, mode=0o700)
        env.update(HOME=folders["home"], XDG_RUNTIME_DIR=folders["runtime"],
                   XDG_CONFIG_HOME=os.path.join(folders["home"], ".config"),
                   LUMO_REGISTRY=folders["registry"], LC_ALL="C.UTF-8")
        # Reports from inside the X keyboard library are not this system's (see tests/x11.supp).
        suppressions = "suppressions=" + os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                      os.pardir, "x11.supp")
        env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), suppressions]))
        self.env = env
        os.environ["LUMO_REGISTRY"] = folders["registry"]  # for walkutil
        self.folders = folders
        self.program = folders["program"]
        # The virtual sensor's feed folder when no setting names one.
        self.feed = os.path.join(folders["runtime"], "lumo-sensor", "feed")
        self.database = os.path.join(self.program, "LUMO.mdb")
        self.english = read_language(os.path.join(self.bin, "English.ini"))
        self.spanish = read_language(os.path.join(self.bin, "Spanish.ini"))
        # The new person's finger in the scanner window's gallery (fingers/ of the program
        # folder, which the launcher fills with the sample fingers).
        gallery = os.path.join(self.program, "fingers", GALLERY_FINGER)
        os.makedirs(gallery)
        for finger, impression in GALLERY_IMAGES:
            shutil.copy(os.path.join(self.data, IMAGES, "%d_%d.tif" % (finger, impression)),
                        os.path.join(gallery, "impression-%d.tif" % impression))

    def run(self, argv, **kw):
        result = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, **kw)
        if result.returncode != 0:
            raise StepFailed("%s failed (%d): %s" % (argv[0], result.returncode, result.stdout))
        return result.stdout

    def start_display(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % SCREEN, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), env=self.env, stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.out, "xvfb.log"), "w"))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self.xvfb.poll() is not None:
                raise StepFailed("Xvfb did not start (see xvfb.log)")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise StepFailed("Xvfb did not start (see xvfb.log)")
            number += chunk
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        log("display %s (%dx%d)" % ((self.env["DISPLAY"],) + SCREEN))

    def start_bus(self):
        read_end, write_end = os.pipe()
        self.dbus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile",
             "--print-address=%d" % write_end],
            pass_fds=(write_end,), env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            address = f.readline().strip()
        if not address:
            raise StepFailed("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        # Qt publishes its widgets on the accessibility bus only when asked to.
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["NO_AT_BRIDGE"] = "0"
        self.bus = a11y.Bus(address)

    def start_kestrel(self):
        """As scripts/run starts it: scripts/launch with the build's bin folder (here with a
        program folder of its own), which registers the control and starts ./kestrel."""
        launch = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                              "launch")
        if self.kestrel_log is None:
            self.kestrel_log = open(os.path.join(self.out, "kestrel.log"), "w")
        self.kestrel = subprocess.Popen(
            [launch, "--name", "scripts/run", self.bin, self.program], env=self.env,
            stdout=self.kestrel_log, stderr=subprocess.STDOUT)

    # --- looking and acting ----------------------------------------------------------------

    def windows(self):
        if self.kestrel is not None and self.kestrel.poll() is not None:
            raise StepFailed("Kestrel ended (exit status %d); see kestrel.log"
                             % self.kestrel.returncode)
        return self.bus.windows()

    def window(self, what, test, timeout=WINDOW_TIMEOUT):
        """The first showing window for which test(window) is true."""
        return wait_for(what, lambda: next((w for w in self.windows() if test(w)), None),
                        timeout)

    def gone(self, what, test, timeout=WINDOW_TIMEOUT):
        wait_for(what + " to close", lambda: not any(test(w) for w in self.windows()), timeout)

    def main_window(self):
        main = self.window("the main window", lambda w: w.role == "frame" and w.find("tool bar"))
        self.main_extents = main.extents
        return main

    def message_box(self, expected, timeout=WINDOW_TIMEOUT):
        """Waits for Kestrel's message box with that text; returns it. Kestrel's boxes have
        the program's title, as its login dialog has."""
        def is_box(w):
            return (w.role == "dialog" and w.name == self.title and
                    w.find("push button") is not None and
                    expected.strip() in [label.strip() for label in w.labels()])
        try:
            return self.window("the message \"%s\"" % expected.strip(), is_box, timeout)
        except StepFailed:
            shown = [" / ".join(label for label in w.labels() if label)
                     for w in self.windows() if w.role == "dialog"]
            raise StepFailed("expected the message \"%s\"; dialogs showing: %s"
                             % (expected.strip(), shown or "none"))

    def xdo(self, *args):
        self.run(["xdotool"] + [str(a) for a in args])

    def click(self, node, what=None):
        if node is None:
            raise StepFailed("nothing to click: %s" % what)
        if not node.enabled:
            raise StepFailed("%s is disabled" % (what or node.name))
        self.focus(node)
        x, y = node.centre
        self.click_at(x, y)

    def focus(self, node):
        """Gives the keyboard to the window the object lies in, as a click would with a window
        manager (without one, a click does not move the keyboard focus)."""
        top = node.top
        for attempt in (1, 2):
            wid = self.x_windows.get(top) if attempt == 1 else None
            if wid is None:
                wid = self.x_window(top)
                if wid is None:
                    return
                self.x_windows[top] = wid
            result = subprocess.run(["xdotool", "windowfocus", "--sync", wid], env=self.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if result.returncode == 0:
                return
            self.x_windows.pop(top, None)  # a window that has gone: look again

    def move_pointer(self, x, y):
        """Moves the pointer and waits until it is there (xdotool's --sync would wait for a
        motion that never comes when the pointer is there already)."""
        where = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=self.env,
                               stdout=subprocess.PIPE, text=True).stdout
        at = dict(line.split("=", 1) for line in where.split())
        if (int(at.get("X", -1)), int(at.get("Y", -1))) != (x, y):
            self.xdo("mousemove", "--sync", x, y)

    def click_at(self, x, y):
        self.move_pointer(x, y)
        time.sleep(0.1)
        self.xdo("click", "1")
        time.sleep(0.2)

    def type_text(self, text):
        self.xdo("type", "--delay", "20", text)
        time.sleep(0.1)

    def key(self, *keys):
        self.xdo("key", "--delay", "40", *keys)
        time.sleep(0.1)

    def type_into(self, box, text, what, secret=False):
        """Clicks into a text box, types, and checks that the box holds the text (a password
        box does not tell its text)."""
        if box is None:
            raise StepFailed("no text box for %s" % what)
        self.click(box, what)
        self.key("ctrl+a")
        self.type_text(text)
        if secret:
            def holds():
                for w in self.windows():
                    for n in w.find_all(box.role):
                        if (n.x, n.y) == (box.x, box.y) and n.characters == len(text):
                            return True
                return False
            wait_for("%s to hold %d characters" % (what, len(text)), holds, 20)
        else:
            def holds():
                for w in self.windows():
                    for n in w.find_all(box.role):
                        if (n.x, n.y) == (box.x, box.y) and n.text == text:
                            return True
                return False
            wait_for("%s to read \"%s\"" % (what, text), holds, 20)

    def field(self, window, label):
        """The text box to the right of a label on the same row."""
        caption = window.find("label", label)
        if caption is None:
            raise StepFailed("no label \"%s\"" % label)
        row = [n for n in window.find_all() if n.role in ("text", "password text")
               and abs(n.y - caption.y) <= 8 and n.x > caption.x]
        return min(row, key=lambda n: n.x) if row else None

    def x_window(self, top):
        """The X window of a top-level window (title, x, y, width, height): of the visible
        windows with that title, the one with that geometry (message boxes share the main
        window's title), else the newest."""
        title = top[0]
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                              "^%s$" % re.escape(title)],
                             env=self.env, stdout=subprocess.PIPE, text=True).stdout.split()
        for wid in out:
            shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], env=self.env,
                                   stdout=subprocess.PIPE, text=True).stdout
            geometry = dict(line.split("=", 1) for line in shell.split())
            if tuple(int(geometry.get(k, -1)) for k in ("X", "Y", "WIDTH", "HEIGHT")) == top[1:]:
                return wid
        return out[-1] if out else None

    def place(self, node, x=None, y=None):
        """Moves a window (there is no window manager); a dialog goes to the middle of the main
        window once the windows are arranged, of the screen before."""
        wid = self.x_window((node.name, node.x, node.y, node.w, node.h))
        if wid is None:
            raise StepFailed("no X window named \"%s\"" % node.name)
        if x is None:
            if self.arranged:
                x = MAIN_AT[0] + (MAIN_SIZE[0] - node.w) // 2
                y = MAIN_AT[1] + (MAIN_SIZE[1] - node.h) // 2
            else:
                x, y = (SCREEN[0] - node.w) // 2, (SCREEN[1] - node.h) // 2
        if (node.x, node.y) != (x, y):
            self.xdo("windowmove", "--sync", wid, x, y)
            time.sleep(0.4)
        return x, y

    def dialog(self, title, test=None):
        """Waits for the dialog with that title, puts it in its place and returns it."""
        def is_it(w):
            return w.role == "dialog" and w.name == title and (test is None or test(w))
        dialog = self.window("the dialog \"%s\"" % title, is_it)
        x, y = self.place(dialog)
        return self.window("the dialog \"%s\" in place" % title,
                           lambda w: is_it(w) and (w.x, w.y) == (x, y))

    def screenshot(self, name, pointer_away=True):
        self.shots += 1
        # The pointer off every window (no hover highlight; an open menu would lose its
        # highlighted item), and the last repaint.
        if pointer_away:
            # Over the empty end of the toolbar first: a toolbar button whose menu was used
            # keeps its highlight until the pointer crosses the main window again.
            if self.main_extents:
                x, y, w, _ = self.main_extents
                self.move_pointer(x + w - 30, y + 30)
                time.sleep(0.1)
            self.move_pointer(4, SCREEN[1] - 4)
        time.sleep(0.4)
        path = os.path.join(self.out, "%02d-%s.png" % (self.shots, name))
        self.run(["import", "-window", "root", path])
        log("  screenshot %s" % path)

    # The toolbar's menus, item by item (the accessibility bus does not publish popups).
    MENUS = {"Setting": ["Change Password", "Preferred Language"],
             "MF Card": ["Enroll FP into MF Card", "Verify FP from MF Card", "Empty MF Card",
                         "MF Card Key"]}

    def visible_x_windows(self):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "."],
                             env=self.env, stdout=subprocess.PIPE, text=True).stdout
        return set(out.split())

    def menu(self, button, item, shot=None):
        """Opens a toolbar menu with the mouse and picks the item with the arrow keys."""
        main = self.main_window()
        before = self.visible_x_windows()
        self.click(main.find("button menu", button), button)
        wait_for("the menu %s to open" % button, lambda: self.visible_x_windows() - before, 20)
        self.key(*["Down"] * (self.MENUS[button].index(item) + 1))
        if shot:
            self.screenshot(shot, pointer_away=False)
        self.key("Return")

    def sql(self, statement):
        return walkutil.sql(self.database, statement)

    # --- the virtual scanner window -------------------------------------------------------

    def scanner(self):
        return self.window("the virtual scanner window",
                           lambda w: w.name == SCANNER and w.find("list", "Finger images"))

    def arrange(self):
        """Once the scanner window is up: Kestrel on the left, the scanner on the right."""
        if self.arranged:
            return
        main = self.main_window()
        self.place(main, *MAIN_AT)
        self.place(self.scanner(), *SCANNER_AT)
        wait_for("the windows to be arranged",
                 lambda: (self.main_window().x, self.scanner().x) == (MAIN_AT[0], SCANNER_AT[0]),
                 20)
        self.arranged = True

    def gallery_index(self, label, impression):
        """Where the scanner window lists that image: fingers in name order (numbers by value),
        each finger's images in name order."""
        def natural(name):
            return [int(part) if part.isdigit() else part.lower()
                    for part in re.split(r"(\d+)", name)]
        folder = os.path.join(self.program, "fingers")
        index = 0
        for finger in sorted((f for f in os.listdir(folder) if not f.startswith(".")
                              and os.path.isdir(os.path.join(folder, f))), key=natural):
            images = sorted((i for i in os.listdir(os.path.join(folder, finger))
                             if not i.startswith(".")), key=natural)
            if finger == label:
                return index + impression - 1
            index += len(images)
        raise StepFailed("no finger \"%s\" in %s" % (label, folder))

    def press(self, label, impression):
        """Clicks the image in the scanner window's gallery (scrolled into view first) and waits
        until the sensor has taken the press."""
        index = self.gallery_index(label, impression)
        per_notch = None  # pixels one notch of the mouse wheel scrolls, once seen
        for _ in range(12):
            gallery = self.scanner().find("list", "Finger images")
            items = [n for n in gallery.children if n.role == "list item"]
            item = items[index]
            # The caption: the label (shortened, or split at " - "), then "impression N".
            lines = item.name.split("\n")
            if (lines[-1] != "impression %d" % impression
                    or not label.startswith(lines[0].rstrip("…"))):
                raise StepFailed("gallery image %d is %r, not %s impression %d"
                                 % (index, item.name, label, impression))
            below = item.y + item.h - (gallery.y + gallery.h)
            above = gallery.y - item.y
            if item.showing and below <= 0 and above <= 0:
                break
            distance = below if below > 0 else above
            notches = 1 if per_notch is None else max(1, -(-distance // per_notch))
            self.move_pointer(*gallery.centre)
            self.xdo("click", "--repeat", notches, "--delay", 30, "5" if below > 0 else "4")
            time.sleep(0.3)
            moved = abs(self.scanner().find("list", "Finger images").children[index].y - item.y)
            if moved:
                per_notch = max(1, moved // notches)
        else:
            raise StepFailed("the gallery does not scroll to %s impression %d" % (label, impression))
        if not item.enabled:
            raise StepFailed("the gallery is disabled: the scanner is not in use")
        self.click(item, "%s impression %d" % (label, impression))
        self.presses += 1
        log("    pressed %s, impression %d" % (label, impression))
        time.sleep(0.3)
        wait_for("the sensor to take %s impression %d" % (label, impression),
                 lambda: not [n for n in os.listdir(self.feed) if not n.startswith(".")],
                 PRESS_TIMEOUT)

    def put_card(self, name):
        """Selects the card on the scanner window's shelf and puts it on the reader."""
        scanner = self.scanner()
        self.click(scanner.find("list item", name), name)
        self.click(self.scanner().find("push button", "Put on reader"), "Put on reader")
        self.window("the card on the reader",
                    lambda w: w.name == SCANNER and w.find("list item", name + " (on the reader)*"))
        path = walkutil.reg_get("HKEY_LOCAL_MACHINE", "SOFTWARE\\FPEngine", "CardDump") or ""
        if os.path.realpath(path) != os.path.realpath(
                os.path.join(self.program, "cards", name + ".mfd")):
            raise StepFailed("the card on the reader is %r" % path)
        return path

    # --- the enrollment and capture dialogs of the control ---------------------------------

    def enroll_dialog(self):
        """The control's enrollment dialog; the scanner window opens with it the first time."""
        dialog = self.window("the enrollment dialog",
                             lambda w: w.role == "dialog" and w.find("push button", "OK")
                             and self.hand(w) is not None)
        self.arrange()
        return self.dialog(dialog.name, lambda w: self.hand(w) is not None)

    @staticmethod
    def hand(window):
        return next((n for n in window.find_all("filler") if (n.w, n.h) == (257, 150)), None)

    def enroll(self, dialog, finger_shots):
        """Clicks the finger on the hand picture and presses until the enrollment succeeds;
        clicks OK. finger_shots: screenshot names after the finger click, after two presses and
        on success (None: no screenshot)."""
        hand = self.hand(dialog)
        seed = {1: (99, 113), 2: (88, 53), 3: (66, 48), 4: (44, 42), 5: (19, 48)}[FINGER]
        hint_before = dialog.labels()
        self.click_at(hand.x + seed[0], hand.y + seed[1])
        dialog = self.window("the finger to be chosen",
                             lambda w: w.name == dialog.name and self.hand(w) is not None
                             and w.labels() != hint_before)
        if finger_shots[0]:
            self.screenshot(finger_shots[0])
        ok = None
        for n, impression in enumerate(ENROLL_PRESSES):
            before = dialog.labels()
            self.press(GALLERY_FINGER, impression)
            dialog = self.window("the enrollment dialog to take the press",
                                 lambda w: w.name == dialog.name and self.hand(w) is not None
                                 and (w.labels() != before or w.find("push button", "OK").enabled),
                                 PRESS_TIMEOUT)
            ok = dialog.find("push button", "OK")
            if n == 1 and not ok.enabled and finger_shots[1]:
                self.screenshot(finger_shots[1])
            if ok.enabled:
                break
            # A press of poor quality shows a cross for two seconds; a failed enrollment
            # starts over with a click on the finger.
            time.sleep(0.5)
            dialog = self.window("the enrollment dialog", lambda w: w.name == dialog.name
                                 and self.hand(w) is not None)
            counts = [n for n in dialog.find_all("label") if re.fullmatch(r"\d", n.name)]
            if not counts and not dialog.find("push button", "OK").enabled:
                log("  the enrollment failed; choosing the finger again")
                self.click_at(hand.x + seed[0], hand.y + seed[1])
        if ok is None or not ok.enabled:
            raise StepFailed("the enrollment did not succeed with %d presses"
                             % len(ENROLL_PRESSES))
        if finger_shots[2]:
            self.screenshot(finger_shots[2])
        self.click(ok, "OK")
        self.gone("the enrollment dialog", lambda w: w.name == dialog.name
                  and self.hand(w) is not None)

    def capture(self, label, impressions, shot=None):
        """In the control's capture dialog: presses until it closes with a capture."""
        def is_capture(w):
            return (w.role == "dialog" and w.name.startswith("Vantor Lumo")
                    and self.hand(w) is None and w.find("graphic") is not None)
        dialog = self.window("the capture dialog", is_capture)
        self.arrange()
        self.dialog(dialog.name, lambda w: self.hand(w) is None)
        if shot:
            self.screenshot(shot)
        for impression in impressions:
            self.press(label, impression)
            try:
                self.gone("the capture dialog", is_capture, 30)
                return
            except StepFailed:
                continue
        raise StepFailed("the capture dialog did not close after %d presses" % len(impressions))

    # --- the steps ---------------------------------------------------------------------

    def step_login(self):
        log("step: log in with the default password")
        login = self.window("the login dialog", lambda w: w.find("push button", "Login"))
        self.title = login.name
        self.type_into(login.find("text") or login.find("password text"), PASSWORD, "password", secret=True)
        self.screenshot("login")
        self.click(self.window("the login dialog", lambda w: w.find("push button", "Login"))
                   .find("push button", "Login"), "Login")
        main = self.main_window()
        self.gone("the login dialog", lambda w: w.find("push button", "Login"))
        persons = len(self.sql("SELECT ID FROM USERS"))
        total = main.find("label", str(persons))
        if total is None:
            raise StepFailed("the main window does not show the person count %d" % persons)
        self.screenshot("main-window")

    def step_add_person(self):
        log("step: add a person")
        main = self.main_window()
        self.click(main.find("push button", "Add"), "Add")
        main = self.window("the record to be editable",
                           lambda w: w.role == "frame" and w.find("push button", "Save")
                           and w.find("push button", "Save").enabled)
        for label, key in (("* User ID:", "user_id"), ("* Name:", "name"), ("Tel:", "tel"),
                           ("E-Mail:", "email"), ("Remark 1:", "remark1")):
            self.type_into(self.field(main, label), PERSON[key], label)
        self.screenshot("add-person")
        self.click(self.main_window().find("push button", "Save"), "Save")
        box = self.message_box(self.english[30])
        self.screenshot("save-question")
        self.click(box.find("push button", "Yes"), "Yes")
        main = self.window("the person in the grid",
                           lambda w: w.role == "frame" and w.find("cell", PERSON["user_id"])
                           and not w.find("push button", "Save").enabled)
        rows = self.sql("SELECT Name || '|' || Tel || '|' || Email || '|' || Remark1 FROM USERS "
                        "WHERE UserID = '%s'" % PERSON["user_id"])
        expected = "|".join(PERSON[k] for k in ("name", "tel", "email", "remark1"))
        if rows != [expected]:
            raise StepFailed("the database holds %r for the new person, not %r"
                             % (rows, expected))
        if main.find("label", str(len(self.sql("SELECT ID FROM USERS")))) is None:
            raise StepFailed("the person count did not grow")

    def select_person(self, user_id):
        main = self.main_window()
        cell = main.find("cell", user_id)
        self.click(cell, "the grid row of %s" % user_id)
        return self.window("person %s to be shown" % user_id,
                           lambda w: w.role == "frame" and w.find("tool bar")
                           and self.field(w, "* User ID:").text == user_id)

    def step_enroll(self):
        log("step: enroll finger %d of the person" % FINGER)
        main = self.select_person(PERSON["user_id"])
        self.click(main.find("push button", "Register"), "Register")
        dialog = self.enroll_dialog()
        self.enroll(dialog, ["enroll-choose-finger", "enroll-presses", "enroll-done"])
        self.main_window()
        rows = self.sql("SELECT t.TPL_INDEX FROM TEMPLATE t JOIN USERS u ON u.ID = t.USER_ID "
                        "WHERE u.UserID = '%s'" % PERSON["user_id"])
        if rows != [str(FINGER)]:
            raise StepFailed("the database holds fingers %r for the person, not [%d]"
                             % (rows, FINGER))

    def step_identify(self):
        log("step: identify the person from another impression")
        main = self.select_person("1001")
        self.click(main.find("push button", "Verify"), "Verify")
        self.capture(GALLERY_FINGER, IDENTIFY_PRESSES, "identify-press")
        templates = len(self.sql("SELECT ID FROM TEMPLATE"))
        main = self.window("the person to be identified",
                           lambda w: w.role == "frame" and w.find("tool bar")
                           and self.field(w, "* User ID:").text == PERSON["user_id"])
        counts = [n.name for n in main.find_all("label") if re.fullmatch(r"\d+/\d+", n.name)]
        if not counts or not counts[0].endswith("/%d" % templates):
            raise StepFailed("the comparison count reads %r, not n/%d" % (counts, templates))
        if self.field(main, "* Name:").text != PERSON["name"]:
            raise StepFailed("the identified person's name is not shown")
        self.screenshot("identified")

    def step_stranger(self):
        log("step: refuse a finger nobody enrolled")
        main = self.main_window()
        self.click(main.find("push button", "Verify"), "Verify")
        self.capture(STRANGER, STRANGER_PRESSES)
        box = self.message_box(self.english[34])
        self.screenshot("stranger-refused")
        self.click(box.find("push button", "OK"), "OK")
        self.gone("the message", lambda w: self.english[34] in w.labels())
        if self.field(self.main_window(), "* User ID:").text != PERSON["user_id"]:
            raise StepFailed("a refused finger moved the selection")

    def step_card_key(self):
        log("step: set the card key")
        self.menu("MF Card", "MF Card Key", "card-menu")
        dialog = self.dialog(self.english[50])
        self.type_into(dialog.find("text"), CARD_KEY, "the card key")
        self.screenshot("card-key")
        self.click(dialog.find("push button", self.english[42]), self.english[42])
        box = self.message_box(self.english[51])
        self.click(box.find("push button", "OK"), "OK")
        self.gone("the card key dialog", lambda w: w.name == self.english[50])
        key = walkutil.reg_get("HKEY_LOCAL_MACHINE", "SOFTWARE\\LUMO", "FPCardKey")
        if key != CARD_KEY:
            raise StepFailed("the stored card key is %r, not %r" % (key, CARD_KEY))

    def step_card_write(self):
        log("step: write the finger onto a blank card")
        self.card = self.put_card(CARD)
        self.screenshot("card-on-reader")
        self.menu("MF Card", "Enroll FP into MF Card")
        dialog = self.enroll_dialog()
        self.enroll(dialog, [None, None, None])  # as in the enrollment step
        title = self.english[58]
        dialog = self.dialog(title)
        self.type_into(dialog.find("text"), PERSON["user_id"], "the card's user id")
        blank = dialog.find("check box", self.english[70])
        self.click(blank, "New/blank MF Card")
        dialog = self.window("the box to be ticked",
                             lambda w: w.name == title and w.find("check box", self.english[70])
                             .checked)
        self.screenshot("card-write")
        self.click(dialog.find("push button", self.english[71]), "Enroll")
        box = self.message_box(self.english[59])
        self.screenshot("card-written")
        self.click(box.find("push button", "OK"), "OK")
        self.gone("the card writing dialog", lambda w: w.name == title)
        keys = walkutil.trailer_keys(self.card)
        if set(keys) != {CARD_KEY.encode().hex() + "ffffff"}:
            raise StepFailed("the card's sector keys are %s" % keys)
        header = walkutil.block(self.card, 1)[:6].hex()
        wanted = "6a01" + int(PERSON["user_id"]).to_bytes(4, "little").hex()
        if header != wanted:
            raise StepFailed("the card record starts %s, not %s" % (header, wanted))

    def step_card_verify(self):
        log("step: verify a finger against the card")
        self.menu("MF Card", "Verify FP from MF Card")
        self.capture(GALLERY_FINGER, CARD_PRESSES)
        title = self.english[73]
        dialog = self.dialog(title)
        self.click(dialog.find("push button", self.english[77]), "Verify")
        matched = self.english[83] + PERSON["user_id"]
        box = self.message_box(matched)
        self.screenshot("card-matched")
        self.click(box.find("push button", "OK"), "OK")
        dialog = self.window("the card verification dialog", lambda w: w.name == title)
        if matched not in dialog.labels():
            raise StepFailed("the dialog's status reads %r" % dialog.labels())
        self.focus(dialog)
        self.key("Escape")
        self.gone("the card verification dialog", lambda w: w.name == title)

    def step_card_empty(self):
        log("step: empty the card")
        self.menu("MF Card", "Empty MF Card")
        title = self.english[52]
        dialog = self.dialog(title)
        self.click(dialog.find("push button", self.english[57]), "Empty")
        box = self.message_box(self.english[85])
        self.screenshot("card-emptied")
        self.click(box.find("push button", "OK"), "OK")
        self.gone("the empty card dialog", lambda w: w.name == title)
        keys = walkutil.trailer_keys(self.card)
        if set(keys) != {"ffffffffffff"}:
            raise StepFailed("the emptied card's sector keys are %s" % keys)
        if walkutil.block(self.card, 1).hex() != "6a0100000000f0020fff000000000000":
            raise StepFailed("the emptied card's record is %s" % walkutil.block(self.card, 1).hex())
        for b in range(2, 64):
            if b % 4 != 3 and any(walkutil.block(self.card, b)):
                raise StepFailed("block %d of the emptied card is not zero" % b)

    def step_password(self):
        log("step: change the password")
        before = walkutil.reg_get("HKEY_LOCAL_MACHINE", "SOFTWARE\\LUMO", "Password")
        self.menu("Setting", "Change Password")
        title = self.english[44]
        dialog = self.dialog(title)
        for label, text in ((self.english[39], PASSWORD), (self.english[40], NEW_PASSWORD),
                            (self.english[41], NEW_PASSWORD)):
            self.type_into(self.field(dialog, label), text, label, secret=True)
        self.screenshot("change-password")
        self.click(dialog.find("push button", self.english[42]), "Change")
        box = self.message_box(self.english[51])
        self.click(box.find("push button", "OK"), "OK")
        self.gone("the password dialog", lambda w: w.name == title)
        after = walkutil.reg_get("HKEY_LOCAL_MACHINE", "SOFTWARE\\LUMO", "Password")
        if not after or after == before or NEW_PASSWORD in after:
            raise StepFailed("the stored password digest went from %r to %r" % (before, after))

    def step_language(self):
        log("step: switch to Spanish")
        self.menu("Setting", "Preferred Language")
        title = self.english[26]
        dialog = self.dialog(title)
        self.click(dialog.find("list item", "Spanish"), "Spanish")
        self.click(self.window("Spanish to be selected", lambda w: w.name == title)
                   .find("push button", self.english[27]), "Select")
        self.gone("the language dialog", lambda w: w.name == title)
        main = self.window("the Spanish texts",
                           lambda w: w.role == "frame" and w.find("push button", self.spanish[10]))
        for n in (10, 13, 15, 16, 17):
            if main.find("push button", self.spanish[n]) is None:
                raise StepFailed("no button \"%s\" after the switch" % self.spanish[n])
        if main.find("label", "* %s:" % self.spanish[1]) is None:
            raise StepFailed("the User ID label is not in Spanish")
        language = walkutil.reg_get("HKEY_LOCAL_MACHINE", "SOFTWARE\\LUMO", "Language") or ""
        if not language.endswith("Spanish.ini"):
            raise StepFailed("the stored language is %r" % language)
        self.screenshot("spanish")

    def exit_kestrel(self, texts):
        main = self.main_window()
        self.click(main.find("push button", texts[17]), "Exit")
        box = self.message_box(texts[28])
        buttons = list(box.find_all("push button"))
        self.click(buttons[0], "Yes")
        try:
            code = self.kestrel.wait(WINDOW_TIMEOUT * SLOWNESS)
        except subprocess.TimeoutExpired:
            raise StepFailed("Kestrel did not end after Exit")
        if code != 0:
            raise StepFailed("Kestrel ended with status %d" % code)
        self.kestrel = None

    def step_restart(self):
        log("step: restart; the old password is refused, the new one accepted, in Spanish")
        self.exit_kestrel(self.spanish)
        self.start_kestrel()
        login_button = self.spanish[36]
        login = self.window("the Spanish login dialog",
                            lambda w: w.find("push button", login_button))
        box = login.find("text") or login.find("password text")
        self.type_into(box, PASSWORD, "password", secret=True)
        self.click(login.find("push button", login_button), login_button)
        refused = self.message_box(self.spanish[38])
        self.screenshot("old-password-refused")
        self.click(next(refused.find_all("push button")), "OK")
        self.gone("the message", lambda w: self.spanish[38] in w.labels())
        self.type_into(box, NEW_PASSWORD, "password", secret=True)
        self.click(login.find("push button", login_button), login_button)
        main = self.window("the Spanish main window",
                           lambda w: w.role == "frame" and w.find("push button", self.spanish[10]))
        if main.find("cell", PERSON["user_id"]) is None:
            raise StepFailed("the new person is not in the grid after the restart")
        self.screenshot("restart-spanish")
        self.exit_kestrel(self.spanish)

    STEPS = ["login", "add_person", "enroll", "identify", "stranger", "card_key", "card_write",
             "card_verify", "card_empty", "password", "language", "restart"]

    def run_all(self):
        started = time.monotonic()
        try:
            self.prepare()
            self.start_display()
            self.start_bus()
            self.start_kestrel()
            for step in self.STEPS:
                getattr(self, "step_" + step)()
            log("walkthrough passed in %.0f s (%d presses on the scanner); %d screenshots in %s"
                % (time.monotonic() - started, self.presses, self.shots, self.out))
            return 0
        except StepFailed as failure:
            log("FAILED: %s" % failure)
            self.record_failure()
            return 1
        except Exception:
            import traceback
            log("FAILED:\n" + traceback.format_exc())
            self.record_failure()
            return 1
        finally:
            self.procs.end_all()
            if self.kestrel_log:
                self.kestrel_log.close()
            shutil.rmtree(getattr(self, "root", ""), ignore_errors=True)

    def record_failure(self):
        """The screen and what the accessibility bus shows, for the reader of the log."""
        try:
            path = os.path.join(self.out, "failure.png")
            subprocess.run(["import", "-window", "root", path], env=self.env, timeout=30)
            with open(os.path.join(self.out, "failure-widgets.txt"), "w") as f:
                for app in self.bus.applications():
                    f.write("\n".join(app.describe()) + "\n")
            log("the screen at the failure: %s (widgets: failure-widgets.txt)" % path)
        except Exception as e:  # the record is a courtesy; the failure is reported anyway
            log("(no failure record: %s)" % e)
        try:
            with open(os.path.join(self.out, "kestrel.log")) as f:
                tail = f.read()[-3000:]
            if tail:
                log("kestrel.log ends:\n" + tail)
        except OSError:
            pass


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    global SLOWNESS
    build = argv[1]
    out = argv[2] if len(argv) > 2 else os.path.join(build, "walkthrough")
    try:
        with open(os.path.join(build, "CMakeCache.txt")) as f:
            if re.search(r"^LUMO_SANITIZE:BOOL=(ON|TRUE|1)$", f.read(), re.M):
                SLOWNESS = 3
    except OSError:
        pass
    walk = Walkthrough(build, out)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    return walk.run_all()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
