// CMenu: a menu handle. The object destroys nothing by itself: a menu given to a window
// belongs to the window, and a popup attached for one call is detached again.
#pragma once

#include <windows.h>

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    BOOL Attach(HMENU hMenu) { m_hMenu = hMenu; return hMenu != nullptr; }
    HMENU Detach() { HMENU hMenu = m_hMenu; m_hMenu = nullptr; return hMenu; }

    // Loads a menu through the framework's resource search (the language library first).
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();

    UINT EnableMenuItem(UINT nIDItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDItem, nEnable); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
};
