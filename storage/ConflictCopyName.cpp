#include "storage/ConflictCopyName.h"
#include <cctype>
#include <string_view>

namespace {

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && SameLetters(text.substr(0, start.size()), start);
}

bool Contains(std::string_view text, std::string_view part)
{
    for (size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (SameLetters(text.substr(at, part.size()), part))
            return true;
    }
    return false;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

// The letters, digits, hyphens and underscores of a computer's or a
// device's name.
bool IsNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
}

// Takes "<digits>" of exactly `count` digits from the front of `text`.
bool TakeDigits(std::string_view& text, size_t count)
{
    if (text.size() < count || !AllDigits(text.substr(0, count)))
        return false;
    text.remove_prefix(count);
    return true;
}

// Drops trailing " (<n>)" groups: a second copy of one name gets a number.
std::string_view WithoutNumbers(std::string_view tag)
{
    while (tag.size() >= 4 && tag.back() == ')') {
        const size_t open = tag.rfind(" (");
        if (open == std::string_view::npos || !AllDigits(tag.substr(open + 2, tag.size() - open - 3)))
            break;
        tag = tag.substr(0, open);
    }
    return tag;
}

// OneDrive: "-<machine>" or "-<machine>-<n>". A computer's name holds no
// spaces or dots, and at least one letter.
bool IsMachineSuffix(std::string_view tag)
{
    if (tag.size() < 2 || tag[0] != '-')
        return false;
    bool letter = false;
    for (char c : tag.substr(1)) {
        if (!IsNameCharacter(c))
            return false;
        letter = letter || std::isalpha(static_cast<unsigned char>(c)) != 0;
    }
    return letter;
}

// Dropbox, Nextcloud and ownCloud: " (<...conflicted copy...>)", perhaps
// followed by numbers; Google Drive: " (<n>)".
bool IsParenthesisedTag(std::string_view tag)
{
    if (!StartsWith(tag, " (") || tag.back() != ')')
        return false;
    const std::string_view numbered = tag;
    tag = WithoutNumbers(tag);
    if (tag.empty())
        return AllDigits(numbered.substr(2, numbered.size() - 3));
    if (!StartsWith(tag, " (") || tag.back() != ')')
        return false;
    return Contains(tag, "conflicted copy");
}

// Syncthing: ".sync-conflict-YYYYMMDD-HHMMSS" and "-<device>" since 0.14.
bool IsSyncthingTag(std::string_view tag)
{
    const std::string_view start = ".sync-conflict-";
    if (!StartsWith(tag, start))
        return false;
    tag.remove_prefix(start.size());
    if (!TakeDigits(tag, 8) || tag.empty() || tag[0] != '-')
        return false;
    tag.remove_prefix(1);
    if (!TakeDigits(tag, 6))
        return false;
    if (tag.empty())
        return true;
    if (tag[0] != '-' || tag.size() < 2)
        return false;
    for (char c : tag.substr(1)) {
        if (!IsNameCharacter(c))
            return false;
    }
    return true;
}

// ownCloud before 2.5: "_conflict-YYYYMMDD-HHMMSS", perhaps with the user's
// name after "conflict-".
bool IsOldOwnCloudTag(std::string_view tag)
{
    const std::string_view start = "_conflict-";
    if (!StartsWith(tag, start) || tag.size() < start.size() + 15)
        return false;
    std::string_view time = tag.substr(tag.size() - 15);
    return TakeDigits(time, 8) && !time.empty() && time[0] == '-' && AllDigits(time.substr(1)) &&
           time.size() == 7;
}

}  // namespace

bool IsConflictCopyName(const std::string& name, const std::string& dataName)
{
    const size_t dot = dataName.rfind('.');
    const std::string_view data = dataName;
    const std::string_view stem = dot == std::string::npos ? data : data.substr(0, dot);
    const std::string_view extension = dot == std::string::npos ? std::string_view() : data.substr(dot);
    const std::string_view candidate = name;
    if (candidate.size() <= data.size() || !StartsWith(candidate, stem) ||
        !SameLetters(candidate.substr(candidate.size() - extension.size()), extension))
        return false;
    const std::string_view tag =
        candidate.substr(stem.size(), candidate.size() - stem.size() - extension.size());
    return IsMachineSuffix(tag) || IsParenthesisedTag(tag) || IsSyncthingTag(tag) ||
           IsOldOwnCloudTag(tag);
}
