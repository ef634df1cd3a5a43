#pragma once

#include <string>

// A consumer of the lines of a task file: true to go on reading, false to stop.
class zovSink
{
public:
    virtual bool operator()(const std::string& line) = 0;

protected:
    zovSink() = default;
    zovSink(const zovSink&) = default;
    zovSink& operator=(const zovSink&) = default;
    // Consumers are never deleted through a zovSink pointer.
    ~zovSink() = default;
};

// Keeps the first line offered and ends the reading.
class zovSink1 : public zovSink
{
public:
    bool operator()(const std::string& line) override;
    const std::string& line() const { return m_line; }

private:
    std::string m_line;
};
