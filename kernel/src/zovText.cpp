#include <zov/zovText.h>

#include <utf8proc.h>

namespace zov {

namespace {

// The character at text[i]: its length in bytes and its width in columns.
void next_char(const std::string& text, std::size_t i, std::size_t& bytes, std::size_t& columns)
{
    utf8proc_int32_t code = 0;
    const utf8proc_ssize_t n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + i),
                                                static_cast<utf8proc_ssize_t>(text.size() - i), &code);
    if (n <= 0) {
        bytes = 1;
        columns = 1;
        return;
    }
    bytes = static_cast<std::size_t>(n);
    const int w = utf8proc_charwidth(code);
    columns = w < 0 ? 0 : static_cast<std::size_t>(w);
}

const char* const mark = "\xe2\x80\xa6";  // "…", one column

}  // namespace

std::size_t display_width(const std::string& text)
{
    std::size_t width = 0;
    for (std::size_t i = 0, bytes = 0, columns = 0; i < text.size(); i += bytes) {
        next_char(text, i, bytes, columns);
        width += columns;
    }
    return width;
}

std::string shorten(const std::string& text, std::size_t width)
{
    if (display_width(text) <= width)
        return text;
    if (width == 0)
        return std::string();
    // Whole characters up to width - 1 columns, then the mark; combining
    // marks that follow a kept character stay with it.
    std::size_t used = 0;
    std::size_t end = 0;
    for (std::size_t i = 0, bytes = 0, columns = 0; i < text.size(); i += bytes) {
        next_char(text, i, bytes, columns);
        if (used + columns > width - 1)
            break;
        used += columns;
        end = i + bytes;
    }
    return text.substr(0, end) + mark;
}

std::string pad_right(const std::string& text, std::size_t width)
{
    const std::size_t w = display_width(text);
    return w >= width ? text : text + std::string(width - w, ' ');
}

}  // namespace zov
