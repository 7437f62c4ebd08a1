#include "framework/FolderWatch.h"

bool CFolderWatch::Start(const std::string& folder, HWND window, UINT message, DWORD settleMs)
{
    Stop();
    m_change = FindFirstChangeNotificationA(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE);
    if (m_change == INVALID_HANDLE_VALUE)
        return false;
    m_stop.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_window = window;
    m_message = message;
    m_settleMs = settleMs;
    if (m_stop.IsValid())
        m_thread.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    if (!m_thread.IsValid()) {
        Stop();
        return false;
    }
    return true;
}

void CFolderWatch::Stop()
{
    if (m_thread.IsValid()) {
        SetEvent(m_stop.Get());
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Close();
    }
    m_stop.Close();
    if (m_change != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(m_change);
        m_change = INVALID_HANDLE_VALUE;
    }
}

DWORD WINAPI CFolderWatch::ThreadMain(void* self)
{
    static_cast<CFolderWatch*>(self)->Run();
    return 0;
}

void CFolderWatch::Run()
{
    const HANDLE waitFor[2] = {m_stop.Get(), m_change};
    // Nothing pending: the thread sleeps until the folder changes. Pending:
    // it waits for the folder to stay quiet for the settling time.
    bool pending = false;
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, waitFor, FALSE, pending ? m_settleMs : INFINITE);
        if (woke == WAIT_OBJECT_0 + 1) {
            pending = true;
            if (!FindNextChangeNotification(m_change))
                break;
        } else if (woke == WAIT_TIMEOUT) {
            pending = false;
            PostMessageA(m_window, m_message, 0, 0);
        } else {
            break;
        }
    }
}
