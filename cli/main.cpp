#include <iostream>

#include "zovCli.h"

int main(int argc, char** argv)
{
    return zovcli::run(argc, argv, std::cout, std::cerr);
}
