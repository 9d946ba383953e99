// Several benches appending to one result file at the same moment, as a line on one PC
// does: each append holds the file alone, so no row is lost or run into another, and the
// header of a new file goes in once. The benches are threads here, each with its own
// handles, appending as fast as they can, so that their appends overlap again and again.
#include "AppTestEnvironment.h"
#include "ResultFile.h"
#include "ResultRow.h"
#include "UnattendedRun.h"

#include <doctest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {
const int kBenches = 4;
const int kRowsEach = 60;

std::string BenchRow(int nBench, int nRow)
{
    return "2026-12-08,10:00:00,COM" + std::to_string(nBench) + ",Corlaxa,unit " + std::to_string(nRow) +
           ",done,0,1.0,,,,done,,,done,,,,,,,\r\n";
}

std::vector<std::string> Lines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::size_t nStart = 0;
    while (nStart < strText.size()) {
        std::size_t nEnd = strText.find("\r\n", nStart);
        if (nEnd == std::string::npos) {
            lines.push_back(strText.substr(nStart)); // a line cut short
            break;
        }
        lines.push_back(strText.substr(nStart, nEnd - nStart + 2));
        nStart = nEnd + 2;
    }
    return lines;
}
}

TEST_CASE("benches appending to one new result file at once: every row once and whole, one header")
{
    TempFolder folder;
    const std::string strPath = folder.Path("units.csv");
    HANDLE hGo = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> nNotWritten(0);
    std::vector<std::thread> benches;
    for (int nBench = 1; nBench <= kBenches; ++nBench) {
        benches.emplace_back([&, nBench] {
            ::WaitForSingleObject(hGo, INFINITE);
            for (int nRow = 1; nRow <= kRowsEach; ++nRow) {
                ResultAppend append = AppendResultRow(strPath, BenchRow(nBench, nRow), nullptr);
                if (append.where != ResultAppend::Written)
                    ++nNotWritten;
            }
        });
    }
    ::SetEvent(hGo); // all at once, onto a file none of them has made yet
    for (std::thread& bench : benches)
        bench.join();
    ::CloseHandle(hGo);

    CHECK(nNotWritten == 0); // another bench holds the file for a moment only
    const std::vector<std::string> lines = Lines(ReadFileBytes(strPath));
    REQUIRE(!lines.empty());
    CHECK(lines[0] == ResultCsvHeader());
    std::map<std::string, int> seen;
    for (std::size_t i = 1; i < lines.size(); ++i)
        ++seen[lines[i]];
    CHECK(seen.count(ResultCsvHeader()) == 0); // not a second time
    CHECK(lines.size() == 1 + kBenches * kRowsEach);
    for (int nBench = 1; nBench <= kBenches; ++nBench) {
        for (int nRow = 1; nRow <= kRowsEach; ++nRow) {
            INFO("bench " << nBench << ", row " << nRow);
            CHECK(seen[BenchRow(nBench, nRow)] == 1);
        }
    }
    CHECK(::GetFileAttributesA(PendingFileName(strPath).c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("benches numbering their read-outs into one folder at once: no two take the same file")
{
    TempFolder folder;
    const std::string strFile = folder.Path("readout.LOG");
    const int kUnitsEach = 25;
    HANDLE hGo = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::mutex lock;
    std::multiset<std::string> taken;
    std::vector<std::thread> benches;
    for (int nBench = 1; nBench <= kBenches; ++nBench) {
        benches.emplace_back([&] {
            UnattendedRun run;
            run.m_line.bRepeat = true;
            run.m_line.steps.push_back(RunStep{StepKind::Readout});
            run.m_files.push_back(strFile);
            ::WaitForSingleObject(hGo, INFINITE);
            for (int nUnit = 1; nUnit <= kUnitsEach; ++nUnit) {
                run.m_nUnit = static_cast<unsigned>(nUnit);
                std::string strTaken = run.ChooseStepFile();
                std::lock_guard<std::mutex> hold(lock);
                taken.insert(strTaken);
            }
        });
    }
    ::SetEvent(hGo);
    for (std::thread& bench : benches)
        bench.join();
    ::CloseHandle(hGo);

    CHECK(taken.size() == static_cast<std::size_t>(kBenches * kUnitsEach));
    for (const std::string& strName : taken) {
        INFO(strName);
        CHECK(taken.count(strName) == 1);
        CHECK(::GetFileAttributesA(strName.c_str()) != INVALID_FILE_ATTRIBUTES); // taken by being made
    }
}

TEST_CASE("a failed step leaves no empty numbered file behind, and a written one stays")
{
    TempFolder folder;
    UnattendedRun run;
    run.m_line.bRepeat = true;
    run.m_line.steps.push_back(RunStep{StepKind::SaveSettings});
    run.m_files.push_back(folder.Path("settings.txt"));
    run.m_nUnit = 1;
    run.m_strStepFile = run.ChooseStepFile();
    CHECK(run.m_strStepFile == folder.Path("settings-1.txt"));
    run.ForgetEmptyStepFile();
    CHECK(::GetFileAttributesA(run.m_strStepFile.c_str()) == INVALID_FILE_ATTRIBUTES);

    run.m_strStepFile = run.ChooseStepFile();
    WriteFileBytes(run.m_strStepFile, "written before the failure\r\n");
    run.ForgetEmptyStepFile();
    CHECK(ReadFileBytes(run.m_strStepFile) == "written before the failure\r\n");
}
