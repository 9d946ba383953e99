#include "TextGrid.h"

#include <cstring>

CTextGrid::CTextGrid(HDC hDC) : m_hDC(hDC), m_tm()
{
    ::GetTextMetricsA(hDC, &m_tm);
    ::SetBkMode(hDC, TRANSPARENT);
    m_nLineHeight = m_tm.tmHeight + m_tm.tmExternalLeading;
    m_nCharWidth = m_tm.tmAveCharWidth;
    // Bit 0 of the pitch marks a variable-pitch font, whose wide letters need more room.
    m_nColumnWidth = m_tm.tmAveCharWidth * (2 + (m_tm.tmPitchAndFamily & TMPF_FIXED_PITCH)) / 2;
}

void CTextGrid::PutText(int nColumn, int nRow, const char* pszText)
{
    ::TextOutA(m_hDC, nColumn * m_nColumnWidth, nRow * m_nLineHeight, pszText,
               static_cast<int>(std::strlen(pszText)));
}
