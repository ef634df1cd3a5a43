#pragma once

#include <zov/zovFile.h>

// LOGINOUT.TSK: a record of log-ins and log-outs for the user to read.
class zovLoginOut : public zovFile
{
public:
    zovLoginOut();

    static bool init();
    bool login() const;
    bool logout() const;
};
