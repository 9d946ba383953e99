#include "FileDigest.h"
#include "ResultRow.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

namespace {
// The algorithm's handles for one digest, released however it ends.
class Sha256 {
public:
    Sha256()
    {
        if (::BCryptOpenAlgorithmProvider(&m_hAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) {
            m_hAlgorithm = nullptr;
            return;
        }
        if (::BCryptCreateHash(m_hAlgorithm, &m_hHash, nullptr, 0, nullptr, 0, 0) < 0)
            m_hHash = nullptr;
    }
    ~Sha256()
    {
        if (m_hHash)
            ::BCryptDestroyHash(m_hHash);
        if (m_hAlgorithm)
            ::BCryptCloseAlgorithmProvider(m_hAlgorithm, 0);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool IsReady() const { return m_hHash != nullptr; }
    bool Add(unsigned char* pBytes, ULONG nCount) { return ::BCryptHashData(m_hHash, pBytes, nCount, 0) >= 0; }
    bool Finish(unsigned char (&digest)[32]) { return ::BCryptFinishHash(m_hHash, digest, sizeof digest, 0) >= 0; }

private:
    BCRYPT_ALG_HANDLE m_hAlgorithm = nullptr;
    BCRYPT_HASH_HANDLE m_hHash = nullptr;
};
}

FileDigest DigestOfFile(const char* pszPath)
{
    FileDigest result;
    HANDLE hFile = ::CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return result;
    Sha256 hash;
    std::vector<unsigned char> buffer(64 * 1024);
    long long nBytes = 0;
    bool bGood = hash.IsReady();
    for (;;) {
        DWORD nRead = 0;
        if (!::ReadFile(hFile, buffer.data(), static_cast<DWORD>(buffer.size()), &nRead, nullptr)) {
            bGood = false; // only a clean end of the file gives a digest
            break;
        }
        if (nRead == 0 || !bGood)
            break;
        bGood = hash.Add(buffer.data(), nRead);
        nBytes += nRead;
    }
    ::CloseHandle(hFile);
    unsigned char digest[32];
    if (bGood && hash.Finish(digest)) {
        result.nBytes = nBytes;
        result.strSha256 = HexOfBytes(digest, sizeof digest);
    }
    return result;
}
