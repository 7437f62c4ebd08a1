#include "framework/DialogTemplate.h"
#include "framework/CommonControls.h"
#include <cstring>
#include <string>

namespace {

// The fixed parts of an extended template and of its controls' entries.
const size_t kHeaderSize = 26;
const size_t kItemCountOffset = 16;

// Reads a template in bounds: every read past its end fails the whole.
class Reader {
public:
    Reader(const BYTE* bytes, size_t size, size_t at) : m_bytes(bytes), m_size(size), m_at(at) {}

    size_t At() const { return m_at; }
    bool Failed() const { return m_failed; }
    const BYTE* Here() const { return m_bytes + m_at; }

    WORD Word()
    {
        WORD word = 0;
        Copy(&word, sizeof word);
        return word;
    }
    DWORD Dword()
    {
        DWORD dword = 0;
        Copy(&dword, sizeof dword);
        return dword;
    }
    short Short() { return static_cast<short>(Word()); }
    void Skip(size_t bytes) { Move(bytes); }
    // A zero-terminated string of UTF-16 units.
    std::wstring String()
    {
        std::wstring text;
        for (WORD unit = Word(); unit != 0 && !m_failed; unit = Word())
            text.push_back(static_cast<wchar_t>(unit));
        return text;
    }
    // A name that is none, a number (0xFFFF and the number) or a string;
    // a number comes back as 0xFFFF and the number.
    std::wstring NameOrNumber()
    {
        const WORD first = Word();
        if (first == 0)
            return std::wstring();
        if (first == 0xFFFF)
            return std::wstring{static_cast<wchar_t>(0xFFFF), static_cast<wchar_t>(Word())};
        std::wstring text(1, static_cast<wchar_t>(first));
        return text + String();
    }
    void AlignToDword() { Move((4 - m_at % 4) % 4); }

private:
    void Copy(void* to, size_t bytes)
    {
        if (m_failed || m_size - m_at < bytes) {
            m_failed = true;
            return;
        }
        std::memcpy(to, m_bytes + m_at, bytes);
        m_at += bytes;
    }
    void Move(size_t bytes)
    {
        if (m_failed || m_size - m_at < bytes)
            m_failed = true;
        else
            m_at += bytes;
    }

    const BYTE* m_bytes;
    size_t m_size;
    size_t m_at;
    bool m_failed = false;
};

// The class a template names by number.
const wchar_t* PredefinedClass(wchar_t number)
{
    switch (number) {
    case 0x0080: return L"Button";
    case 0x0081: return L"Edit";
    case 0x0082: return L"Static";
    case 0x0083: return L"ListBox";
    case 0x0084: return L"ScrollBar";
    case 0x0085: return L"ComboBox";
    default: return nullptr;
    }
}

bool IsNumber(const std::wstring& name)
{
    return name.size() == 2 && name[0] == static_cast<wchar_t>(0xFFFF);
}

// The class of a control, named or numbered; null for an unknown number.
const wchar_t* ClassName(const std::wstring& windowClass)
{
    return IsNumber(windowClass) ? PredefinedClass(windowClass[1]) : windowClass.c_str();
}

}  // namespace

