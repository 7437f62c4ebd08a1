#pragma once
#include "framework/UrlStatic.h"
#include "framework/Dialog.h"

// The About box: version, maker and two links.
class CAboutBox : public CDialog {
public:
    explicit CAboutBox(HWND parent = nullptr);

protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;

private:
    void SetItemFromString(int id, UINT stringId) const;

    CUrlStatic m_webLink;
    CUrlStatic m_emailLink;
};
