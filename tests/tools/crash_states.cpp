#include "crash_states.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <sstream>

namespace zovtest {

namespace {

// "\x41\x42" (strace -xx) and plain characters, decoded.
std::string unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() + 0 && text[i + 1] == 'x') {
            out += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

// One argument: a quoted string, a descriptor "3<path>", or a word.
void decode_arg(const std::string& raw, fs_call& call)
{
    if (raw.size() >= 2 && raw.front() == '"') {
        std::size_t end = raw.rfind('"');
        call.args.push_back(unescape(raw.substr(1, end - 1)));
        call.fds.push_back(-1);
        return;
    }
    const std::size_t lt = raw.find('<');
    if (lt != std::string::npos && raw.back() == '>') {
        call.args.push_back(unescape(raw.substr(lt + 1, raw.size() - lt - 2)));
        const std::string number = raw.substr(0, lt);
        call.fds.push_back(number == "AT_FDCWD" ? -100 : std::atoi(number.c_str()));
        return;
    }
    call.args.push_back(raw);
    call.fds.push_back(-1);
}

struct data_op
{
    bool truncate = false;
    std::size_t offset = 0;  // a write's offset, or a truncation's length
    std::string bytes;
};

void apply_op(std::string& content, const data_op& op)
{
    if (op.truncate) {
        content.resize(op.offset, '\0');
        return;
    }
    if (content.size() < op.offset + op.bytes.size())
        content.resize(op.offset + op.bytes.size(), '\0');
    content.replace(op.offset, op.bytes.size(), op.bytes);
}

struct inode
{
    std::string durable;
    std::string current;
    std::vector<data_op> pending;
};

struct open_file
{
    int inode = -1;  // -1: the folder itself
    bool append = false;
    std::size_t offset = 0;
};

class model
{
public:
    model(const folder_state& before, const std::string& dir, const std::vector<std::string>& ignore)
        : m_dir(dir), m_ignore(ignore)
    {
        for (const auto& [name, content] : before) {
            m_inodes.push_back({content, content, {}});
            m_durable[name] = static_cast<int>(m_inodes.size() - 1);
        }
        m_current = m_durable;
    }

    void step(const fs_call& c);

    // Adds every state possible now to `out`.
    void states(std::set<folder_state>& out) const
    {
        for (std::size_t p = 0; p <= m_snapshots.size(); ++p) {
            const std::map<std::string, int>& names = p == 0 ? m_durable : m_snapshots[p - 1];
            std::vector<int> inodes;
            for (const auto& [name, id] : names)
                if (std::find(inodes.begin(), inodes.end(), id) == inodes.end())
                    inodes.push_back(id);
            std::map<int, std::string> chosen;
            choose(names, inodes, 0, chosen, out);
        }
    }

private:
    // Every content each inode may have, one inode after the other.
    void choose(const std::map<std::string, int>& names, const std::vector<int>& inodes, std::size_t k,
                std::map<int, std::string>& chosen, std::set<folder_state>& out) const
    {
        if (k == inodes.size()) {
            folder_state s;
            for (const auto& [name, id] : names)
                if (std::find(m_ignore.begin(), m_ignore.end(), name) == m_ignore.end())
                    s[name] = chosen.at(id);
            out.insert(s);
            return;
        }
        const inode& n = m_inodes[static_cast<std::size_t>(inodes[k])];
        std::string content = n.durable;
        for (std::size_t q = 0;; ++q) {
            chosen[inodes[k]] = content;
            choose(names, inodes, k + 1, chosen, out);
            if (q == n.pending.size())
                break;
            const data_op& op = n.pending[q];
            if (!op.truncate && op.bytes.size() > 1) {
                // Torn: only the first half of this write reached the disk.
                data_op half = op;
                half.bytes.resize(op.bytes.size() / 2);
                std::string torn = content;
                apply_op(torn, half);
                chosen[inodes[k]] = torn;
                choose(names, inodes, k + 1, chosen, out);
            }
            apply_op(content, op);
        }
    }

    // The name of a path in the folder, or "" for any other path.
    std::string name_of(const std::string& path) const
    {
        if (path.compare(0, m_dir.size(), m_dir) != 0)
            return std::string();
        const std::string name = path.substr(m_dir.size());
        return name.find('/') == std::string::npos ? name : std::string();
    }
    bool is_folder(const std::string& path) const
    {
        return path + "/" == m_dir || path == m_dir;
    }
    void folder_changed() { m_snapshots.push_back(m_current); }
    void data(int id, const data_op& op)
    {
        inode& n = m_inodes[static_cast<std::size_t>(id)];
        apply_op(n.current, op);
        n.pending.push_back(op);
    }

    std::string m_dir;
    std::vector<std::string> m_ignore;
    std::vector<inode> m_inodes;
    std::map<std::string, int> m_durable;               // names on disk for sure
    std::map<std::string, int> m_current;               // names as the program sees them
    std::vector<std::map<std::string, int>> m_snapshots;  // after each unflushed folder change
    std::map<int, open_file> m_fds;
};

void model::step(const fs_call& c)
{
    const auto fd_arg = [&c](std::size_t i) { return i < c.fds.size() ? c.fds[i] : -1; };
    if (c.name == "openat" || c.name == "open") {
        const std::string& path = c.result_path;
        const std::string flags = c.args.size() > (c.name == "openat" ? 2u : 1u) ? c.args[c.name == "openat" ? 2 : 1] : "";
        if (is_folder(path)) {
            m_fds[static_cast<int>(c.result)] = open_file{-1, false, 0};
            return;
        }
        const std::string name = name_of(path);
        if (name.empty())
            return;
        auto it = m_current.find(name);
        int id;
        if (it == m_current.end()) {
            m_inodes.push_back({});
            id = static_cast<int>(m_inodes.size() - 1);
            m_current[name] = id;
            folder_changed();
        } else {
            id = it->second;
        }
        if (flags.find("O_TRUNC") != std::string::npos)
            data(id, data_op{true, 0, {}});
        m_fds[static_cast<int>(c.result)] = open_file{id, flags.find("O_APPEND") != std::string::npos, 0};
        return;
    }
    if (c.name == "close") {
        m_fds.erase(fd_arg(0));
        return;
    }
    const auto file = m_fds.find(fd_arg(0));
    if (c.name == "write" || c.name == "pwrite64" || c.name == "ftruncate") {
        if (file == m_fds.end() || file->second.inode < 0)
            return;
        open_file& f = file->second;
        inode& n = m_inodes[static_cast<std::size_t>(f.inode)];
        if (c.name == "ftruncate") {
            data(f.inode, data_op{true, static_cast<std::size_t>(std::atol(c.args[1].c_str())), {}});
            return;
        }
        const std::string bytes = c.args[1].substr(0, static_cast<std::size_t>(c.result));
        std::size_t offset = f.append ? n.current.size() : f.offset;
        if (c.name == "pwrite64")
            offset = static_cast<std::size_t>(std::atol(c.args[3].c_str()));
        else
            f.offset = offset + bytes.size();
        data(f.inode, data_op{false, offset, bytes});
        return;
    }
    if (c.name == "fsync" || c.name == "fdatasync") {
        if (file == m_fds.end())
            return;
        if (file->second.inode < 0) {
            m_durable = m_current;
            m_snapshots.clear();
        } else {
            inode& n = m_inodes[static_cast<std::size_t>(file->second.inode)];
            n.durable = n.current;
            n.pending.clear();
        }
        return;
    }
    // Folder changes; the *at forms name their paths in arguments 1 and 3.
    const bool at = c.name.size() > 2 && c.name.compare(c.name.size() - 2, 2, "at") == 0 && c.name != "creat";
    const bool at2 = c.name == "renameat2";
    const std::size_t from_i = at || at2 ? 1 : 0;
    const std::size_t to_i = at || at2 ? 3 : 1;
    if (c.name == "rename" || c.name == "renameat" || c.name == "renameat2" || c.name == "link" || c.name == "linkat") {
        const std::string from = name_of(c.args[from_i]);
        const std::string to = name_of(c.args[to_i]);
        if (from.empty() || to.empty() || !m_current.count(from))
            return;
        m_current[to] = m_current[from];
        if (c.name.compare(0, 6, "rename") == 0)
            m_current.erase(from);
        folder_changed();
        return;
    }
    if (c.name == "unlink" || c.name == "unlinkat") {
        const std::string name = name_of(c.args[at ? 1 : 0]);
        if (name.empty() || !m_current.count(name))
            return;
        m_current.erase(name);
        folder_changed();
    }
}

}  // namespace

std::vector<fs_call> parse_strace(const std::string& text)
{
    std::vector<fs_call> calls;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t open = line.find('(');
        const std::size_t eq = line.rfind(") = ") != std::string::npos ? line.rfind(") = ") : line.rfind(")  = ");
        if (open == std::string::npos || eq == std::string::npos || eq < open)
            continue;
        fs_call c;
        c.name = line.substr(0, open);
        if (c.name.find(' ') != std::string::npos)
            continue;
        std::string result = line.substr(line.find('=', eq) + 1);
        result.erase(0, result.find_first_not_of(' '));
        c.result = std::atol(result.c_str());
        if (c.result < 0)
            continue;
        const std::size_t lt = result.find('<');
        if (lt != std::string::npos && result.back() == '>')
            c.result_path = unescape(result.substr(lt + 1, result.size() - lt - 2));
        // Arguments never hold ", " but between them: strings are all escaped.
        const std::string args = line.substr(open + 1, eq - open - 1);
        std::size_t start = 0;
        while (start <= args.size() && !args.empty()) {
            std::size_t comma = args.find(", ", start);
            if (comma == std::string::npos)
                comma = args.size();
            decode_arg(args.substr(start, comma - start), c);
            start = comma + 2;
        }
        calls.push_back(c);
    }
    return calls;
}

std::vector<folder_state> crash_states(const folder_state& before, const std::vector<fs_call>& calls,
                                       const std::string& dir, const std::vector<std::string>& ignore)
{
    model m(before, dir, ignore);
    std::set<folder_state> states;
    m.states(states);
    for (const fs_call& c : calls) {
        m.step(c);
        m.states(states);
    }
    return std::vector<folder_state>(states.begin(), states.end());
}

}  // namespace zovtest
