#include "entries/EntryLabel.h"

namespace {

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

bool IsLineBreak(wchar_t c)
{
    return c == L'\r' || c == L'\n' || c == 0x2028 || c == 0x2029;
}

// Bytes from 0x80 are the code page's letters (or parts of them), never
// control characters: a trail byte of a double-byte character is never
// below 0x40.
bool IsControl(char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool IsControl(wchar_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsLeadSurrogate(char)
{
    return false;
}

bool IsLeadSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsTrailSurrogate(char)
{
    return false;
}

bool IsTrailSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Walks no further into the text than the label needs: history texts can
// be megabytes long.
template <typename Char>
std::basic_string<Char> Label(std::basic_string_view<Char> text, std::basic_string_view<Char> mark, size_t limit)
{
    std::basic_string<Char> label;
    size_t i = 0;
    while (i < text.size() && label.size() < limit) {
        const Char c = text[i];
        if (IsLineBreak(c)) {
            while (i < text.size() && IsLineBreak(text[i]))
                ++i;
            if (label.size() + mark.size() > limit)
                break;
            label.append(mark);
            continue;
        }
        if (IsLeadSurrogate(c) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1])) {
            if (label.size() + 2 > limit)
                break;
            label.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        label.push_back(IsControl(c) ? Char(' ') : c);
        ++i;
    }
    return label;
}

}  // namespace

std::string EntryLabel(std::string_view text, std::string_view lineBreakMark, size_t limit)
{
    return Label(text, lineBreakMark, limit);
}

std::wstring EntryLabel(std::wstring_view text, std::wstring_view lineBreakMark, size_t limit)
{
    return Label(text, lineBreakMark, limit);
}
