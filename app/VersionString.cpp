#include "VersionString.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// The product version text of the first translation the block names (or of US English,
// Unicode, which the program's own resource uses); null when there is none.
const char* ProductVersionText(std::vector<char>& block)
{
    char szPath[64] = "\\StringFileInfo\\040904B0\\ProductVersion";
    WORD* pTranslation = nullptr;
    UINT nSize = 0;
    if (::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation), &nSize)
        && pTranslation && nSize >= 2 * sizeof(WORD))
        std::snprintf(szPath, sizeof szPath, "\\StringFileInfo\\%04X%04X\\ProductVersion", pTranslation[0],
                      pTranslation[1]);
    char* pszText = nullptr;
    if (!::VerQueryValueA(block.data(), szPath, reinterpret_cast<void**>(&pszText), &nSize) || !pszText || nSize == 0)
        return nullptr;
    return pszText;
}

// What the product version text holds after its version number: the build's commit,
// "(abc1234)". Empty when it holds the number alone.
CString BuildNote(const char* pszProductVersion)
{
    if (!pszProductVersion)
        return CString();
    const char* p = pszProductVersion + std::strspn(pszProductVersion, "0123456789.");
    p += std::strspn(p, " ");
    return CString(p);
}
}

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
    CString strNote = BuildNote(ProductVersionText(block));
    if (!strNote.IsEmpty())
        strText += " " + strNote;
}
