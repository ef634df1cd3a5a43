#!/usr/bin/python3
"""The installed zovtray under Xvfb on a private session bus, twice:
without a panel it shows its window, whose class is the desktop entry's
StartupWMClass (so the dock ties the window to the menu entry); with a panel
(Debian's status-notifier-watcher, this script as the host) it shows its item,
whose IconName is the state icon the package installed in the hicolor theme.

Usage (under xvfb-run and dbus-run-session, with a fresh HOME):
    installed_tray.py /usr/bin/zovtray APP_ID WINDOW_TITLE_PREFIX
"""

import os
import subprocess
import sys
import time

from gi.repository import Gio, GLib

zovtray, app_id, title_prefix = sys.argv[1:4]
WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
procs = []


def fail(text):
    print("installed tray: FAIL: " + text, file=sys.stderr)
    sys.exit(1)


def wait_for(what, test, seconds=30.0):
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
        time.sleep(0.05)


def stop(p):
    p.terminate()
    try:
        p.wait(10)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()


def desktop_value(key):
    with open("/usr/share/applications/%s.desktop" % app_id) as f:
        for line in f:
            if line.startswith(key + "="):
                return line.strip().split("=", 1)[1]
    fail("the installed desktop entry has no " + key)


bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def call(name, path, interface, method, args=None, reply=None):
    return bus.call_sync(name, path, interface, method, args,
                         GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 5000, None)


try:
    # --- no panel: the window ---
    tray = subprocess.Popen([zovtray], stderr=open(os.path.join(os.environ["HOME"], "zovtray.log"), "w"))
    procs.append(tray)

    def window():
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                              "^" + title_prefix], capture_output=True, text=True).stdout
        return out.split()[0] if out.split() else None

    win = wait_for("the window titled %r" % title_prefix, window)
    wm_class = subprocess.run(["xprop", "-id", win, "WM_CLASS"], capture_output=True,
                              text=True).stdout
    instance = wm_class.split("=", 1)[1].split(",")[0].strip().strip('"')
    if instance != desktop_value("StartupWMClass"):
        fail("window class %r, the desktop entry says StartupWMClass=%s"
             % (wm_class.strip(), desktop_value("StartupWMClass")))
    stop(tray)
    print("installed tray: window shown, class %s" % instance)

    # --- a panel: the item, its icon by name ---
    host = "org.kde.StatusNotifierHost-%d" % os.getpid()
    call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
         GLib.Variant("(su)", (host, 4)), "(u)")
    watcher = subprocess.Popen(["status-notifier-watcher"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    procs.append(watcher)

    def has_watcher():
        return call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "NameHasOwner", GLib.Variant("(s)", (WATCHER,)), "(b)")[0]

    wait_for("the watcher", has_watcher)
    call(WATCHER, WATCHER_PATH, WATCHER, "RegisterStatusNotifierHost", GLib.Variant("(s)", (host,)))
    tray = subprocess.Popen([zovtray], stderr=subprocess.DEVNULL)
    procs.append(tray)

    def item():
        items = call(WATCHER, WATCHER_PATH, "org.freedesktop.DBus.Properties", "Get",
                     GLib.Variant("(ss)", (WATCHER, "RegisteredStatusNotifierItems")), "(v)")[0]
        return next((s for s in items if s.startswith("%s-%d-" % (ITEM, tray.pid))), None)

    name = wait_for("the item's registration", item)

    def prop(p):
        return call(name, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                    GLib.Variant("(ss)", (ITEM, p)), "(v)")[0]

    # A fresh home: nothing is recorded, the red state.
    if prop("IconName") != app_id + "-sleeping":
        fail("IconName is %r, not the installed %s-sleeping" % (prop("IconName"), app_id))
    if len(prop("IconPixmap")) != 1:
        fail("the item lost its pixmap, which panels without the theme draw")
    stop(tray)
    print("installed tray: item shown, IconName %s" % (app_id + "-sleeping"))
finally:
    for p in procs:
        if p.poll() is None:
            p.kill()
            p.wait()
