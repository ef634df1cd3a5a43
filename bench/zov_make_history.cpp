// zov_make_history DATA_DIR [TIMEWARRIOR_DIR]: fills a folder with the
// benchmark history (ten years, about 100,000 sessions, ending yesterday) and
// prints a week in the middle of it, for timing zov and zov_week. With a
// second folder, the same sessions go there as a Timewarrior database.
#include <sys/stat.h>

#include <iostream>
#include <string>

#include <vu_utils/vu_datetime.h>

#include "hours_generator.h"

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: zov_make_history DATA_DIR [TIMEWARRIOR_DIR]\n";
        return 2;
    }
    std::string dir = argv[1];
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::cerr << "zov_make_history: no such folder: " << dir << "\n";
        return 1;
    }
    if (dir.back() != '/')
        dir += '/';
    vu_datetime end;
    end.set_local_time();
    const zovbench::history h = zovbench::generate_history(dir, end);
    vu_datetime mid;
    mid.set_jdn((h.first.to_jdn() + h.last.to_jdn()) / 2);
    std::cout << h.sessions << " sessions; a mid-history week: " << mid.to_year_number() << " "
              << mid.to_week_number() << "\n";
    if (argc == 3) {
        const std::size_t n = zovbench::write_timewarrior(dir + "HOURS.TSK", argv[2]);
        std::cout << n << " Timewarrior intervals in " << argv[2] << "/data\n";
    }
    std::cout << "first week: " << h.first.to_year_number() << " " << h.first.to_week_number()
              << "; newest week: " << h.last.to_year_number() << " " << h.last.to_week_number() << "\n";
    return 0;
}
