// The protocol's table: each operation code's letter and response time-out, and the
// operations the settings run reads and writes its letters with.
#include "ServiceDlg.h"

#include <doctest.h>

namespace {
struct Expected {
    Operation nOperation;
    char chLetter;
    UINT nTimeoutMs;
    OperationRow::Completion completion;
};

constexpr OperationRow::Completion kOwn = OperationRow::Own;
constexpr OperationRow::Completion kRead = OperationRow::Read;
constexpr OperationRow::Completion kWrite = OperationRow::Write;

// As the device's protocol gives them: the letter sent, the time the device has to answer.
const Expected kExpected[] = {
    { OP_IDLE, 0, 0, kOwn },            { OP_WAKEUP, 0, 15000, kOwn },
    { OP_IMAGE_START, 'D', 15000, kOwn }, { OP_DOWNLOAD, 0, 10000, kOwn },
    { OP_CLOCK, 'T', 1000, kOwn },      { OP_TEXT_S, 'S', 1000, kWrite },
    { OP_QUERY, 'L', 1000, kOwn },      { OP_READOUT, 'V', 1000, kOwn },
    { OP_CAPTURE, 'O', 1000, kOwn },    { OP_COMMAND_Y, 'Y', 1000, kOwn },
    { OP_COMMAND_X, 'X', 1000, kOwn },  { OP_TEXT_N, 'N', 1000, kWrite },
    { OP_TEXT_H, 'H', 1000, kWrite },   { OP_CFG_VALUES, 'r', 1000, kRead },
    { OP_CFG_MODE, 'h', 1000, kRead },  { OP_CFG_KIND, '3', 1000, kRead },
    { OP_CFG_OPTION, 'b', 1000, kRead }, { OP_CFG_WRITE_R, 'R', 1000, kWrite },
    { OP_CFG_WRITE_H, 'H', 1000, kWrite }, { OP_CFG_WRITE_1, '1', 1000, kWrite },
    { OP_CFG_WRITE_B, 'B', 1000, kWrite }, { OP_READ_G, 'g', 1000, kRead },
    { OP_WRITE_G, 'G', 1000, kWrite },  { OP_READ_J, 'j', 1000, kRead },
    { OP_WRITE_J, 'J', 1000, kWrite },  { OP_READ_W, 'w', 1000, kRead },
    { OP_WRITE_W, 'W', 1000, kWrite },  { OP_READ_4, '4', 1000, kRead },
    { OP_READ_C, 'c', 1000, kRead },    { OP_WRITE_C, 'C', 1000, kWrite },
    { OP_READ_F, 'f', 1000, kRead },    { OP_WRITE_F, 'F', 1000, kWrite },
    { OP_WRITE_2, '2', 1000, kWrite },  { OP_MONITOR, 'M', 0, kOwn },
    { OP_WRITE_F_ALONE, 'F', 1000, kWrite },
};
}

TEST_CASE("every operation code has its letter, its time-out and its way of completion")
{
    REQUIRE(std::size(kExpected) == static_cast<std::size_t>(OP_COUNT));
    for (const Expected& expected : kExpected) {
        CAPTURE(static_cast<int>(expected.nOperation));
        const OperationRow& row = CServiceDlg::OperationOf(expected.nOperation);
        CHECK(row.nOperation == expected.nOperation);
        CHECK(row.chLetter == expected.chLetter);
        CHECK(row.nTimeoutMs == expected.nTimeoutMs);
        CHECK(row.completion == expected.completion);
        // A read parses its line; an operation of its own answers at least one of the two.
        if (row.completion == OperationRow::Read)
            CHECK(row.pfnParse != nullptr);
        if (row.completion == OperationRow::Own && row.nOperation != OP_IDLE && row.nOperation != OP_DOWNLOAD)
            CHECK((row.pfnOnLine != nullptr || row.pfnOnEscape != nullptr));
    }
    // A code outside the table is handled as idle.
    CHECK(CServiceDlg::OperationOf(static_cast<Operation>(OP_COUNT)).nOperation == OP_IDLE);
    CHECK(CServiceDlg::OperationOf(static_cast<Operation>(-1)).nOperation == OP_IDLE);
}

TEST_CASE("the settings run reads and writes each letter with the operation of the cycles")
{
    const std::pair<char, Operation> kReads[] = {
        { 'r', OP_CFG_VALUES }, { 'h', OP_CFG_MODE }, { '3', OP_CFG_KIND }, { 'b', OP_CFG_OPTION }, { 'j', OP_READ_J },
        { 'w', OP_READ_W },     { 'f', OP_READ_F },   { '4', OP_READ_4 },   { 'c', OP_READ_C },
    };
    for (const auto& read : kReads) {
        CAPTURE(read.first);
        const OperationRow* pRow = CServiceDlg::SettingsOperationOf(read.first, OperationRow::Read);
        REQUIRE(pRow != nullptr);
        CHECK(pRow->nOperation == read.second);
    }
    // 'H' is the configuration's mode, not the text command; 'F' follows 'W', it is not 'F' alone.
    const std::pair<char, Operation> kWrites[] = {
        { 'R', OP_CFG_WRITE_R }, { 'H', OP_CFG_WRITE_H }, { '1', OP_CFG_WRITE_1 }, { 'B', OP_CFG_WRITE_B },
        { 'J', OP_WRITE_J },     { 'W', OP_WRITE_W },     { 'F', OP_WRITE_F },     { '2', OP_WRITE_2 },
        { 'C', OP_WRITE_C },
    };
    for (const auto& write : kWrites) {
        CAPTURE(write.first);
        const OperationRow* pRow = CServiceDlg::SettingsOperationOf(write.first, OperationRow::Write);
        REQUIRE(pRow != nullptr);
        CHECK(pRow->nOperation == write.second);
        CHECK(pRow->pfnStartWrite != nullptr);
        // Every write but 'R' (three numbers) sends one member's value.
        CHECK((pRow->pnValue != nullptr) == (write.first != 'R'));
    }
    // 'g' and 'G' are no part of the device settings.
    CHECK(CServiceDlg::SettingsOperationOf('g', OperationRow::Read) == nullptr);
    CHECK(CServiceDlg::SettingsOperationOf('G', OperationRow::Write) == nullptr);
}
