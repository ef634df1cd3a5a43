#include <zov/zovLoginOut.h>

#include <vu_utils/vu_datetime.h>

zovLoginOut::zovLoginOut() : zovFile("LOGINOUT.TSK") {}

bool zovLoginOut::init()
{
    return true;
}

bool zovLoginOut::login() const
{
    vu_datetime now;
    now.set_local_time();
    return write_append("LOGIN " + now.to_readable_datetime_string());
}

bool zovLoginOut::logout() const
{
    vu_datetime now;
    now.set_local_time();
    return write_append("LOGOUT " + now.to_readable_datetime_string());
}
