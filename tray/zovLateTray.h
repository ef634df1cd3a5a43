#pragma once
// Where the program started without a tray, a panel may still come: at
// log-in the program and the panel start side by side. This watches the
// session bus for a StatusNotifierWatcher with a host and says so once.

#include <functional>

struct _GDBusConnection;

class zovLateTray
{
public:
    // `arrived` runs once, on the GUI thread, when a watcher with a host is there.
    zovLateTray(_GDBusConnection* bus, std::function<void()> arrived);
    ~zovLateTray();
    zovLateTray(const zovLateTray&) = delete;
    zovLateTray& operator=(const zovLateTray&) = delete;

private:
    static void OnAppeared(_GDBusConnection* connection, const char* name, const char* owner,
                           void* self);
    static void OnHostRegistered(_GDBusConnection* connection, const char* sender,
                                 const char* path, const char* interface, const char* signal,
                                 struct _GVariant* params, void* self);
    static void OnHostProperty(struct _GObject* source, struct _GAsyncResult* result, void* self);
    static int OnRetry(void* self);
    void AskHost();

    _GDBusConnection* m_bus;
    std::function<void()> m_arrived;
    unsigned m_watch_id = 0;
    unsigned m_signal_id = 0;
    struct _GCancellable* m_cancel;
    bool m_done = false;
    int m_tries_left = 0;
    unsigned m_retry_source = 0;
};
