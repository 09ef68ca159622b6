"""What a running Qt program shows, read through the accessibility bus (AT-SPI over D-Bus).

Qt programs started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on a session bus publish their
widgets: role, name (a button's or label's text, a window's title), screen extents and states.
The walkthrough finds what to click there and reads what the operator would read.

    python3 a11y.py dump     prints every showing object of every program on the bus
"""
import sys

import dbus

ACC = "org.a11y.atspi.Accessible"
COMP = "org.a11y.atspi.Component"
TEXT = "org.a11y.atspi.Text"
PROPS = "org.freedesktop.DBus.Properties"

# AT-SPI state bits.
CHECKED = 4
ENABLED = 8
FOCUSED = 12
SELECTED = 23
SENSITIVE = 24
SHOWING = 25


class Node:
    def __init__(self, role, name, extents, states, text, children, app):
        self.role = role
        self.name = name
        self.x, self.y, self.w, self.h = extents
        self.states = states
        self.text = text
        self.children = children
        self.app = app

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

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()

    def find_all(self, role=None, name=None, showing=True):
        """Objects below (and including) this one with that role and name; a name ending
        in "*" matches as a prefix."""
        for node in self.walk():
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
        lines = ["%s%s %r %d %d %d %d%s%s" % ("  " * depth, self.role, self.name, self.x,
                                             self.y, self.w, self.h,
                                             "" if self.showing else " hidden",
                                             (" text=%r" % self.text) if self.text else "")]
        for child in self.children:
            lines += child.describe(depth + 1)
        return lines


class Bus:
    def __init__(self, session_address):
        session = dbus.bus.BusConnection(session_address)
        address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
            dbus_interface="org.a11y.Bus")
        self.bus = dbus.bus.BusConnection(str(address))

    def _node(self, name, path, depth, app):
        obj = self.bus.get_object(name, path, introspect=False)
        try:
            role = str(obj.GetRoleName(dbus_interface=ACC, timeout=5))
            label = str(obj.Get(ACC, "Name", dbus_interface=PROPS, timeout=5))
            raw = obj.GetState(dbus_interface=ACC, timeout=5)
            states = int(raw[0]) | (int(raw[1]) << 32)
            children = obj.GetChildren(dbus_interface=ACC, timeout=5)
        except dbus.DBusException:
            return None
        try:
            extents = tuple(int(v) for v in obj.GetExtents(dbus.UInt32(0), dbus_interface=COMP,
                                                            timeout=5))
        except dbus.DBusException:
            extents = (-1, -1, 0, 0)
        text = ""
        if role in ("text", "password text", "entry") and states & (1 << SHOWING):
            try:
                text = str(obj.GetText(0, -1, dbus_interface=TEXT, timeout=5))
            except dbus.DBusException:
                pass
        node = Node(role, label, extents, states, text, [], app)
        # Hidden windows and widgets are not walked into (a program keeps many of them).
        if depth == 0 or states & (1 << SHOWING):
            for child_name, child_path in children:
                child = self._node(str(child_name), str(child_path), depth + 1, app or label)
                if child is not None:
                    node.children.append(child)
        return node

    def applications(self):
        root = self.bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                                   introspect=False)
        apps = []
        try:
            entries = root.GetChildren(dbus_interface=ACC, timeout=5)
        except dbus.DBusException:
            return apps
        for name, path in entries:
            node = self._node(str(name), str(path), 0, None)
            if node is not None:
                apps.append(node)
        return apps

    def windows(self):
        """The showing top-level windows of every program, as nodes."""
        return [w for app in self.applications() for w in app.children if w.showing]


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
