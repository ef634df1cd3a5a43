// A program outside the tree, built against the installed kernel.
#include <zovkernel.h>

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    zovKernel kernel(argv[1]);
    if (!kernel.login("Consumer") || !kernel.current().active() || !kernel.logout())
        return 1;
    vu_datetime now;
    now.set_local_time();
    zovTimeSheet sheet(now.to_week_number(), now.to_year_number());
    kernel.tsheet(sheet);
    if (sheet.size_task() != 1)
        return 1;
    std::cout << kernel.current().message() << '\n';
    return 0;
}
