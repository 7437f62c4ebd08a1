#include "about/AboutBox.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

// The maker's addresses.
const char kWebAddress[] = "http://www.example.com/";
const char kEmailAddress[] = "quipmark@example.com";

std::string LoadResourceString(UINT id)
{
    CWinApp* app = CWinApp::Get();
    HINSTANCE instance = app != nullptr ? app->Instance() : GetModuleHandleA(nullptr);
    char text[256] = "";
    const int length = LoadStringA(instance, id, text, sizeof(text));
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace

CAboutBox::CAboutBox(HWND parent)
    : CDialog(IDD_ABOUTBOX, parent)
{
}

void CAboutBox::DoDataExchange()
{
    m_webLink.SubclassDlgItem(IDC_ABOUT_WEB, m_hWnd);
    m_emailLink.SubclassDlgItem(IDC_ABOUT_EMAIL, m_hWnd);
    SetItemFromString(IDC_ABOUT_VERSION, IDS_ABOUT_VERSION);
    SetText(LoadResourceString(IDS_ABOUT_CAPTION));
    SetItemFromString(IDC_ABOUT_COPYRIGHT, IDS_ABOUT_COPYRIGHT);
}

bool CAboutBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The text first: setting the address fits the link to its text.
    m_webLink.SetText(kWebAddress);
    m_webLink.SetUrl(kWebAddress);
    m_emailLink.SetText(kEmailAddress);
    m_emailLink.SetUrl(std::string("mailto:") + kEmailAddress);
    return true;
}

void CAboutBox::SetItemFromString(int id, UINT stringId) const
{
    SetDlgItemTextA(m_hWnd, id, LoadResourceString(stringId).c_str());
}