bool CDialogTemplate::Load(HINSTANCE instance, UINT id)
{
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const BYTE* bytes = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const size_t size = found != nullptr ? SizeofResource(instance, found) : 0;
    if (bytes == nullptr || size < kHeaderSize)
        return false;
    Reader reader(bytes, size, 0);
    const WORD version = reader.Word();
    const WORD signature = reader.Word();
    if (version != 1 || signature != 0xFFFF)
        return false;
    reader.Skip(8);  // help id, extended style
    const DWORD style = reader.Dword();
    const WORD count = reader.Word();
    reader.Skip(8);  // place and size
    reader.NameOrNumber();  // menu
    reader.NameOrNumber();  // class
    reader.String();        // caption
    if ((style & DS_SETFONT) != 0) {
        reader.Skip(6);  // point size, weight, italic, character set
        reader.String();
    }
    reader.AlignToDword();
    const size_t frameSize = reader.At();
    std::vector<Item> items(count);
    for (Item& item : items) {
        reader.AlignToDword();
        reader.Skip(4);  // help id
        item.exStyle = reader.Dword();
        item.style = reader.Dword();
        item.place.left = reader.Short();
        item.place.top = reader.Short();
        item.place.right = reader.Short();   // the width
        item.place.bottom = reader.Short();  // the height
        item.id = static_cast<int>(reader.Dword());
        item.windowClass = reader.NameOrNumber();
        item.title = reader.NameOrNumber();
        const BYTE* data = reader.Here();
        const WORD dataSize = reader.Word();
        reader.Skip(dataSize);
        item.data = dataSize != 0 ? data : nullptr;
    }
    if (reader.Failed())
        return false;
    m_whole = bytes;
    m_items = std::move(items);
    m_frame.assign((frameSize + 3) / 4, 0);
    std::memcpy(m_frame.data(), bytes, frameSize);
    const WORD none = 0;
    std::memcpy(reinterpret_cast<BYTE*>(m_frame.data()) + kItemCountOffset, &none, sizeof none);
    return true;
}

const DLGTEMPLATE* CDialogTemplate::Whole() const
{
    return reinterpret_cast<const DLGTEMPLATE*>(m_whole);
}

const DLGTEMPLATE* CDialogTemplate::Frame() const
{
    return m_frame.empty() ? nullptr : reinterpret_cast<const DLGTEMPLATE*>(m_frame.data());
}

bool CDialogTemplate::MakesAll(const std::function<bool(int id)>& wanted) const
{
    for (const Item& item : m_items)
        if (!wanted(item.id))
            return false;
    return true;
}

bool CDialogTemplate::MakeControls(HWND dialog, const std::function<bool(int id)>& wanted) const
{
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    int defaultId = 0;
    // A class named rather than numbered may be a common control's.
    for (const Item& item : m_items)
        if (wanted(item.id) && !IsNumber(item.windowClass)) {
            LoadCommonControls();
            break;
        }
    // Made in the template's order, each comes last among its siblings, as
    // the dialog manager's do: a control that takes the one before it as
    // its partner (an up-down control its field) finds it there.
    std::vector<HWND> made(m_items.size(), nullptr);
    for (size_t index = 0; index < m_items.size(); ++index) {
        const Item& item = m_items[index];
        if (!wanted(item.id))
            continue;
        const wchar_t* className = ClassName(item.windowClass);
        made[index] = className != nullptr ? MakeControl(dialog, className, item, font, instance) : nullptr;
        if (made[index] == nullptr)
            return false;
        if (lstrcmpiW(className, L"Button") == 0 && (item.style & 0x0F) == BS_DEFPUSHBUTTON)
            defaultId = item.id;
    }
    // Then each goes after the one before it in the template, made now or
    // earlier: the tab order is the template's.
    HWND previous = HWND_TOP;
    for (size_t index = 0; index < m_items.size(); ++index) {
        HWND control = made[index] != nullptr ? made[index] : GetDlgItem(dialog, m_items[index].id);
        if (control == nullptr)
            continue;
        if (made[index] != nullptr)
            SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control;
    }
    if (defaultId != 0)
        SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
    return true;
}

HWND CDialogTemplate::MakeControl(HWND dialog, const wchar_t* className, const Item& item, HFONT font,
                                  HINSTANCE instance) const
{
    // A numbered title names a resource, as "#number" does.
    std::wstring title = item.title;
    if (IsNumber(item.title)) {
        title = L"#";
        unsigned number = static_cast<unsigned>(item.title[1]);
        const size_t digitsAt = title.size();
        do {
            title.insert(digitsAt, 1, static_cast<wchar_t>(L'0' + number % 10));
            number /= 10;
        } while (number != 0);
    }
    // The place and the size each in pixels, as the dialog manager maps
    // them: the far edge mapped instead can land a pixel off.
    RECT place = item.place;
    MapDialogRect(dialog, &place);
    HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, className, title.c_str(),
                                   item.style | WS_CHILD, place.left, place.top, place.right, place.bottom, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance,
                                   const_cast<BYTE*>(item.data));
    if (control != nullptr && font != nullptr)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}
