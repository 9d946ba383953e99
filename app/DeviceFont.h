// CDeviceFont: a font sized in tenths of a point for a device context, handed to a
// control. It must outlive the control it was given to; its destructor deletes it.
#pragma once

#include <windows.h>

class CDeviceFont {
public:
    enum Style { styleBold = 1, styleItalic = 2, styleUnderline = 4, styleStrikeOut = 8 };

    // nSize and nWidth in tenths of a point (nWidth 0: the face's natural width); nStyle
    // from Style; bLogicalPixels scales by the context's logical pixels per inch, else
    // by its physical size. The font is left selected into the context.
    CDeviceFont(HDC hDC, const char* pszFaceName, int nSize, int nWidth, int nStyle, BOOL bLogicalPixels);
    virtual ~CDeviceFont();
    CDeviceFont(const CDeviceFont&) = delete;
    CDeviceFont& operator=(const CDeviceFont&) = delete;

    // Gives the font to a window (WM_SETFONT, redrawn at once).
    LRESULT ApplyToWindow(HWND hWnd);

    LOGFONTA m_logFont;
    HDC m_hDC;     // not owned
    HFONT m_hFont; // owned
};
