#pragma once

#include <string>

#include <vu_utils/vu_datetime.h>
#include <zov/zovFile.h>

// LOGINOUT.TSK: a record of log-ins and log-outs for the user to read. The
// kernel also reads its last line back: a log-out is stamped here before it
// is carried out, so that one cut short by a crash can be completed.
class zovLoginOut : public zovFile
{
public:
    explicit zovLoginOut(const std::string& dir);

    static bool init(const std::string& dir);
    bool login() const;
    bool logout() const;
    bool login(const vu_datetime& at) const;
    bool logout(const vu_datetime& at) const;
    // Take back the line of that instant if it still ends the file.
    bool take_back_login(const vu_datetime& at) const;
    bool take_back_logout(const vu_datetime& at) const;
    // The instant of the last line if it is a log-out; not-a-date-time otherwise.
    vu_datetime last_logout() const;

    static std::string login_line(const vu_datetime& at);
    static std::string logout_line(const vu_datetime& at);
};
