#!/usr/bin/python3
"""End to end: the real zovtray as a StatusNotifierItem on a private session
bus, with Debian's status-notifier-watcher as the watcher and this script as
the host (the panel). Reads the item's properties and menu back, clicks it,
switches a task from its menu, restarts the watcher, starts a second
zovtray, and ends the first from its menu.

Usage (under xvfb-run and dbus-run-session):
    sni_test.py path/to/zovtray output-folder
"""

import datetime
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
TITLE_PREFIX = "ZOV - Zovaro - V1.0-02 - "

zovtray, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
work = tempfile.mkdtemp(prefix="zov-sni-")
procs = []


def fail(text):
    print("sni: FAIL: " + text, file=sys.stderr)
    for name in ("zovtray.log", "watcher.log"):
        path = os.path.join(work, name)
        if os.path.exists(path):
            print("--- " + name, file=sys.stderr)
            print(open(path, errors="replace").read(), file=sys.stderr)
    sys.exit(1)


def cleanup():
    for p in procs:
        if p.poll() is None:
            p.kill()
            p.wait()
    shutil.rmtree(work, ignore_errors=True)


if not os.environ.get("DBUS_SESSION_BUS_ADDRESS") or not os.environ.get("DISPLAY"):
    print("sni: run under xvfb-run and dbus-run-session", file=sys.stderr)
    sys.exit(2)

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
signals = []  # (member, sender path) in order of arrival


def on_signal(_conn, sender, path, interface, member, params):
    signals.append((member, path, interface, params))


bus.signal_subscribe(None, ITEM, None, "/StatusNotifierItem", None,
                     Gio.DBusSignalFlags.NONE, on_signal)
bus.signal_subscribe(None, WATCHER, None, WATCHER_PATH, None,
                     Gio.DBusSignalFlags.NONE, on_signal)


def pump(seconds):
    """Runs the main context for about `seconds`, delivering signals."""
    end = time.monotonic() + seconds
    ctx = GLib.MainContext.default()
    while time.monotonic() < end:
        while ctx.pending():
            ctx.iteration(False)
        time.sleep(0.01)


def wait_for(what, test, seconds=10.0):
    end = time.monotonic() + seconds
    ctx = GLib.MainContext.default()
    while True:
        while ctx.pending():
            ctx.iteration(False)
        value = test()
        if value:
            return value
        if time.monotonic() > end:
            fail("timed out waiting for " + what)
        time.sleep(0.02)


def call(name, path, interface, method, args=None, reply=None, timeout=5000):
    return bus.call_sync(name, path, interface, method, args,
                         GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, timeout, None)


def has_owner(name):
    return call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "NameHasOwner", GLib.Variant("(s)", (name,)), "(b)")[0]


def watcher_get(prop):
    return call(WATCHER, WATCHER_PATH, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", (WATCHER, prop)), "(v)")[0]


def start_watcher():
    log = open(os.path.join(work, "watcher.log"), "a")
    p = subprocess.Popen(["status-notifier-watcher"], stdout=log, stderr=log)
    procs.append(p)
    wait_for("the watcher's name", lambda: has_owner(WATCHER))
    # This script is the panel: it registers as the host.
    call(WATCHER, WATCHER_PATH, WATCHER, "RegisterStatusNotifierHost",
         GLib.Variant("(s)", (host_name,)))
    return p


host_name = "org.kde.StatusNotifierHost-%d" % os.getpid()
call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
     GLib.Variant("(su)", (host_name, 4)), "(u)")

# A home with a few tasks of the last days: six names, so that "Switch to"
# shows the newest five.
home = os.path.join(work, "home")
data = os.path.join(home, ".local", "share", "Zovaro")
os.makedirs(data)
os.environ["HOME"] = home
for var in ("XDG_DATA_HOME", "XDG_CONFIG_HOME"):
    os.environ.pop(var, None)
now = datetime.datetime.now().astimezone().replace(microsecond=0)
tasks_old_to_new = ["Oldest", "Design", "Review", "Coding", "Support", "Newest"]
with open(os.path.join(data, "HOURS.TSK"), "w") as f:
    for i, task in enumerate(tasks_old_to_new):
        begin = now - datetime.timedelta(days=7 - i, hours=2)
        end = begin + datetime.timedelta(hours=1)
        f.write("%s   1.00     %s     %s\n" % (task, begin.isoformat(), end.isoformat()))
