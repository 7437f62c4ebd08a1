#pragma once
#include <ole2.h>

// OLE on this thread, for drag and drop, from Start until destruction. The
// program starts it when its dialog is first shown: a program that lives
// in the tray starts without loading OLE. A failure leaves only drag and
// drop without effect.
class COleSession {
public:
    COleSession() = default;
    ~COleSession()
    {
        if (m_started)
            OleUninitialize();
    }
    COleSession(const COleSession&) = delete;
    COleSession& operator=(const COleSession&) = delete;

    void Start()
    {
        if (!m_started)
            m_started = SUCCEEDED(OleInitialize(nullptr));
    }

private:
    bool m_started = false;
};
