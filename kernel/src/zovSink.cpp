#include <zov/zovSink.h>

bool zovSink1::operator()(const std::string& line)
{
    m_line = line;
    return false;
}
