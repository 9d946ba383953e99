// The chart saved as a PNG file with the Windows imaging component: written to a
// temporary file beside the target and renamed over it at the end, so the target holds
// the whole picture or what it held before.
#include "FlowChart.h"
#include "StringFormats.h"
#include "resource.h"

#include <objbase.h>
#include <wincodec.h>

#include <string>
#include <vector>

namespace {
// The system's words for an error code (a Win32 error or an HRESULT), without the line end.
CString SystemMessage(DWORD nError)
{
    char* pszBuffer = nullptr;
    DWORD nLength = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, nError, 0, reinterpret_cast<char*>(&pszBuffer), 0, nullptr);
    CString strText;
    if (nLength && pszBuffer) {
        while (nLength && (pszBuffer[nLength - 1] == '\r' || pszBuffer[nLength - 1] == '\n' || pszBuffer[nLength - 1] == ' '))
            --nLength;
        pszBuffer[nLength] = '\0';
        strText = pszBuffer;
    } else {
        strText.Format("0x%08lX", static_cast<unsigned long>(nError));
    }
    if (pszBuffer)
        ::LocalFree(pszBuffer);
    return strText;
}

std::wstring Wide(const char* pszText)
{
    int nLength = ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, nullptr, 0);
    std::wstring strWide(nLength > 0 ? nLength : 1, L'\0');
    if (nLength > 0)
        ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, &strWide[0], nLength);
    strWide.resize(strWide.size() - 1);
    return strWide;
}

template <typename T>
void Release(T*& pObject)
{
    if (pObject)
        pObject->Release();
    pObject = nullptr;
}

// COM for this thread while the object lives, unless the thread has it already.
struct ComScope {
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope()
    {
        if (SUCCEEDED(hr))
            ::CoUninitialize();
    }
};
}

BOOL CFlowChart::SaveAsPng(const char* pszPath, CString& strError)
{
    if (!m_hWnd) {
        strError = LoadText(IDS_CHART_NOT_SHOWN);
        return FALSE;
    }
    // What the window shows now, drawn first if samples came since its last paint.
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (m_bChanged || client.right != m_cxBitmap || client.bottom != m_cyBitmap)
        Render();
    if (!m_pBits || m_cxBitmap <= 0 || m_cyBitmap <= 0) {
        strError = LoadText(IDS_CHART_NOT_SHOWN);
        return FALSE;
    }

    // The temporary file in the target's folder, so the rename stays on one volume.
    char szFull[MAX_PATH] = {};
    char* pszName = nullptr;
    if (!::GetFullPathNameA(pszPath, sizeof szFull, szFull, &pszName) || !pszName) {
        strError = SystemMessage(::GetLastError());
        return FALSE;
    }
    std::string strFolder(szFull, static_cast<size_t>(pszName - szFull));
    char szTemp[MAX_PATH] = {};
    if (!::GetTempFileNameA(strFolder.c_str(), "zev", 0, szTemp)) {
        strError = SystemMessage(::GetLastError());
        return FALSE;
    }
    if (!WritePng(szTemp, strError)) {
        ::DeleteFileA(szTemp);
        return FALSE;
    }
    if (!::MoveFileExA(szTemp, szFull, MOVEFILE_REPLACE_EXISTING)) {
        strError = SystemMessage(::GetLastError());
        ::DeleteFileA(szTemp);
        return FALSE;
    }
    return TRUE;
}

BOOL CFlowChart::WritePng(const char* pszPath, CString& strError) const
{
    // The bitmap's rows as 24-bit BGR, each padded to four bytes.
    UINT nStride = (static_cast<UINT>(m_cxBitmap) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(nStride) * m_cyBitmap);
    for (int y = 0; y < m_cyBitmap; ++y) {
        const unsigned char* pIn = m_pBits + static_cast<size_t>(y) * m_cxBitmap * 4;
        BYTE* pOut = pixels.data() + static_cast<size_t>(y) * nStride;
        for (int x = 0; x < m_cxBitmap; ++x, pIn += 4, pOut += 3) {
            pOut[0] = pIn[0];
            pOut[1] = pIn[1];
            pOut[2] = pIn[2];
        }
    }

    ComScope com;
    IWICImagingFactory* pFactory = nullptr;
    IWICStream* pStream = nullptr;
    IWICBitmapEncoder* pEncoder = nullptr;
    IWICBitmapFrameEncode* pFrame = nullptr;
    IPropertyBag2* pOptions = nullptr;
    std::wstring strPath = Wide(pszPath);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(&pFactory));
    if (SUCCEEDED(hr))
        hr = pFactory->CreateStream(&pStream);
    if (SUCCEEDED(hr))
        hr = pStream->InitializeFromFilename(strPath.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr))
        hr = pFactory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &pEncoder);
    if (SUCCEEDED(hr))
        hr = pEncoder->Initialize(pStream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = pEncoder->CreateNewFrame(&pFrame, &pOptions);
    if (SUCCEEDED(hr))
        hr = pFrame->Initialize(pOptions);
    if (SUCCEEDED(hr))
        hr = pFrame->SetSize(static_cast<UINT>(m_cxBitmap), static_cast<UINT>(m_cyBitmap));
    if (SUCCEEDED(hr))
        hr = pFrame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR)
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT; // the encoder would want the pixels otherwise
    if (SUCCEEDED(hr))
        hr = pFrame->WritePixels(static_cast<UINT>(m_cyBitmap), nStride, static_cast<UINT>(pixels.size()), pixels.data());
    if (SUCCEEDED(hr))
        hr = pFrame->Commit();
    if (SUCCEEDED(hr))
        hr = pEncoder->Commit();
    if (SUCCEEDED(hr))
        hr = pStream->Commit(STGC_DEFAULT);
    Release(pOptions);
    Release(pFrame);
    Release(pEncoder);
    Release(pStream); // closes the file
    Release(pFactory);
    if (FAILED(hr)) {
        strError = SystemMessage(static_cast<DWORD>(hr));
        return FALSE;
    }
    return TRUE;
}
