#pragma once
// Tells when the computer wakes from sleep: logind's PrepareForSleep(false)
// on the system bus. The daily log-out check runs then, rather than at the
// next minute tick, so that a session the computer slept through shows as
// closed at once. Without a system bus (or logind) it simply never calls.

#include <functional>

typedef struct _GCancellable GCancellable;
typedef struct _GDBusConnection GDBusConnection;

class zovResumeWatch
{
public:
    // Connects in the background; `resumed` (and `sleeping`, when given, just
    // before the computer sleeps) run on the GUI thread.
    explicit zovResumeWatch(std::function<void()> resumed,
                            std::function<void()> sleeping = nullptr);
    ~zovResumeWatch();
    zovResumeWatch(const zovResumeWatch&) = delete;
    zovResumeWatch& operator=(const zovResumeWatch&) = delete;

    // Whether the watch listens on a bus yet.
    bool Listening() const { return m_subscription != 0; }

private:
    static void OnConnected(void* source, void* result, void* self);
    static void OnSignal(GDBusConnection* connection, const char* sender, const char* path,
                         const char* interface, const char* signal, void* parameters,
                         void* self);

    // What the bus's callbacks hold: outlives the watch until the bus lets go.
    struct Target
    {
        zovResumeWatch* watch;
    };

    std::function<void()> m_resumed;
    std::function<void()> m_sleeping;
    Target* m_target = nullptr;
    GCancellable* m_cancel = nullptr;
    GDBusConnection* m_bus = nullptr;
    unsigned m_subscription = 0;
};
