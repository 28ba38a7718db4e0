#include "AfLineSettings.h"

namespace {

constexpr uint32_t kRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,   14400,
                               19200, 38400, 56000, 57600, 115200, 128000, 256000, 0};

void putLe(QByteArray& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

uint32_t getLe(const QByteArray& in, int& pos, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i, ++pos) {
        const uint32_t b = pos < in.size() ? uint8_t(in[pos]) : 0;
        value |= b << (8 * i);
    }
    return value;
}

} // namespace

TAfComOptions::TAfComOptions(std::initializer_list<TAfComOption> options)
{
    for (TAfComOption o : options)
        Include(o);
}

QByteArray TAfLineSettings::ToBytes() const
{
    QByteArray out;
    out.reserve(RecordSize);
    putLe(out, Length, 4);
    putLe(out, BaudRate, 4);
    putLe(out, Flags, 4);
    putLe(out, Reserved, 2);
    putLe(out, XonLim, 2);
    putLe(out, XoffLim, 2);
    for (uint8_t b : {ByteSize, Parity, StopBits, XonChar, XoffChar, ErrorChar, EofChar, EvtChar})
        putLe(out, b, 1);
    putLe(out, Reserved2, 2);
    return out;
}

TAfLineSettings TAfLineSettings::FromBytes(const QByteArray& bytes)
{
    TAfLineSettings r;
    int pos = 0;
    r.Length = getLe(bytes, pos, 4);
    r.BaudRate = getLe(bytes, pos, 4);
    r.Flags = getLe(bytes, pos, 4);
    r.Reserved = uint16_t(getLe(bytes, pos, 2));
    r.XonLim = uint16_t(getLe(bytes, pos, 2));
    r.XoffLim = uint16_t(getLe(bytes, pos, 2));
    r.ByteSize = uint8_t(getLe(bytes, pos, 1));
    r.Parity = uint8_t(getLe(bytes, pos, 1));
    r.StopBits = uint8_t(getLe(bytes, pos, 1));
    r.XonChar = uint8_t(getLe(bytes, pos, 1));
    r.XoffChar = uint8_t(getLe(bytes, pos, 1));
    r.ErrorChar = uint8_t(getLe(bytes, pos, 1));
    r.EofChar = uint8_t(getLe(bytes, pos, 1));
    r.EvtChar = uint8_t(getLe(bytes, pos, 1));
    r.Reserved2 = uint16_t(getLe(bytes, pos, 2));
    return r;
}

uint32_t AfBaudRateValue(TAfBaudrate b)
{
    return kRates[b];
}

uint32_t AfFlowFlags(TAfFlowControl f)
{
    switch (f) {
    case fwXOnXOff: return AfFlag::OutX | AfFlag::InX;
    case fwRtsCts: return AfFlag::RtsControlHandshake | AfFlag::OutxCtsFlow;
    case fwDtrDsr: return AfFlag::DtrControlHandshake | AfFlag::OutxDsrFlow;
    case fwNone: break;
    }
    return 0;
}

uint32_t AfOptionFlag(TAfComOption o)
{
    switch (o) {
    case coParityCheck: return AfFlag::Parity;
    case coDsrSensitivity: return AfFlag::DsrSensitivity;
    case coIgnoreXOff: return AfFlag::TXContinueOnXoff;
    case coErrorChar: return AfFlag::ErrorChar;
    case coStripNull: return AfFlag::Null;
    }
    return 0;
}

TAfLineSettings AfBuildLineSettings(const TAfLineProperties& p)
{
    TAfLineSettings r;
    r.Length = TAfLineSettings::RecordSize;
    r.BaudRate = p.BaudRate == brUser ? uint32_t(p.UserBaudRate) : AfBaudRateValue(p.BaudRate);
    r.ByteSize = uint8_t(4 + p.Databits);
    r.Parity = uint8_t(p.Parity);
    r.StopBits = uint8_t(p.Stopbits);
    r.XonChar = p.XOnChar;
    r.XoffChar = p.XOffChar;
    r.XonLim = p.XOnLim;
    r.XoffLim = p.XOffLim;
    r.Flags = AfFlowFlags(p.FlowControl) | AfFlag::Binary;
    for (TAfComOption o : {coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coStripNull})
        if (p.Options.Contains(o))
            r.Flags |= AfOptionFlag(o);
    if (p.DTR && p.FlowControl != fwDtrDsr)
        r.Flags |= AfFlag::DtrControlEnable;
    if (p.RTS && p.FlowControl != fwRtsCts)
        r.Flags |= AfFlag::RtsControlEnable;
    return r;
}

std::pair<uint16_t, uint16_t> AfFlowLimits(TAfFlowControl flow, int32_t inBufSize)
{
    if (flow == fwNone)
        return {0, 0};
    const int32_t quarter = inBufSize / 4;
    return {uint16_t(quarter), uint16_t(uint16_t(inBufSize) - quarter)};
}

void AfDecodeLineSettings(const TAfLineSettings& record, TAfLineProperties& p)
{
    p.BaudRate = brUser;
    for (int b = br110; b <= brUser; ++b) {
        if (kRates[b] == record.BaudRate) {
            p.BaudRate = TAfBaudrate(b);
            break;
        }
    }
    p.UserBaudRate = p.BaudRate == brUser ? int32_t(record.BaudRate) : 0;

    p.Databits = record.ByteSize >= 4 && record.ByteSize <= 8 ? TAfDatabits(record.ByteSize - 4) : db8;
    p.Parity = record.Parity <= paSpace ? TAfParity(record.Parity) : paNone;
    p.Stopbits = record.StopBits <= sbTwo ? TAfStopbits(record.StopBits) : sbOne;

    p.FlowControl = fwNone;
    for (TAfFlowControl f : {fwDtrDsr, fwRtsCts, fwXOnXOff}) {
        if ((record.Flags & AfFlowFlags(f)) == AfFlowFlags(f)) {
            p.FlowControl = f;
            break;
        }
    }
    p.Options = TAfComOptions();
    for (TAfComOption o : {coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coStripNull})
        if (record.Flags & AfOptionFlag(o))
            p.Options.Include(o);
    p.XOnChar = record.XonChar;
    p.XOffChar = record.XoffChar;
    p.XOnLim = record.XonLim;
    p.XOffLim = record.XoffLim;
}
