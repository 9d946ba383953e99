// The rows of the protocol's table, one per operation code, in the order of the codes.
#include "ServiceDlg.h"
#include "OperationTable.h"

#include <iterator>

namespace {
using Handler = OperationRow::Handler;

constexpr OperationRow Row(Operation nOperation, char chLetter, UINT nTimeoutMs, OperationRow::Completion completion)
{
    OperationRow row;
    row.nOperation = nOperation;
    row.chLetter = chLetter;
    row.nTimeoutMs = nTimeoutMs;
    row.completion = completion;
    return row;
}

// An operation with its own handlers for a CR and an ESC.
constexpr OperationRow Own(Operation nOperation, char chLetter, UINT nTimeoutMs, Handler pfnOnLine, Handler pfnOnEscape)
{
    OperationRow row = Row(nOperation, chLetter, nTimeoutMs, OperationRow::Own);
    row.pfnOnLine = pfnOnLine;
    row.pfnOnEscape = pfnOnEscape;
    return row;
}

// A read whose reply opens its dialog: parsed, then the dialog's message posted.
constexpr OperationRow Read(Operation nOperation, char chLetter, Handler pfnParse, UINT nPostAfterParse)
{
    OperationRow row = Row(nOperation, chLetter, 1000, OperationRow::Read);
    row.pfnParse = pfnParse;
    row.nPostAfterParse = nPostAfterParse;
    return row;
}

// A read that a chain goes on from: parsed, then the next step.
constexpr OperationRow ReadThen(Operation nOperation, char chLetter, Handler pfnParse, Handler pfnNext)
{
    OperationRow row = Row(nOperation, chLetter, 1000, OperationRow::Read);
    row.pfnParse = pfnParse;
    row.pfnNext = pfnNext;
    return row;
}

// A write letter: the device's ESC takes the value text, and a chain goes on.
constexpr OperationRow Write(Operation nOperation, char chLetter, Handler pfnNext = nullptr)
{
    OperationRow row = Row(nOperation, chLetter, 1000, OperationRow::Write);
    row.pfnNext = pfnNext;
    return row;
}

// A write of one member's value, logged with nLogID.
constexpr OperationRow ValueWrite(Operation nOperation, char chLetter, int CServiceDlg::*pnValue, UINT nLogID,
                                  Handler pfnNext = nullptr)
{
    OperationRow row = Write(nOperation, chLetter, pfnNext);
    row.pnValue = pnValue;
    row.nWriteLogID = nLogID;
    return row;
}

// The same row, as one of the settings run's steps; a write step of a chain starts with
// its own step function.
constexpr OperationRow Settings(OperationRow row, Handler pfnStartWrite = nullptr)
{
    row.bSettings = TRUE;
    row.pfnStartWrite = pfnStartWrite;
    return row;
}

// The same write, of the value of a member that its step function reads.
constexpr OperationRow ChainWrite(OperationRow row, int CServiceDlg::*pnValue, Handler pfnStartWrite)
{
    row.pnValue = pnValue;
    return Settings(row, pfnStartWrite);
}

// Each row stands at the place of its code, so that a code finds its row at once.
template <std::size_t N>
constexpr bool IsInCodeOrder(const OperationRow (&rows)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (rows[i].nOperation != static_cast<Operation>(i))
            return false;
    return true;
}
}

