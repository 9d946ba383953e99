#include "CTime.h"

std::tm CTime::GetLocalTm() const
{
    std::tm local = {};
    localtime_s(&local, &m_time);
    return local;
}

CString CTime::Format(const char* pszFormat) const
{
    std::tm local = GetLocalTm();
    char szText[256];
    size_t nLength = std::strftime(szText, sizeof szText, pszFormat, &local);
    return CString(szText, static_cast<int>(nLength));
}
