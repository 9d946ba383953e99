#include "CMenu.h"
#include "CWinApp.h"

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    LPCSTR pszName = MAKEINTRESOURCEA(nIDResource);
    return Attach(::LoadMenuA(AfxFindResourceHandle(pszName, RT_MENU), pszName));
}

BOOL CMenu::DestroyMenu()
{
    return m_hMenu ? ::DestroyMenu(Detach()) : FALSE;
}
