#include <zov/zovSettings.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string trimmed(const std::string& text)
{
    const char* blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A whole decimal number, as the toolkit writes a long; a value it quoted
// (for blanks around it) is taken without the quotes.
bool to_long(std::string text, long long& value)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = trimmed(text.substr(1, text.size() - 2));
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

}  // namespace

long zovSettings::usable_auto_logout(long stored)
{
    const long one_day = 24 * 3600;
    if (stored <= -one_day || stored >= one_day)
        return default_auto_logout;
    return stored;
}

long zovSettings::usable_ask_away(long stored)
{
    const long minutes = stored < 0 ? -stored : stored;
    if (minutes < ask_away_min || minutes > ask_away_max)
        return default_ask_away;
    return stored;
}

zovSettings zovSettings::parse(const std::string& text)
{
    zovSettings settings;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[')
            break;  // the program's own entries come before any group
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, eq));
        long long value = 0;
        if (!to_long(trimmed(line.substr(eq + 1)), value) || value < -(1LL << 40) || value > (1LL << 40))
            continue;
        if (key == auto_logout_key)
            settings.auto_logout = usable_auto_logout(static_cast<long>(value));
        else if (key == ask_away_key)
            settings.ask_away = usable_ask_away(static_cast<long>(value));
        else if (key == auto_logout_set_key && value > 0)
            settings.auto_logout_set.set_time_t(value);
    }
    return settings;
}

zovSettings zovSettings::read(const std::string& file)
{
    if (file.empty())
        return zovSettings();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return zovSettings();
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}
