#include "entries/SearchText.h"

namespace {

bool StartsDoubleByte(const std::string& text, size_t at, const CDoubleByteCase* dbcs)
{
    return dbcs != nullptr && at + 1 < text.size() &&
           dbcs->IsLeadByte(static_cast<unsigned char>(text[at]));
}

}  // namespace

char LowerSingleByte(char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

std::string LowerSearchText(const std::string& text, const CDoubleByteCase* dbcs)
{
    std::string lowered;
    LowerSearchText(text, dbcs, lowered);
    return lowered;
}

void LowerSearchText(const std::string& text, const CDoubleByteCase* dbcs, std::string& lowered)
{
    lowered.assign(text);
    for (size_t at = 0; at < lowered.size(); ++at) {
        if (StartsDoubleByte(lowered, at, dbcs)) {
            dbcs->ToLower(lowered[at], lowered[at + 1]);
            ++at;
        } else {
            lowered[at] = LowerSingleByte(lowered[at]);
        }
    }
}

bool ContainsSearchText(const std::string& text, const std::string& needle,
                        const CDoubleByteCase* dbcs)
{
    if (needle.empty() || needle.size() > text.size())
        return false;
    // A match must not begin on the second byte of a two-byte character,
    // whose bytes could look like an unrelated character.
    for (size_t at = 0; at + needle.size() <= text.size();
         at += StartsDoubleByte(text, at, dbcs) ? 2 : 1) {
        if (text.compare(at, needle.size(), needle) == 0)
            return true;
    }
    return false;
}
