#include "entries/MenuLabel.h"

namespace {

bool IsLeadSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsTrailSurrogate(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string ShortenLabel(const std::string& label, int width)
{
    if (width < 3 || label.size() <= static_cast<size_t>(width))
        return label;
    return label.substr(0, static_cast<size_t>(width) - 3) + "...";
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
        i += IsLeadSurrogate(label[i]) && i + 1 < label.size() && IsTrailSurrogate(label[i + 1]) ? 2 : 1;
    }
    return label;
}
