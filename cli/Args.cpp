#include "Args.h"

#include <zov/zovTimeText.h>

namespace zovcli {

namespace {

int not_a_time(context& c, const char* field, const std::string& text)
{
    return c.fail(refused, std::string(field) + " \"" + text + "\" is not a time (" + zov::time_forms + ")");
}

}  // namespace

int read_range(context& c, const std::string& from, const std::string& until, range& r)
{
    zov::time_span a, b;
    if (!zov::parse_span(from, c.now, a))
        return not_a_time(c, "FROM", from);
    if (until.empty()) {
        if (a.instant)
            return c.fail(refused, "FROM \"" + from + "\" is one instant: give UNTIL too, or a day or range");
        r = {a.lo, a.hi};
        return ok;
    }
    if (!zov::parse_span(until, c.now, b))
        return not_a_time(c, "UNTIL", until);
    // A day as UNTIL that ends where FROM begins lies wholly before it.
    if (b.hi < a.lo || (b.hi == a.lo && !b.instant))
        return c.fail(refused, "until (" + until + ") is before from (" + from + ")");
    r = {a.lo, b.hi};
    return ok;
}

int read_instant(context& c, const char* field, const std::string& text, vu_datetime& out)
{
    zov::time_span s;
    if (!zov::parse_span(text, c.now, s))
        return not_a_time(c, field, text);
    out = s.lo;
    return ok;
}

}  // namespace zovcli
