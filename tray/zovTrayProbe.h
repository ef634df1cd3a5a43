#pragma once
// Looks at what the desktop offers (a StatusNotifierWatcher with a host on
// the session bus, an X11 notification area) for choose_backend().

#include "zovTrayChoice.h"

struct _GDBusConnection;

namespace zovtray {

// The session bus shared by the whole program (a new reference), or null
// where there is none.
_GDBusConnection* session_bus();

// Asks the bus (each call bounded to a second) and, only where the display
// is X11, the X server. `bus` may be null.
tray_probe probe_tray(_GDBusConnection* bus);

// Tests put the desktop they want in place of the real one (null: the real one).
void set_probe_override(tray_probe (*probe)());
tray_probe (*probe_override())();

}  // namespace zovtray
