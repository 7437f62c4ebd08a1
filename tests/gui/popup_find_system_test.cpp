// Typing in the popup with the system's own folding and code page, as the
// program uses them: run under the Western code page and again under the
// Cyrillic one, where Cyrillic entries are 8-bit texts.
#include "entries/PopupFind.h"
#include "framework/CodePage.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(PopupFindSystem, TheLocalesFoldFindsEveryScriptAndIsReadUnitByUnit)
{
    // A code page's text is kept as 8-bit text alone, as the tree keeps it.
    EntryTree tree(" / ", FitsSystemCodePage, IsSystemLeadByte);
    auto add = [&](const std::wstring& text) {
        return tree.Append(tree.Root(), ToSystemCodePageLossy(text), nullptr, text);
    };
    const EntryId cyrillic = add(L"\u041F\u0440\u0438\u0432\u0435\u0442 \u043C\u0438\u0440");
    const EntryId french = add(L"\u00C9cole du soir");
    const EntryId greek = add(L"\u03A3\u03BF\u03C6\u03AF\u03B1 \U0001F642");
    const EntryId plain = add(L"Plain ASCII");
    PopupFind find(tree, LowerCaseUnicode, FromSystemCodePage);
    const struct {
        std::wstring query;
        std::vector<EntryId> found;
    } cases[] = {
        {L"\u041F\u0420\u0418\u0412\u0415\u0422", {cyrillic}},
        {L"\u043C\u0418\u0440 \u043F\u0440\u0438", {cyrillic}},
        {L"\u00E9COLE", {french}},
        {L"\u03C3\u03BF\u03C6\u038A\u0391", {greek}},
        {L"\U0001F642", {greek}},
        {L"plain ascii", {plain}},
        {L"?", {}},
    };
    for (const auto& c : cases) {
        find.SetQuery(c.query);
        EXPECT_EQ(find.Matches(), c.found) << c.query.size();
    }
    // Otherwise each keystroke would fold whole texts, or turn them into
    // Unicode, again and again.
    const FoldedTextSearch search({LowerCaseUnicode, FromSystemCodePage}, IsSystemLeadByte);
    EXPECT_TRUE(search.FoldsByUnit());
    EXPECT_EQ(search.BytesAreCharacters(), GetACP() == 1252 || GetACP() == 1251) << GetACP();
    // A double-byte code page's texts are read through its table.
    CPINFO info = {};
    GetCPInfo(CP_ACP, &info);
    EXPECT_EQ(search.ReadsDoubleBytes(), info.MaxCharSize == 2) << GetACP();
}
