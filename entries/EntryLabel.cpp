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

// Walks no further into the text than the label needs: history texts can
// be megabytes long. `characterEnd(text, i, room)` is the end of the
// character at `i`, past i + room where it is longer than the room.
template <typename Char, typename CharacterEndOf>
std::basic_string<Char> Label(std::basic_string_view<Char> text, std::basic_string_view<Char> mark, size_t limit,
                              size_t characters, CharacterEndOf characterEnd)
{
    std::basic_string<Char> label;
    // Characters are counted in the label, as the menu counts them when it
    // shortens it: a combining mark right after a line break or a tab is a
    // character of its own in the text, but in the label it sits on the
    // mark or the space and is one character with it.
    size_t counted = 0;  // the label's characters before its last one
    size_t last = 0;     // where its last one starts
    size_t i = 0;
    while (i < text.size() && label.size() < limit) {
        const size_t before = label.size();
        const Char c = text[i];
        if (IsLineBreak(c)) {
            while (i < text.size() && IsLineBreak(text[i]))
                ++i;
            if (before + mark.size() > limit)
                break;
            label.append(mark);
        } else if (IsControl(c)) {
            label.push_back(Char(' '));
            ++i;
        } else {
            const size_t room = limit - before;
            const size_t end = characterEnd(text, i, room);
            if (end - i > room)
                break;
            label.append(text.substr(i, end - i));
            i = end;
        }
        if (label.size() == before)
            continue;
        const std::basic_string_view<Char> shown(label);
        size_t count = counted;
        size_t start = last;
        for (size_t at = last; at < shown.size(); at = characterEnd(shown, at, shown.size() - at)) {
            start = at;
            ++count;
        }
        if (count > characters) {
            label.resize(before);
            break;
        }
        counted = count - 1;
        last = start;
    }
    return label;
}

}  // namespace

std::string EntryLabel(std::string_view text, std::string_view lineBreakMark, size_t limit, LeadByteTest isLeadByte)
{
    return Label(text, lineBreakMark, limit, SIZE_MAX, [isLeadByte](std::string_view whole, size_t i, size_t) {
        return CharacterEnd(whole, i, isLeadByte);
    });
}

std::wstring EntryLabel(std::wstring_view text, std::wstring_view lineBreakMark, size_t limit, size_t characters)
{
    return Label(text, lineBreakMark, limit, characters,
                 [](std::wstring_view whole, size_t i, size_t room) { return CharacterEnd(whole, i, room); });
}
