// CString: a byte string in the system code page that carries its own length, so it
// may hold any byte, NUL included (a received line can). Converts to const char* for
// the Win32 calls; that view ends at the first NUL, as a C string does.
#pragma once

#include <windows.h>
#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_str(pch, pch + nLength) {}
    CString(char ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char operator[](int nIndex) const { return m_str[nIndex]; }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }

    CString& operator=(const char* psz) { m_str = psz ? psz : ""; return *this; }
    CString& operator+=(const CString& str) { m_str += str.m_str; return *this; }
    CString& operator+=(const char* psz) { m_str += psz ? psz : ""; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }

    // Exact, case-sensitive comparison of all bytes.
    bool operator==(const CString& str) const { return m_str == str.m_str; }
    bool operator==(const char* psz) const { return m_str == (psz ? psz : ""); }
    bool operator!=(const CString& str) const { return !(*this == str); }
    bool operator!=(const char* psz) const { return !(*this == psz); }
    friend CString operator+(const CString& a, const CString& b) { CString s(a); s += b; return s; }
    friend CString operator+(const CString& a, const char* b) { CString s(a); s += b; return s; }
    friend CString operator+(const char* a, const CString& b) { CString s(a); s += b; return s; }

    CString Left(int nCount) const;
    CString Mid(int nFirst, int nCount = -1) const;
    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;

    // printf-style formatting into this string.
    void Format(const char* pszFormat, ...);
    void FormatV(const char* pszFormat, va_list args);

    // Loads a string of the string table through the framework's resource search
    // (the language library first). FALSE, and an empty string, when it is missing.
    BOOL LoadString(UINT nID);

    // Direct access for Win32 calls that fill a buffer; ReleaseBuffer(-1) takes the
    // length from the first NUL.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    std::string m_str;
};
