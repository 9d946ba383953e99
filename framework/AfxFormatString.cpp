#include "AfxFormatString.h"

void AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2)
{
    CString strFormat;
    strFormat.LoadString(nIDS);
    AfxFormatStrings(rString, strFormat, lpsz1, lpsz2);
}

void AfxFormatStrings(CString& rString, LPCSTR lpszFormat, LPCSTR lpsz1, LPCSTR lpsz2)
{
    rString.Empty();
    for (const char* p = lpszFormat; *p; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            rString += p[1] == '1' ? lpsz1 : lpsz2;
            ++p;
        } else {
            rString += *p;
        }
    }
}
