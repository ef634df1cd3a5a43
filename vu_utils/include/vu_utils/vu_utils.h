#pragma once
// Small helpers shared by the kernel and the tray program.

#include <string>
#include <vector>

#include <vu_utils/vu_datetime.h>
#include <vu_utils/vu_shell.h>

// Appends to tokens the maximal runs of text that hold no character of
// separators; a run of separators counts as one, no empty token arises.
void tokenize(const std::string& text, const std::string& separators,
              std::vector<std::string>& tokens);
