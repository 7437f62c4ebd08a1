#pragma once
#include "about/UrlStatic.h"
#include "framework/Dialog.h"

// The About box: version, maker and two links.
class CAboutDorvalent : public CDialog {
public:
    explicit CAboutDorvalent(HWND parent = nullptr);

protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;

private:
    void SetItemFromString(int id, UINT stringId) const;

    CUrlStatic m_webLink;
    CUrlStatic m_emailLink;
};
