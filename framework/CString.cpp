#include "CString.h"
#include "CWinApp.h"

#include <cstdio>
#include <cstring>

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(m_str.data(), nCount < GetLength() ? nCount : GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength())
        return CString();
    int nAvailable = GetLength() - nFirst;
    if (nCount < 0 || nCount > nAvailable)
        nCount = nAvailable;
    return CString(m_str.data() + nFirst, nCount);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (nStart < 0 || nStart > GetLength())
        return -1;
    size_t pos = m_str.find(pszSub, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    int nLength = std::vsnprintf(nullptr, 0, pszFormat, measure);
    va_end(measure);
    if (nLength < 0) {
        m_str.clear();
        return;
    }
    std::string text(static_cast<size_t>(nLength) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), pszFormat, args);
    text.resize(static_cast<size_t>(nLength));
    m_str.swap(text);
}

BOOL CString::LoadString(UINT nID)
{
    m_str.clear();
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEA((nID >> 4) + 1), RT_STRING);
    // A string table entry holds at most 65535 characters; grow until it fits.
    for (int nSize = 256; nSize <= 65536; nSize *= 4) {
        std::string buffer(static_cast<size_t>(nSize), '\0');
        int nLength = ::LoadStringA(hInst, nID, &buffer[0], nSize);
        if (nLength < nSize - 1) {
            buffer.resize(nLength > 0 ? static_cast<size_t>(nLength) : 0);
            m_str.swap(buffer);
            return !m_str.empty();
        }
    }
    return FALSE;
}

char* CString::GetBuffer(int nMinLength)
{
    if (nMinLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinLength));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
    m_str.resize(static_cast<size_t>(nNewLength));
}
