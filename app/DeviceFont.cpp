#include "DeviceFont.h"

#include <cstdlib>
#include <cstring>

namespace {
const float kPointsPerInch = 0.013888889f; // 1/72

// The size is in tenths of a point, so |y| is ten times the height wanted: rounded half
// up, and negative so that the font mapper matches the character height, not the cell.
LONG FontHeight(LONG nLogicalY)
{
    return -static_cast<LONG>(std::labs(nLogicalY) * 0.1 + 0.5);
}
}

CDeviceFont::CDeviceFont(HDC hDC, const char* pszFaceName, int nSize, int nWidth, int nStyle, BOOL bLogicalPixels)
    : m_logFont(), m_hDC(hDC), m_hFont(nullptr)
{
    ::SetGraphicsMode(hDC, GM_ADVANCED);
    ::ModifyWorldTransform(hDC, nullptr, MWT_IDENTITY);
    ::SetViewportOrgEx(hDC, 0, 0, nullptr);
    ::SetWindowOrgEx(hDC, 0, 0, nullptr);

    float fPixelsX;
    double dPixelsY;
    if (bLogicalPixels) {
        fPixelsX = static_cast<float>(::GetDeviceCaps(hDC, LOGPIXELSX));
        dPixelsY = ::GetDeviceCaps(hDC, LOGPIXELSY);
    } else {
        fPixelsX = static_cast<float>(::GetDeviceCaps(hDC, HORZRES) * 25.4 / ::GetDeviceCaps(hDC, HORZSIZE));
        dPixelsY = ::GetDeviceCaps(hDC, VERTRES) * 25.4 / ::GetDeviceCaps(hDC, VERTSIZE);
    }
    POINT pt;
    pt.x = static_cast<LONG>(nWidth * fPixelsX * kPointsPerInch);
    pt.y = static_cast<LONG>(nSize * dPixelsY * kPointsPerInch);
    ::DPtoLP(hDC, &pt, 1);

    m_logFont.lfHeight = FontHeight(pt.y);
    m_logFont.lfWeight = (nStyle & styleBold) ? FW_BOLD : FW_DONTCARE;
    m_logFont.lfItalic = (nStyle & styleItalic) ? 1 : 0;
    m_logFont.lfUnderline = (nStyle & styleUnderline) ? 1 : 0;
    m_logFont.lfStrikeOut = (nStyle & styleStrikeOut) ? 1 : 0;
    m_logFont.lfCharSet = ANSI_CHARSET;
    std::strncpy(m_logFont.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    m_hFont = ::CreateFontIndirectA(&m_logFont);

    if (nWidth != 0 && pt.y != 0) {
        // The natural average width, scaled by the ratio of the width asked for to the size.
        HGDIOBJ hOldFont = ::SelectObject(hDC, m_hFont);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(hDC, &tm);
        ::SelectObject(hDC, hOldFont);
        ::DeleteObject(m_hFont);
        m_logFont.lfWidth = static_cast<LONG>(static_cast<double>(std::labs(pt.x)) * tm.tmAveCharWidth
                                              / std::labs(pt.y) + 0.5);
        m_hFont = ::CreateFontIndirectA(&m_logFont);
    }
    ::SelectObject(hDC, m_hFont);
}

CDeviceFont::~CDeviceFont()
{
    if (m_hFont)
        ::DeleteObject(m_hFont);
}

LRESULT CDeviceFont::ApplyToWindow(HWND hWnd)
{
    return ::SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), TRUE);
}