const OperationRow& CServiceDlg::OperationOf(Operation nOperation)
{
    using D = CServiceDlg;
    static constexpr OperationRow kOperations[] = {
        Own(OP_IDLE, 0, 0, nullptr, nullptr),
        Own(OP_WAKEUP, 0, 15000, &D::OnInitReply, nullptr), // "**" CAN "B" and the type
        Own(OP_IMAGE_START, 'D', 15000, nullptr, &D::OnImageStartTaken),
        Own(OP_DOWNLOAD, 0, 10000, nullptr, nullptr), // a frame: ACK or NAK, framed apart
        Own(OP_CLOCK, 'T', 1000, nullptr, &D::SendClock),
        Write(OP_TEXT_S, 'S'),
        Own(OP_QUERY, 'L', 1000, &D::ParseSingleLine, &D::OnQueryTaken),
        Own(OP_READOUT, 'V', 1000, &D::OnReadoutLine, &D::OnReadoutTaken),
        Own(OP_CAPTURE, 'O', 1000, &D::OnReadoutLine, &D::OnReadoutTaken),
        Own(OP_COMMAND_Y, 'Y', 1000, nullptr, &D::OnCommandTaken),
        Own(OP_COMMAND_X, 'X', 1000, nullptr, &D::OnCommandTaken), // 'x' as well
        Write(OP_TEXT_N, 'N'),
        Write(OP_TEXT_H, 'H'),
        Settings(ReadThen(OP_CFG_VALUES, 'r', &D::ParseCfgValues, &D::ReadCfgMode)),
        Settings(ReadThen(OP_CFG_MODE, 'h', &D::ParseCfgMode, &D::ReadCfgKind)),
        Settings(ReadThen(OP_CFG_KIND, '3', &D::ParseCfgKind, &D::ReadCfgOption)),
        Settings(Read(OP_CFG_OPTION, 'b', &D::ParseCfgOption, WM_CONFIG_EDITOR)),
        Settings(Write(OP_CFG_WRITE_R, 'R', &D::WriteCfgMode), &D::WriteCfgValues),
        ChainWrite(Write(OP_CFG_WRITE_H, 'H', &D::WriteCfgKind), &D::m_nCfgMode, &D::WriteCfgMode),
        ChainWrite(Write(OP_CFG_WRITE_1, '1', &D::WriteCfgOption), &D::m_nCfgKind, &D::WriteCfgKind),
        ChainWrite(Write(OP_CFG_WRITE_B, 'B'), &D::m_nCfgOption, &D::WriteCfgOption),
        Read(OP_READ_G, 'g', &D::ParseParamG, WM_PARAM_G),
        ValueWrite(OP_WRITE_G, 'G', &D::m_nParamG, IDS_PARAM_G_WRITE),
        Settings(Read(OP_READ_J, 'j', &D::ParseParamJ, WM_PARAM_J)),
        Settings(ValueWrite(OP_WRITE_J, 'J', &D::m_nParamJ, IDS_PARAM_J_WRITE)),
        Settings(ReadThen(OP_READ_W, 'w', &D::ParseParamW, &D::ReadParamF)),
        Settings(ValueWrite(OP_WRITE_W, 'W', &D::m_nParamW, IDS_PARAM_W_WRITE, &D::FollowUpParamF)),
        Settings(Read(OP_READ_4, '4', &D::ParseInterface, WM_PARAM_INTERFACE)),
        Settings(Read(OP_READ_C, 'c', &D::ParseParamC, WM_PARAM_C)),
        Settings(ValueWrite(OP_WRITE_C, 'C', &D::m_nParamC, IDS_PARAM_C_WRITE)),
        Settings(ReadThen(OP_READ_F, 'f', &D::ParseParamF, &D::ShowParamWF)),
        Settings(ValueWrite(OP_WRITE_F, 'F', &D::m_nParamF, IDS_PARAM_F_FOLLOW)),
        Settings(ValueWrite(OP_WRITE_2, '2', &D::m_nInterface, IDS_INTERFACE_WRITE)),
        Own(OP_MONITOR, 'M', 0, &D::OnFrame, nullptr), // frames until idle
        ValueWrite(OP_WRITE_F_ALONE, 'F', nullptr, IDS_PARAM_F_WRITE), // the dialog's value
    };
    static_assert(std::size(kOperations) == OP_COUNT, "one row for each operation code");
    static_assert(IsInCodeOrder(kOperations), "each row at the place of its code");
    // A code outside the table is handled as idle: its lines and ESCs are unexpected.
    if (nOperation < 0 || nOperation >= OP_COUNT)
        nOperation = OP_IDLE;
    return kOperations[nOperation];
}

const OperationRow* CServiceDlg::SettingsOperationOf(char chLetter, OperationRow::Completion completion)
{
    for (int nOperation = 0; nOperation < OP_COUNT; ++nOperation) {
        const OperationRow& row = OperationOf(static_cast<Operation>(nOperation));
        if (row.bSettings && row.chLetter == chLetter && row.completion == completion)
            return &row;
    }
    return nullptr;
}
