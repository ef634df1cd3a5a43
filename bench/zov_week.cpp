// zov_week DATA_DIR YEAR WEEK: prints the weekly time sheet of a data folder,
// so that the whole process (start, reading HOURS.TSK, report) can be timed.
// Like the tray program, it creates the task files the folder lacks.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include <zovkernel.h>

namespace {

bool to_int(const char* text, long lo, long hi, int& value)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi)
        return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    int year = 0, week = 0;
    if (argc != 4 || !to_int(argv[2], 1, 9999, year) || !to_int(argv[3], 1, 53, week)) {
        std::cerr << "usage: zov_week DATA_DIR YEAR WEEK\n";
        return 2;
    }
    std::string dir = argv[1];
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::cerr << "zov_week: no such folder: " << dir << "\n";
        return 1;
    }
    if (dir.back() != '/')
        dir += '/';
    zovKernel kernel(dir);
    zovTimeSheet sheet(week, year);
    kernel.tsheet(sheet);
    sheet.show_time_sheet(std::cout);
    std::cout.flush();
    return std::cout.good() ? 0 : 1;
}
