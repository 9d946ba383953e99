#include "AfxFormatString.h"

void AfxFormatString2(CString& rString, UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2)
{
    CString strFormat;
    strFormat.LoadString(nIDS);
    rString.Empty();
    for (const char* p = strFormat; *p; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            rString += p[1] == '1' ? lpsz1 : lpsz2;
            ++p;
        } else {
            rString += *p;
        }
    }
}
