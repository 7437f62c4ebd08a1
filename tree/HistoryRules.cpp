#include "tree/HistoryRules.h"

unsigned char FoldAsciiCase(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

namespace {

bool BeginsWith(const std::string& text, const std::string& prefix, CaseFold fold)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (fold(static_cast<unsigned char>(text[i])) != fold(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace

int FindTextBeginningWith(const std::vector<std::string>& history, const std::string& prefix,
                          CaseFold fold)
{
    if (prefix.empty())
        return -1;
    for (size_t i = 0; i < history.size(); ++i)
        if (BeginsWith(history[i], prefix, fold))
            return static_cast<int>(i);
    return -1;
}
