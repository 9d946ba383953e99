#include "VersionString.h"

#include <vector>

void GetVersionString(CString& strText, const char* pszFileName)
{
    DWORD nHandle = 0;
    DWORD nSize = ::GetFileVersionInfoSizeA(pszFileName, &nHandle);
    std::vector<char> block(nSize);
    VS_FIXEDFILEINFO* pInfo = nullptr;
    UINT nInfoSize = 0;
    if (nSize == 0 || !::GetFileVersionInfoA(pszFileName, nHandle, nSize, block.data())
        || !::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pInfo), &nInfoSize)
        || !pInfo || nInfoSize < sizeof(VS_FIXEDFILEINFO)) {
        strText.Format("Version unknown (no version information in %s)", pszFileName);
        return;
    }
    strText.Format("Version %u.%u.%u.%04u", HIWORD(pInfo->dwFileVersionMS), LOWORD(pInfo->dwFileVersionMS),
                   HIWORD(pInfo->dwFileVersionLS), LOWORD(pInfo->dwFileVersionLS));
}
