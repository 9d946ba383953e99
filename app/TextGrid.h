// CTextGrid: writes text into a device context on a grid of character cells measured
// from the context's current font, with a transparent background.
#pragma once

#include <windows.h>

class CTextGrid {
public:
    // Measures the context's font and makes its background mode transparent (it stays so).
    explicit CTextGrid(HDC hDC);
    virtual ~CTextGrid() = default;

    // Writes the text with its top-left corner at the cell (nColumn, nRow).
    void PutText(int nColumn, int nRow, const char* pszText);

    int m_nCharWidth;   // average character width
    int m_nLineHeight;  // character height plus external leading
    int m_nColumnWidth; // one average width, or one and a half for a variable-pitch font
    HDC m_hDC;          // not owned
    TEXTMETRICA m_tm;
};
