#include "zovTrayChoice.h"

#include <cstdio>

namespace zovtray {

tray_backend choose_backend(const tray_probe& probe)
{
    // A watcher without a host shows nothing: at log-in the panel may not be
    // up yet, and some desktops run a watcher with no panel at all.
    if (probe.session_bus && probe.watcher && probe.host)
        return tray_backend::status_notifier;
    if (probe.x11 && probe.xembed_tray)
        return tray_backend::xembed;
    return tray_backend::window;
}

std::string backend_log_line(tray_backend backend, const tray_probe& probe)
{
    std::string why;
    switch (backend) {
    case tray_backend::status_notifier:
        return "zovtray: shown as a StatusNotifierItem (a StatusNotifierWatcher with a host "
               "is on the session bus)";
    case tray_backend::xembed:
        why = !probe.session_bus ? "no D-Bus session bus"
              : !probe.watcher   ? "no StatusNotifierWatcher"
                                 : "the StatusNotifierWatcher has no host";
        return "zovtray: shown in the X11 notification area (" + why + "; the "
               "_NET_SYSTEM_TRAY selection has an owner)";
    case tray_backend::window:
        break;
    }
    why = !probe.session_bus ? "no D-Bus session bus"
          : !probe.watcher   ? "no StatusNotifierWatcher"
                             : "the StatusNotifierWatcher has no host";
    why += probe.x11 ? "; no X11 notification area" : "; the display is not X11";
    return "zovtray: shown as an ordinary window (" + why + ")";
}

namespace {

// FNV-1a, 64 bits: a stable short digest, not a secret.
std::uint64_t fnv1a(const std::string& bytes)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (const unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

}  // namespace

std::string instance_bus_name(const std::string& data_dir)
{
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx",
                  static_cast<unsigned long long>(fnv1a(data_dir)));
    // A bus name element must not start with a digit: "f" leads.
    return std::string("org.zovaro.Tray.f") + digest;
}

std::string item_bus_name(long pid)
{
    return "org.kde.StatusNotifierItem-" + std::to_string(pid) + "-1";
}

std::string dbusmenu_label(const std::string& toolkit_label)
{
    std::string out;
    out.reserve(toolkit_label.size() + 2);
    for (std::string::size_type i = 0; i < toolkit_label.size(); ++i) {
        const char c = toolkit_label[i];
        if (c == '&') {
            if (i + 1 < toolkit_label.size() && toolkit_label[i + 1] == '&') {
                out += '&';
                ++i;
            }
            else {
                out += '_';
            }
        }
        else if (c == '_') {
            out += "__";
        }
        else {
            out += c;
        }
    }
    return out;
}

std::string dbusmenu_literal(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        out += c;
        if (c == '_')
            out += '_';
    }
    return out;
}

}  // namespace zovtray
