#include "app/MenuLabel.h"

std::string ShortenLabel(const std::string& label, int width)
{
    if (width < 3 || label.size() <= static_cast<size_t>(width))
        return label;
    return label.substr(0, static_cast<size_t>(width) - 3) + "...";
}
