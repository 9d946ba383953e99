// The settings path from any command line and module path: always a terminated text
// inside the buffer given, whatever its size, the same path cut short when the buffer is
// small; an INI file whenever there is a command line.
#include "FuzzCheck.h"
#include "SettingsPath.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 1)
        return 0;
    // The command line and the module path, separated by the first NUL.
    const std::string strInput(reinterpret_cast<const char*>(pData + 1), nSize - 1);
    const std::size_t nSplit = strInput.find('\0');
    const std::string strCommandLine = strInput.substr(0, nSplit);
    const std::string strModule = nSplit == std::string::npos ? "C:\\ZEV.EXE" : strInput.substr(nSplit + 1);

    const std::size_t nFull = 4096 + nSize * 2;
    std::unique_ptr<char[]> full(new char[nFull]);
    SettingsPathFromCommandLine(strCommandLine.c_str(), strModule.c_str(), full.get(), nFull);
    const std::string strPath(full.get());
    FUZZ_CHECK(strPath.size() < nFull);
    if (strCommandLine.empty()) {
        FUZZ_CHECK(strPath.empty());
        return 0;
    }
    FUZZ_CHECK(strPath.size() >= 3 && strPath.compare(strPath.size() - 3, 3, "INI") == 0);

    // A buffer of exactly the size the fuzzer picks: a write past it is caught.
    const std::size_t nSmall = 1 + pData[0] % 64;
    std::unique_ptr<char[]> small(new char[nSmall]);
    SettingsPathFromCommandLine(strCommandLine.c_str(), strModule.c_str(), small.get(), nSmall);
    const std::size_t nLength = std::strlen(small.get());
    FUZZ_CHECK(nLength < nSmall);
    FUZZ_CHECK(strPath.compare(0, nLength, small.get()) == 0);
    return 0;
}
