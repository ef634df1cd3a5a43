#pragma once

#include <string>

#include <vu_utils/vu_datetime.h>

// The user's settings that the rules depend on, read from the settings file
// that the tray's Options page writes (the toolkit's file configuration:
// "key=value" lines; the entries before the first "[group]" line are the
// program's own). Every program reads them here, so that all apply the same
// rules. A missing or unreadable file gives the defaults.
struct zovSettings
{
    static constexpr const char* auto_logout_key = "AutoLogout";
    static constexpr const char* auto_logout_set_key = "AutoLogoutSet";
    static constexpr const char* ask_away_key = "AskAway";

    static constexpr long default_auto_logout = -61200;  // 17:00, switched off
    static constexpr long default_ask_away = 15;         // minutes, switched on
    static constexpr long ask_away_min = 5;
    static constexpr long ask_away_max = 240;

    // "AutoLogout": the daily log-out's time of day in seconds after
    // midnight; the sign is the switch (negative: off; 0: 00:00, never acts).
    long auto_logout = default_auto_logout;
    // "AutoLogoutSet": when that value was set (seconds since 1970 UTC); a
    // log-out time before it never counts. Unset when never stored.
    vu_datetime auto_logout_set;
    // "AskAway": minutes of absence after which the user is asked about
    // them; negative when switched off.
    long ask_away = default_ask_away;

    static zovSettings read(const std::string& file);
    static zovSettings parse(const std::string& text);

    // A stored "AutoLogout" beyond one day (more than 86399 seconds either
    // way) is no time of day: it reads as the default.
    static long usable_auto_logout(long stored);
    // A stored "AskAway" outside 5-240 minutes either way reads as the default.
    static long usable_ask_away(long stored);
};
