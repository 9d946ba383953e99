// The figures of a C++ benchmark, kept for ./zev bench's table (tests/bench/bench_table.py):
// one JSON line a figure in ZEV_BENCH_FIGURES/<bench>.jsonl, as tests/bench/figures.py
// writes them for the Python benchmarks. Without the variable nothing is written.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class BenchFigures {
public:
    explicit BenchFigures(const char* pszBench)
    {
        const char* pszFolder = std::getenv("ZEV_BENCH_FIGURES");
        if (!pszFolder || !*pszFolder)
            return;
        // ctest gives the Linux path; under Wine it is on drive Z:.
        std::string strFolder = std::string(pszFolder[0] == '/' ? "Z:" : "") + pszFolder;
        CreateDirectoryA(strFolder.c_str(), nullptr); // fine when it is there
        m_strPath = strFolder + "/" + pszBench + ".jsonl";
        if (FILE* pFile = std::fopen(m_strPath.c_str(), "w"))
            std::fclose(pFile);
    }

    // A figure with no aim and no floor: pass a negative aim or floor for "none".
    void Add(const char* pszName, double dValue, const char* pszUnit, double dAim = -1, double dFloor = -1,
             bool bLowerIsBetter = true)
    {
        if (m_strPath.empty())
            return;
        FILE* pFile = std::fopen(m_strPath.c_str(), "a");
        if (!pFile)
            return;
        std::fprintf(pFile, "{\"name\": %s, \"value\": %.6g, \"unit\": \"%s\", \"aim\": %s, \"floor\": %s, "
                            "\"lower_is_better\": %s, \"note\": \"\"}\n",
                     Quoted(pszName).c_str(), dValue, pszUnit, Number(dAim).c_str(), Number(dFloor).c_str(),
                     bLowerIsBetter ? "true" : "false");
        std::fclose(pFile);
    }

private:
    static std::string Quoted(const char* psz)
    {
        std::string str = "\"";
        for (; *psz; ++psz) {
            if (*psz == '"' || *psz == '\\')
                str += '\\';
            str += *psz;
        }
        return str + "\"";
    }

    static std::string Number(double dValue)
    {
        if (dValue < 0)
            return "null";
        char sz[32];
        std::snprintf(sz, sizeof sz, "%.6g", dValue);
        return sz;
    }

    std::string m_strPath;
};
