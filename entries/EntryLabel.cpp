#include "entries/EntryLabel.h"
#include <vector>

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

// A piece of the label and the part of the text it shows: a mark and its
// run of line breaks, or one unit and the unit it shows.
struct LabelPiece {
    size_t labelEnd;
    size_t textBegin;
};

template <typename Char>
std::basic_string<Char> EditedText(std::basic_string_view<Char> text, std::basic_string_view<Char> mark,
                                   std::basic_string_view<Char> shown, std::basic_string_view<Char> edited,
                                   bool& losesUnseenText)
{
    // pieces[k] starts where pieces[k - 1] ends in the label; `shownEnd` is
    // how far into the text the label reaches.
    std::vector<LabelPiece> pieces;
    size_t i = 0;
    for (size_t length = 0; i < text.size() && length < shown.size();) {
        size_t next = i + 1;
        size_t units = 1;
        if (IsLineBreak(text[i])) {
            while (next < text.size() && IsLineBreak(text[next]))
                ++next;
            units = mark.size();
        }
        length += units;
        pieces.push_back({length, i});
        i = next;
    }
    const size_t shownEnd = i;
    losesUnseenText = shownEnd < text.size();

    // What the edit left alone at either end, in whole pieces.
    size_t prefix = 0;
    while (prefix < shown.size() && prefix < edited.size() && shown[prefix] == edited[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < shown.size() - prefix && suffix < edited.size() - prefix &&
           shown[shown.size() - 1 - suffix] == edited[edited.size() - 1 - suffix])
        ++suffix;
    // The text where the label's piece at `at` starts: a position inside a
    // piece moves to its start (`down`) or to its end.
    const auto textAt = [&](size_t at, bool down, size_t& snapped) {
        size_t begin = 0;
        for (const LabelPiece& piece : pieces) {
            if (at < piece.labelEnd) {
                snapped = down || at == begin ? begin : piece.labelEnd;
                return at == begin || down ? piece.textBegin
                                           : (&piece == &pieces.back() ? shownEnd : (&piece + 1)->textBegin);
            }
            begin = piece.labelEnd;
        }
        snapped = at;
        return shownEnd;
    };
    size_t keptStart = 0;
    const size_t headEnd = textAt(prefix, true, keptStart);
    size_t tailLabelStart = 0;
    const size_t tailStart = textAt(shown.size() - suffix, false, tailLabelStart);
    const size_t tailLength = shown.size() - tailLabelStart;

    std::basic_string<Char> result(text.substr(0, headEnd));
    result.append(edited.substr(keptStart, edited.size() - tailLength - keptStart));
    result.append(text.substr(tailStart, shownEnd - tailStart));
    return result;
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

std::string TextOfEditedLabel(std::string_view text, std::string_view lineBreakMark, std::string_view shown,
                              std::string_view edited, bool& losesUnseenText)
{
    return EditedText(text, lineBreakMark, shown, edited, losesUnseenText);
}

std::wstring TextOfEditedLabel(std::wstring_view text, std::wstring_view lineBreakMark, std::wstring_view shown,
                               std::wstring_view edited, bool& losesUnseenText)
{
    return EditedText(text, lineBreakMark, shown, edited, losesUnseenText);
}