current_file = os.path.join(data, "CURRENT.TSK")
hours_file = os.path.join(data, "HOURS.TSK")

try:
    watcher = start_watcher()
    if not watcher_get("IsStatusNotifierHostRegistered"):
        fail("the watcher does not know the host")

    # --- start: registered, measured ---
    log = open(os.path.join(work, "zovtray.log"), "w")
    start = time.monotonic()
    zov = subprocess.Popen([zovtray], stdout=log, stderr=subprocess.STDOUT)
    procs.append(zov)
    item_name = wait_for(
        "the item's registration",
        lambda: next((s for s in watcher_get("RegisteredStatusNotifierItems")
                      if s.startswith("org.kde.StatusNotifierItem-%d-" % zov.pid)), None))
    registered_ms = int((time.monotonic() - start) * 1000)
    pump(0.5)
    rss = 0
    with open("/proc/%d/status" % zov.pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1])
    print("sni: item registered %d ms after start; resident memory %d KiB" % (registered_ms, rss))

    choice = open(os.path.join(work, "zovtray.log")).read()
    if "shown as a StatusNotifierItem" not in choice or choice.count("zovtray: shown") != 1:
        fail("the backend was not logged once on stderr: %r" % choice)

    def prop(name):
        return call(item_name, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                    GLib.Variant("(ss)", (ITEM, name)), "(v)")[0]

    expect = {"Category": "ApplicationStatus", "Id": "zovtray", "Title": "ZOV - Zovaro",
              "Status": "Active", "ItemIsMenu": False, "Menu": "/MenuBar"}
    for name, value in expect.items():
        if prop(name) != value:
            fail("%s is %r, not %r" % (name, prop(name), value))

    def tooltip():
        icon, pixmaps, title, text = prop("ToolTip")
        if title != "ZOV - Zovaro":
            fail("tooltip title %r" % title)
        return text

    def accent():
        """The figure's colour in the icon: 'green', 'red' or what it found."""
        pixmaps = prop("IconPixmap")
        if len(pixmaps) != 1:
            fail("%d pixmaps" % len(pixmaps))
        w, h, data_bytes = pixmaps[0]
        if (w, h) != (32, 32) or len(data_bytes) != w * h * 4:
            fail("pixmap %dx%d with %d bytes" % (w, h, len(data_bytes)))
        px = [tuple(data_bytes[i:i + 4]) for i in range(0, len(data_bytes), 4)]
        if px[0][0] != 0:
            fail("the corner is not transparent: %r" % (px[0],))
        # ARGB in network order: the accent colours are exact.
        if (255, 0x00, 0x40, 0x00) in px and (255, 0xFF, 0, 0) not in px:
            return "green"
        if (255, 0xFF, 0, 0) in px and (255, 0x00, 0x40, 0x00) not in px:
            return "red"
        return "unclear"

    if tooltip() != "DEFAULT - Sleeping" or accent() != "red":
        fail("fresh start shows %r, %s" % (tooltip(), accent()))

    # --- Activate toggles the dialog ---
    def dialog_windows():
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                            "^" + re.escape(TITLE_PREFIX)], capture_output=True, text=True)
        return r.stdout.split()

    call(item_name, "/StatusNotifierItem", ITEM, "Activate", GLib.Variant("(ii)", (0, 0)))
    wait_for("the dialog after Activate", dialog_windows)
    call(item_name, "/StatusNotifierItem", ITEM, "SecondaryActivate",
         GLib.Variant("(ii)", (0, 0)))
    wait_for("the dialog hidden after a second activation", lambda: not dialog_windows())

    # --- the menu ---
    def layout():
        _rev, root = call(item_name, "/MenuBar", MENU, "GetLayout",
                          GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")
        return root

    def entries(node):
        _id, _props, children = node
        return [(c[0], c[1], c[2]) for c in children]

    def labels(node):
        return [p.get("label", "-" if p.get("type") == "separator" else "")
                for _i, p, _c in entries(node)]

    root = layout()
    top = labels(root)
    if top != ["Sleeping", "_Open ZOV", "_Switch to", "Undo", "-", "E_xit"]:
        fail("menu %r" % top)
    if entries(root)[0][1].get("enabled", True):
        fail("the running line is clickable")
    switch = entries(root)[2]
    if switch[1].get("children-display") != "submenu":
        fail("'Switch to' is no sub-menu: %r" % (switch[1],))
    recent = [c[1]["label"] for c in switch[2]]
    if recent != ["Newest", "Support", "Coding", "Review", "Design"]:
        fail("'Switch to' lists %r" % recent)

    # --- a log-in (as another program would make it) reaches the panel ---
    login = now.replace(microsecond=0)
    with open(current_file, "w") as f:
        f.write("Coding %s ACTIVE\n" % login.isoformat())
    del signals[:]
    # Showing the dialog refreshes its page, and the page the item.
    call(item_name, "/StatusNotifierItem", ITEM, "Activate", GLib.Variant("(ii)", (0, 0)))
    wait_for("NewIcon and NewToolTip after the log-in",
             lambda: {"NewIcon", "NewToolTip"} <= {s[0] for s in signals})
    if not tooltip().startswith("Coding - Working ") or accent() != "green":
        fail("after a log-in the item shows %r, %s" % (tooltip(), accent()))
    wait_for("the dialog", dialog_windows)
    call(item_name, "/StatusNotifierItem", ITEM, "Activate", GLib.Variant("(ii)", (0, 0)))
    wait_for("the dialog hidden", lambda: not dialog_windows())

    root = layout()
    if not labels(root)[0].startswith("Coding - Working "):
        fail("running line %r" % labels(root)[0])
    switch = entries(root)[2]
    recent = [(c[0], c[1]["label"]) for c in switch[2]]
    if [r[1] for r in recent] != ["Newest", "Support", "Review", "Design", "Oldest"]:
        fail("while Coding runs, 'Switch to' lists %r" % recent)

    # --- a click on a recent task switches to it ---
    del signals[:]
    clicked = time.monotonic()
    call(item_name, "/MenuBar", MENU, "Event",
         GLib.Variant("(isvu)", (recent[2][0], "clicked", GLib.Variant("s", ""), 0)))
    wait_for("the switch to Review in CURRENT.TSK",
             lambda: re.match(r"Review \S+ ACTIVE", open(current_file).read()))
    closed = [l for l in open(hours_file) if l.startswith("Coding ")]
    if len(closed) != 2:
        fail("the running Coding session was not closed into HOURS.TSK: %r" % closed)
    wait_for("NewToolTip after the switch", lambda: "NewToolTip" in {s[0] for s in signals})
    print("sni: NewToolTip %d ms after the click on a task" %
          int((time.monotonic() - clicked) * 1000))
    # The icon stays green: a switch is no change of picture.
    if "NewIcon" in {s[0] for s in signals}:
        fail("NewIcon without a change of picture")
    if not tooltip().startswith("Review - Working 0.0h"):
        fail("after the switch the tooltip is %r" % tooltip())

    # --- the panel restarts: the item is registered again ---
    watcher.send_signal(signal.SIGTERM)
    watcher.wait(timeout=10)
    wait_for("the watcher's name to go", lambda: not has_owner(WATCHER))
    watcher = start_watcher()
    wait_for("the registration with the new watcher",
             lambda: item_name in watcher_get("RegisteredStatusNotifierItems"))

    # --- a second start shows the first one's dialog and ends ---
    second = subprocess.run([zovtray], capture_output=True, text=True, timeout=20)
    if second.returncode != 0:
        fail("the second start ended with %d: %s" % (second.returncode, second.stderr))
    if "shown as" in second.stderr:
        fail("the second start chose a tray of its own: %r" % second.stderr)
    wait_for("the first one's dialog after the second start", dialog_windows)
    items = watcher_get("RegisteredStatusNotifierItems")
    if len(items) != 1:
        fail("%d items registered: %r" % (len(items), items))
    if zov.poll() is not None:
        fail("the first zovtray ended")

    # --- "Exit" from the menu ---
    exit_id = next(i for i, p, _c in entries(layout()) if p.get("label") == "E_xit")
    call(item_name, "/MenuBar", MENU, "Event",
         GLib.Variant("(isvu)", (exit_id, "clicked", GLib.Variant("s", ""), 0)))
    try:
        status = zov.wait(timeout=10)
    except subprocess.TimeoutExpired:
        fail("zovtray still runs 10 s after Exit")
    if status != 0:
        fail("exit status %d" % status)
    wait_for("the item to leave the watcher",
             lambda: not watcher_get("RegisteredStatusNotifierItems"))
    if not re.match(r"Review \S+ ACTIVE", open(current_file).read()):
        fail("the running session did not survive the exit")
    print("sni: PASS")
finally:
    cleanup()
