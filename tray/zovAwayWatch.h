#pragma once
// Notices when the user is away, each from the desktop's own source: the
// computer sleeping (told by the sleep watch of the system bus), the screen
// locked (ActiveChanged of org.freedesktop.ScreenSaver or org.gnome.ScreenSaver
// on the session bus), and no keyboard or mouse input (GNOME's Mutter idle
// monitor, else org.freedesktop.ScreenSaver's GetSessionIdleTime, else the X11
// screen-saver extension). The idle time is sampled once a minute, never more
// often; GNOME also says the moment input returns (a user-active watch), so
// there the return is exact, elsewhere it is the last input seen at the next
// sample. An absence is told once it is over, as the span from leaving to
// returning.

#include <functional>

#include <vu_utils/vu_datetime.h>

#include <zov/zovSettings.h>

#include "zovAwayTexts.h"

typedef struct _GCancellable GCancellable;
typedef struct _GDBusConnection GDBusConnection;
typedef struct _XDisplay Display;

class zovAwayWatch
{
public:
    using absence_function = std::function<void(const vu_datetime& left, const vu_datetime& back)>;
    // Where the idle time comes from.
    enum class idle_source { none, mutter, screensaver, x11 };

    // Connects to the session bus and finds the idle source at once;
    // `away` runs on the GUI thread. `x11` is the toolkit's connection to
    // the X server, null under Wayland; it stays the toolkit's.
    explicit zovAwayWatch(absence_function away, Display* x11 = nullptr);
    ~zovAwayWatch();
    zovAwayWatch(const zovAwayWatch&) = delete;
    zovAwayWatch& operator=(const zovAwayWatch&) = delete;

    // The computer goes to sleep, and wakes.
    void Sleeping();
    void Resumed();
    // The screen locked (true) or unlocked (false).
    void Locked(bool locked);
    // Samples the idle time now; the minute timer calls it.
    void PollIdle();

    idle_source IdleSource() const { return m_source; }
    // Whether the lock signals are listened to.
    bool Listening() const { return m_subscriptions[0] != 0; }
    // Whether the computer sleeps, or the screen is locked, as last told.
    bool Asleep() const { return !m_asleep_since.is_not_a_date_time(); }
    bool Locked() const { return !m_locked_since.is_not_a_date_time(); }
    // Whether GNOME is asked to say when input returns.
    bool WatchingForInput() const { return m_active_watch != 0; }
    // Samples asked for and not answered yet.
    int PendingSamples() const { return m_pending; }

    // Absences of idleness shorter than this are not told.
    static constexpr long idle_minimum_seconds = zovSettings::ask_away_min * 60;

private:
    static vu_datetime Now();
    void IdleSeen(long idle_seconds);
    bool ProbeBus(idle_source source, long& idle_seconds);
    static void OnIdleReply(void* source, void* result, void* self);
    static void OnActiveChanged(GDBusConnection* connection, const char* sender,
                                const char* path, const char* interface, const char* signal,
                                void* parameters, void* self);
    static void OnWatchFired(GDBusConnection* connection, const char* sender, const char* path,
                             const char* interface, const char* signal, void* parameters,
                             void* self);
    static void OnActiveWatchAdded(void* source, void* result, void* self);
    void WatchForInput();
    static int OnMinute(void* self);

    // What the bus's callbacks hold: outlives the watch until the bus lets go.
    struct Target
    {
        zovAwayWatch* watch;
    };

    absence_function m_away;
    GCancellable* m_cancel = nullptr;
    GDBusConnection* m_bus = nullptr;
    Target* m_target = nullptr;
    unsigned m_subscriptions[3] = {0, 0, 0};
    Display* m_display = nullptr;
    idle_source m_source = idle_source::none;
    unsigned m_timer = 0;
    int m_pending = 0;
    // GNOME's user-active watch: its id, or 0; asked for and not answered yet.
    unsigned m_active_watch = 0;
    bool m_active_watch_asked = false;

    vu_datetime m_asleep_since;
    vu_datetime m_locked_since;
    zovtray::idle_sample m_previous;
};
