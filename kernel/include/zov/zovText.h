#pragma once
// Task names in fixed columns: how wide a UTF-8 text shows on a terminal or
// in a fixed-width report, and how to make it fit.

#include <cstddef>
#include <string>

namespace zov {

// The columns the text takes: wide East Asian characters two, combining
// marks none, every other character one. A byte that is not part of valid
// UTF-8 counts as one column.
std::size_t display_width(const std::string& text);

// The text as it is when it takes at most `width` columns; otherwise cut on
// a character boundary and ended with "…" (U+2026), the whole at most
// `width` columns wide.
std::string shorten(const std::string& text, std::size_t width);

// The text followed by blanks up to `width` columns (unchanged when wider).
std::string pad_right(const std::string& text, std::size_t width);

}  // namespace zov
