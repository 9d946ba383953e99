#include "ReceiveFraming.h"
#include "ControlBytes.h"

FramedByte FrameReceivedByte(unsigned char nByte, int& bDlePending)
{
    switch (nByte) {
    case ACK:
        return {RxByte::Ack, 0};
    case NAK:
        return {RxByte::Nak, 0};
    case DLE:
        bDlePending = 1;
        return {RxByte::DlePending, 0};
    case CR:
        return {RxByte::LineEnd, 0};
    case ESC:
        return {RxByte::Escape, 0};
    default:
        break;
    }
    if (bDlePending) {
        bDlePending = 0;
        return {RxByte::Append, static_cast<char>(static_cast<unsigned char>(nByte - 0x20))};
    }
    return {RxByte::Append, static_cast<char>(nByte)};
}
