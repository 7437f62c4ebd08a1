#include "entries/MenuLabel.h"

std::string ShortenLabel(const std::string& label, int width, LeadByteTest isLeadByte)
{
    if (width < 3 || label.size() <= static_cast<size_t>(width))
        return label;
    const size_t room = static_cast<size_t>(width) - 3;
    size_t kept = 0;
    for (size_t end = CharacterEnd(label, 0, isLeadByte); end <= room; end = CharacterEnd(label, kept, isLeadByte))
        kept = end;
    return label.substr(0, kept) + "...";
}

std::wstring ShortenLabel(const std::wstring& label, int width)
{
    if (width < 3)
        return label;
    // Walks no further than just past the width: history texts can be
    // megabytes long.
    const size_t kept = static_cast<size_t>(width) - 3;
    size_t keptEnd = 0;
    size_t characters = 0;
    for (size_t i = 0; i < label.size(); ++characters) {
        if (characters == kept)
            keptEnd = i;
        if (characters == static_cast<size_t>(width))
            return label.substr(0, keptEnd) + L"...";
        i = CharacterEnd(label, i, label.size());
    }
    return label;
}
