"""What a running Qt program shows, read through the accessibility bus (AT-SPI over D-Bus).

Qt programs started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on a session bus publish their
widgets: role, name (a button's or label's text, a window's title), screen extents and states.
The walkthrough finds what to click there and reads what the operator would read.

Every property is asked for when first used and then kept: a Node is a snapshot taken bit by
bit, and a fresh look at the screen starts again from Bus.windows(). Popup menus are not
published (Qt leaves them out of the application's children).

    python3 a11y.py dump     prints every showing object of every program on the bus
"""
import sys

import dbus

ACC = "org.a11y.atspi.Accessible"
COMP = "org.a11y.atspi.Component"
TEXT = "org.a11y.atspi.Text"
PROPS = "org.freedesktop.DBus.Properties"
TIMEOUT = 10

# AT-SPI state bits.
CHECKED = 4
ENABLED = 8
SENSITIVE = 24
SHOWING = 25

# Objects whose children are many and rarely wanted: walked into only when those are asked for.
CONTAINERS = {"table": {"cell", "row header", "column header"}, "list": {"list item"}}


class Node:
    def __init__(self, bus, name, path, top=None):
        self._bus = bus
        self._obj = bus.get_object(name, path, introspect=False)
        self._cache = {}
        # The top-level window the object lies in: (title, x, y, width, height).
        self._top = top

    def _get(self, key, ask, default):
        if key not in self._cache:
            try:
                self._cache[key] = ask()
            except dbus.DBusException:
                self._cache[key] = default
        return self._cache[key]

    @property
    def role(self):
        return self._get("role", lambda: str(self._obj.GetRoleName(dbus_interface=ACC,
                                                                    timeout=TIMEOUT)), "")

    @property
    def name(self):
        return self._get("name", lambda: str(self._obj.Get(ACC, "Name", dbus_interface=PROPS,
                                                           timeout=TIMEOUT)), "")

    @property
    def states(self):
        def ask():
            raw = self._obj.GetState(dbus_interface=ACC, timeout=TIMEOUT)
            return int(raw[0]) | (int(raw[1]) << 32)
        return self._get("states", ask, 0)

    @property
    def extents(self):
        return self._get("extents", lambda: tuple(int(v) for v in self._obj.GetExtents(
            dbus.UInt32(0), dbus_interface=COMP, timeout=TIMEOUT)), (-1, -1, 0, 0))

    @property
    def text(self):
        """A text box's contents (a password box gives nothing)."""
        return self._get("text", lambda: str(self._obj.GetText(0, -1, dbus_interface=TEXT,
                                                               timeout=TIMEOUT)), "")

    @property
    def characters(self):
        """How many characters a text box holds (also a password box)."""
        return self._get("characters", lambda: int(self._obj.Get(
            TEXT, "CharacterCount", dbus_interface=PROPS, timeout=TIMEOUT)), -1)

    @property
    def children(self):
        def ask():
            top = self._top if self._top is not None else None
            kids = []
            for name, path in self._obj.GetChildren(dbus_interface=ACC, timeout=TIMEOUT):
                kids.append(Node(self._bus, str(name), str(path), top))
            return kids
        kids = self._get("children", ask, [])
        return kids

    @property
    def top(self):
        return self._top if self._top is not None else (self.name,) + self.extents

    x = property(lambda self: self.extents[0])
    y = property(lambda self: self.extents[1])
    w = property(lambda self: self.extents[2])
    h = property(lambda self: self.extents[3])

    def has(self, state):
        return bool(self.states & (1 << state))

    @property
    def showing(self):
        return self.has(SHOWING)

    @property
    def enabled(self):
        return self.has(ENABLED) and self.has(SENSITIVE)

    @property
    def checked(self):
        return self.has(CHECKED)

    @property
    def centre(self):
        return self.x + self.w // 2, self.y + self.h // 2

    def walk(self, role=None):
        """This object and the showing ones below it, in order."""
        yield self
        if not self.showing:
            return
        wanted = CONTAINERS.get(self.role)
        if wanted is not None and role not in wanted:
            return
        for child in self.children:
            yield from child.walk(role)

    def find_all(self, role=None, name=None, showing=True):
        """Objects below (and including) this one with that role and name; a name ending
        in "*" matches as a prefix."""
        for node in self.walk(role):
            if role is not None and node.role != role:
                continue
            if name is not None:
                if name.endswith("*"):
                    if not node.name.startswith(name[:-1]):
                        continue
                elif node.name != name:
                    continue
            if showing and not node.showing:
                continue
            yield node

    def find(self, role=None, name=None):
        return next(self.find_all(role, name), None)

    def labels(self):
        return [n.name for n in self.find_all("label")]

    def describe(self, depth=0):
        x, y, w, h = self.extents
        text = self.text if self.role == "text" and self.showing else ""
        lines = ["%s%s %r %d %d %d %d%s%s" % ("  " * depth, self.role, self.name, x, y, w, h,
                                             "" if self.showing else " hidden",
                                             (" text=%r" % text) if text else "")]
        if self.showing or depth == 0:
            for child in self.children:
                lines += child.describe(depth + 1)
        return lines


class Bus:
    def __init__(self, session_address):
        session = dbus.bus.BusConnection(session_address)
        address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
            dbus_interface="org.a11y.Bus")
        self.bus = dbus.bus.BusConnection(str(address))

    def applications(self):
        root = self.bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                                   introspect=False)
        try:
            entries = root.GetChildren(dbus_interface=ACC, timeout=TIMEOUT)
        except dbus.DBusException:
            return []
        return [Node(self.bus, str(name), str(path)) for name, path in entries]

    def windows(self):
        """The showing top-level windows of every program."""
        found = []
        for app in self.applications():
            for window in app.children:
                if window.showing:
                    window._top = (window.name,) + window.extents
                    found.append(window)
        return found


def main(argv):
    import os
    if argv[1:2] == ["dump"]:
        for app in Bus(os.environ["DBUS_SESSION_BUS_ADDRESS"]).applications():
            print("\n".join(app.describe()))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
