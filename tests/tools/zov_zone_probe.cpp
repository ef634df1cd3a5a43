// A program that asks the local time twice, a minute apart and no more
// often: prints it, waits for a line on standard input, lets 65 seconds of
// the monotonic clock pass (under faketime, quickly), prints it again.
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>

#include <vu_utils/vu_datetime.h>

namespace {

void print_now()
{
    vu_datetime now;
    now.set_local_time();
    std::cout << now.to_readable_datetime_string() << std::endl;
}

std::time_t monotonic()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec;
}

}  // namespace

int main()
{
    print_now();
    std::string line;
    std::getline(std::cin, line);
    const std::time_t start = monotonic();
    while (monotonic() - start < 65) {
        const timespec pause{0, 100000000};
        ::nanosleep(&pause, nullptr);
    }
    print_now();
    return 0;
}
