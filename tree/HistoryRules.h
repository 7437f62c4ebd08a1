#pragma once
#include <string>
#include <vector>

// The clipboard history as a list of texts, newest first.

const size_t kHistoryCapacity = 15;

// Folds one byte of 8-bit text to the form in which case is ignored.
using CaseFold = unsigned char (*)(unsigned char);
unsigned char FoldAsciiCase(unsigned char c);

// Index of the first text, from index 0, that begins with `prefix` when
// case is ignored; -1 when none does or the prefix is empty.
int FindTextBeginningWith(const std::vector<std::string>& history, const std::string& prefix,
                          CaseFold fold);
