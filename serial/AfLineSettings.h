#pragma once
// The 28-byte device-control record, the enumerations behind the line properties, the rebuild
// of the record from the properties and the opposite decoding.
#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <utility>

// Order of every enumeration is its stored value.
enum TAfBaudrate {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000,
    br57600, br115200, br128000, br256000, brUser
};
enum TAfDatabits { db4, db5, db6, db7, db8 };
enum TAfParity { paNone, paOdd, paEven, paMark, paSpace };
enum TAfStopbits { sbOne, sbOneAndHalf, sbTwo };
enum TAfFlowControl { fwNone, fwXOnXOff, fwRtsCts, fwDtrDsr };
enum TAfComOption { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coStripNull };

// Set of TAfComOption.
class TAfComOptions {
public:
    TAfComOptions() = default;
    TAfComOptions(std::initializer_list<TAfComOption> options);
    bool Contains(TAfComOption o) const { return bits_ & (1u << o); }
    void Include(TAfComOption o) { bits_ |= (1u << o); }
    void Exclude(TAfComOption o) { bits_ &= ~(1u << o); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TAfComOptions& other) const { return bits_ == other.bits_; }
    bool operator!=(const TAfComOptions& other) const { return bits_ != other.bits_; }

private:
    unsigned bits_ = 0;
};

// Flag bits of TAfLineSettings::Flags.
namespace AfFlag {
constexpr uint32_t Binary = 0x0001;
constexpr uint32_t Parity = 0x0002;
constexpr uint32_t OutxCtsFlow = 0x0004;
constexpr uint32_t OutxDsrFlow = 0x0008;
constexpr uint32_t DtrControlEnable = 0x0010;
constexpr uint32_t DtrControlHandshake = 0x0020;
constexpr uint32_t DsrSensitivity = 0x0040;
constexpr uint32_t TXContinueOnXoff = 0x0080;
constexpr uint32_t OutX = 0x0100;
constexpr uint32_t InX = 0x0200;
constexpr uint32_t ErrorChar = 0x0400;
constexpr uint32_t Null = 0x0800;
constexpr uint32_t RtsControlEnable = 0x1000;
constexpr uint32_t RtsControlHandshake = 0x2000;
} // namespace AfFlag

// The device-control record; ToBytes()/FromBytes() give its 28-byte little-endian form.
struct TAfLineSettings {
    uint32_t Length = 0;
    uint32_t BaudRate = 0;
    uint32_t Flags = 0;
    uint16_t Reserved = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;
    uint8_t Parity = 0;
    uint8_t StopBits = 0;
    uint8_t XonChar = 0;
    uint8_t XoffChar = 0;
    uint8_t ErrorChar = 0;
    uint8_t EofChar = 0;
    uint8_t EvtChar = 0;
    uint16_t Reserved2 = 0;

    static constexpr int RecordSize = 28;
    QByteArray ToBytes() const;
    // Fewer than 28 bytes: the missing ones read as 0.
    static TAfLineSettings FromBytes(const QByteArray& bytes);
    bool operator==(const TAfLineSettings& o) const { return ToBytes() == o.ToBytes(); }
    bool operator!=(const TAfLineSettings& o) const { return !(*this == o); }
};

// The line properties of the port component that feed the record.
struct TAfLineProperties {
    TAfBaudrate BaudRate = br115200;
    int32_t UserBaudRate = 0;
    TAfDatabits Databits = db8;
    TAfParity Parity = paNone;
    TAfStopbits Stopbits = sbOne;
    TAfFlowControl FlowControl = fwNone;
    TAfComOptions Options;
    bool DTR = true;
    bool RTS = true;
    uint8_t XOnChar = 17;
    uint8_t XOffChar = 19;
    uint16_t XOnLim = 0;
    uint16_t XOffLim = 0;
};

// Bits per second named by a TAfBaudrate (brUser: 0).
uint32_t AfBaudRateValue(TAfBaudrate b);
// The fixed flag group of a flow-control value.
uint32_t AfFlowFlags(TAfFlowControl f);
uint32_t AfOptionFlag(TAfComOption o);

TAfLineSettings AfBuildLineSettings(const TAfLineProperties& p);
// XOnLim and XOffLim for a flow control and input queue size: fwNone 0/0, otherwise
// InBufSize/4 and the low 16 bits of InBufSize minus that.
std::pair<uint16_t, uint16_t> AfFlowLimits(TAfFlowControl flow, int32_t inBufSize);
// Sets every property a record describes; DTR and RTS are left as they are.
void AfDecodeLineSettings(const TAfLineSettings& record, TAfLineProperties& p);
