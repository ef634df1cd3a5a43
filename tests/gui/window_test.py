#!/usr/bin/python3
"""End to end: zovtray where there is no tray at all (no watcher, no X11
notification area, no window manager). The dialog must be an ordinary,
mapped window; its close box must not leave an unreachable process; a second
start must reach the first one; a panel that comes later gets the item.

Usage (under xvfb-run and dbus-run-session):
    window_test.py path/to/zovtray
"""

import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from gi.repository import Gio, GLib

zovtray = sys.argv[1]
work = tempfile.mkdtemp(prefix="zov-window-")
procs = []
TITLE = "^ZOV - Zovaro - V1.0-02 - "


def fail(text):
    print("window: FAIL: " + text, file=sys.stderr)
    log = os.path.join(work, "zovtray.log")
    if os.path.exists(log):
        print(open(log, errors="replace").read(), file=sys.stderr)
    sys.exit(1)


def wait_for(what, test, seconds=10.0):
    end = time.monotonic() + seconds
    while True:
        value = test()
        if value:
            return value
        if time.monotonic() > end:
            fail("timed out waiting for " + what)
        time.sleep(0.05)


def visible_windows():
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE],
                       capture_output=True, text=True)
    return r.stdout.split()


def xprop(window, prop):
    return subprocess.run(["xprop", "-id", window, prop], capture_output=True,
                          text=True).stdout


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def send_delete_window(window):
    """What a window manager sends for a click on the close box."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(None)
    if not dpy:
        fail("cannot open the display")
    ev = XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = int(window)
    ev.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    ev.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(dpy, int(window), 0, 0, ctypes.byref(ev))
    x11.XFlush(dpy)
    x11.XCloseDisplay(dpy)


try:
    home = os.path.join(work, "home")
    os.makedirs(home)
    os.environ["HOME"] = home
    for var in ("XDG_DATA_HOME", "XDG_CONFIG_HOME"):
        os.environ.pop(var, None)

    log = open(os.path.join(work, "zovtray.log"), "w")
    start = time.monotonic()
    zov = subprocess.Popen([zovtray], stdout=log, stderr=subprocess.STDOUT)
    procs.append(zov)
    window = wait_for("the window", visible_windows)[0]
    shown_ms = int((time.monotonic() - start) * 1000)
    print("window: shown %d ms after start" % shown_ms)
    choice = open(os.path.join(work, "zovtray.log")).read()
    if not re.search(r"^zovtray: shown as an ordinary window \(no StatusNotifierWatcher; "
                     r"no X11 notification area\)$", choice, re.M):
        fail("the choice was not logged: %r" % choice)

    kind = xprop(window, "_NET_WM_WINDOW_TYPE")
    if "_NET_WM_WINDOW_TYPE_NORMAL" not in kind:
        fail("not an ordinary window: " + kind)
    # Functions (second field) with minimise (0x8) and close (0x20).
    hints = re.search(r"= (0x[0-9a-f]+), (0x[0-9a-f]+),", xprop(window, "_MOTIF_WM_HINTS"))
    if not hints or int(hints.group(2), 16) & 0x28 != 0x28:
        fail("no minimise or close box: " + xprop(window, "_MOTIF_WM_HINTS"))
    state = xprop(window, "_NET_WM_STATE")
    for bad in ("_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_ABOVE"):
        if bad in state:
            fail("window state has %s: %s" % (bad, state))

    # The close box: the window stays reachable (a window manager would
    # iconify it; here nothing takes it off the screen) and the program runs.
    send_delete_window(window)
    time.sleep(1.0)
    if zov.poll() is not None:
        fail("closing the window ended the program with %d" % zov.returncode)
    if window not in visible_windows():
        fail("closing the window hid it: the program is out of reach")

    # A second start reaches the first one and ends.
    second = subprocess.run([zovtray], capture_output=True, text=True, timeout=20)
    if second.returncode != 0 or "shown as" in second.stderr:
        fail("second start: status %d, %r" % (second.returncode, second.stderr))
    if visible_windows() != [window]:
        fail("windows after a second start: %r" % visible_windows())
    if zov.poll() is not None:
        fail("the first one ended")
    # A panel comes late (at log-in it starts beside the program): the
    # item is registered with it, and the window stays.
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    watcher_log = open(os.path.join(work, "watcher.log"), "w")
    watcher = subprocess.Popen(["status-notifier-watcher"], stdout=watcher_log,
                               stderr=watcher_log)
    procs.append(watcher)

    def dbus(name, path, interface, method, args, reply):
        return bus.call_sync(name, path, interface, method, args,
                             GLib.VariantType(reply) if reply else None,
                             Gio.DBusCallFlags.NONE, 5000, None)

    def watcher_up():
        try:
            dbus("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                 "org.freedesktop.DBus.Properties", "Get",
                 GLib.Variant("(ss)", ("org.kde.StatusNotifierWatcher", "ProtocolVersion")),
                 "(v)")
            return True
        except GLib.Error:
            return False

    wait_for("the watcher", watcher_up)
    dbus("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
         "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierHost",
         GLib.Variant("(s)", ("org.kde.StatusNotifierHost-%d" % os.getpid(),)), None)

    def items():
        return dbus("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                    "org.freedesktop.DBus.Properties", "Get",
                    GLib.Variant("(ss)", ("org.kde.StatusNotifierWatcher",
                                          "RegisteredStatusNotifierItems")), "(v)")[0]

    wait_for("the item with the late panel",
             lambda: any(i.startswith("org.kde.StatusNotifierItem-%d-" % zov.pid)
                         for i in items()))
    if "shown as a StatusNotifierItem too" not in open(os.path.join(work, "zovtray.log")).read():
        fail("the late item was not logged")
    if visible_windows() != [window]:
        fail("the window went with the late panel")
    print("window: PASS")
finally:
    for p in procs:
        if p.poll() is None:
            p.kill()
            p.wait()
    shutil.rmtree(work, ignore_errors=True)
