#include <vu_utils/vu_utils.h>

void tokenize(const std::string& text, const std::string& separators,
              std::vector<std::string>& tokens)
{
    std::string::size_type pos = text.find_first_not_of(separators);
    while (pos != std::string::npos) {
        const std::string::size_type stop = text.find_first_of(separators, pos);
        tokens.emplace_back(text, pos, stop == std::string::npos ? std::string::npos : stop - pos);
        pos = stop == std::string::npos ? stop : text.find_first_not_of(separators, stop);
    }
}
