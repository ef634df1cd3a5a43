#include <zov/zovLoginOut.h>

#include <vector>

zovLoginOut::zovLoginOut(const std::string& dir) : zovFile(dir, "LOGINOUT.TSK") {}

bool zovLoginOut::init(const std::string&)
{
    return true;
}

bool zovLoginOut::login() const
{
    vu_datetime now;
    now.set_local_time();
    return login(now);
}

bool zovLoginOut::logout() const
{
    vu_datetime now;
    now.set_local_time();
    return logout(now);
}

bool zovLoginOut::login(const vu_datetime& at) const
{
    return write_append(login_line(at));
}

bool zovLoginOut::logout(const vu_datetime& at) const
{
    return write_append(logout_line(at));
}

bool zovLoginOut::take_back_login(const vu_datetime& at) const
{
    return take_back(login_line(at));
}

bool zovLoginOut::take_back_logout(const vu_datetime& at) const
{
    return take_back(logout_line(at));
}

vu_datetime zovLoginOut::last_logout() const
{
    vu_datetime at;
    std::string line;
    if (read_last(line) != read_status::lines)
        return at;
    std::vector<std::string> tokens;
    if (get_tokens(line, tokens) && tokens.size() == 2 && tokens[0] == "LOGOUT")
        at.parse_readable_datetime_string(tokens[1]);
    return at;
}

std::string zovLoginOut::login_line(const vu_datetime& at)
{
    return "LOGIN " + at.to_readable_datetime_string();
}

std::string zovLoginOut::logout_line(const vu_datetime& at)
{
    return "LOGOUT " + at.to_readable_datetime_string();
}
