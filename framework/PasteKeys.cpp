#include "framework/PasteKeys.h"

namespace {

INPUT Key(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // The Windows keys are extended keys.
    if (vk == VK_LWIN || vk == VK_RWIN)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return input;
}

bool Send(std::vector<INPUT>& inputs)
{
    const UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

}  // namespace

std::vector<WORD> CPasteKeys::HeldModifiers()
{
    std::vector<WORD> held;
    for (int vk : {VK_CONTROL, VK_SHIFT, VK_MENU, VK_LWIN, VK_RWIN})
        if (GetAsyncKeyState(vk) & 0x8000)
            held.push_back(static_cast<WORD>(vk));
    return held;
}

bool CPasteKeys::Lift(const std::vector<WORD>& held)
{
    std::vector<INPUT> inputs = {Key(VK_CONTROL, false)};
    for (WORD vk : held)
        if (vk != VK_CONTROL)
            inputs.push_back(Key(vk, true));
    inputs.push_back(Key(VK_CONTROL, true));
    return Send(inputs);
}

bool CPasteKeys::SendCtrlV()
{
    std::vector<INPUT> inputs = {Key(VK_CONTROL, false), Key('V', false), Key('V', true), Key(VK_CONTROL, true)};
    return Send(inputs);
}
