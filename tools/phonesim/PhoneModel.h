#pragma once
#include "SimStore.h"

#include <string>
#include <utility>
#include <vector>

namespace phonesim {

struct PhoneOptions {
    bool echo = true;             // command echo at start (ATE1)
    bool silent = false;          // reads everything, answers nothing
    bool emptyCmgrOk = false;     // AT+CMGR of an empty slot: "OK" instead of "+CMS ERROR: 321"
    int answerLimit = -1;         // >= 0: after this many answers the phone only echoes
    int smsFirstFree = 1;         // AT+CMGW takes the lowest free position from here on
    int smsCapacity = 30;         // AT+CMGW beyond this many messages: "+CMS ERROR: 322"
    std::vector<std::string> errorPrefixes;                     // answer ERROR to these commands
    std::vector<std::pair<std::string, std::string>> replies;  // command prefix -> raw answer
    size_t floodBytes = 0;        // > 0: every command is answered by this many bytes of noise
    std::string vanishPrefix;     // a command beginning with this makes the phone vanish
    // What a phone may be set to, or do, that the program must cope with:
    bool phoneMemory = false;     // phone book and SMS start in the phone's own memory ("ME")
    bool textMode = false;        // SMS in text mode at start (AT+CMGF=1)
    bool refuseSim = false;       // AT+CPBS="SM" and AT+CPMS="SM",... are refused
    bool emptyDeleteError = false; // AT+CMGD of an empty position: "ERROR" instead of "OK"
    int promptDelayMs = 0;        // the "> " prompt of AT+CMGW comes this much later
    bool promptNotice = false;    // a "+CMTI:" notice follows the prompt at once
};

// What the phone sends back: the echo goes out at once, answers may be delayed.
struct Output {
    enum Kind { Echo, Answer };
    Kind kind;
    std::string bytes;
    int extraDelayMs = 0; // an answer the phone is slower with than with the others
    bool operator==(const Output& o) const { return kind == o.kind && bytes == o.bytes; }
};

std::string joined(const std::vector<Output>& out);

// The AT dialogue of a phone with command echo, phone book and SMS store (PDU mode), on the
// SIM ("SM") or in the phone's own memory ("ME", AT+CPBS / AT+CPMS), in PDU or text mode
// (AT+CMGF).
// Fed the bytes received on the line in any pieces; returns what the phone sends back.
// Commands end with CR; answers are framed CR LF ... CR LF (3GPP TS 27.007 / 27.005).
class PhoneModel {
public:
    explicit PhoneModel(PhoneOptions options = {}, SimStore store = {});

    std::vector<Output> feed(const std::string& bytes);

    // The line was closed by the client: a half-typed command or PDU is dropped.
    void resetInput();

    bool echo() const { return echo_; }
    // A command named by PhoneOptions::vanishPrefix arrived: the phone is to disappear now.
    bool vanished() const { return vanished_; }
    const SimStore& store() const { return store_; }
    // What went to the phone's own memory, or was stored as text: never on the SIM.
    const SimStore& phoneStore() const { return phone_; }
    size_t textMessages() const { return textMessages_; }
    // True once after every change of the SIM contents (to save the state file).
    bool takeChanged();

private:
    static constexpr size_t kMaxLine = 2048;
    static constexpr size_t kMaxPdu = 2 * 256;

    void flushEcho(std::vector<Output>& out);
    std::string command(const std::string& line);
    std::string finishPdu();
    std::string phoneBookWrite(const std::string& params);
    std::string phoneBookRead(const std::string& params);
    std::string smsWrite(const std::string& params);
    std::string smsRead(const std::string& params);
    std::string smsDelete(const std::string& params);

    std::string memorySelect(const std::string& params, bool phoneBook);
    SimStore& bookStore() { return bookOnSim_ ? store_ : phone_; }
    SimStore& smsStore() { return smsOnSim_ ? store_ : phone_; }

    PhoneOptions options_;
    SimStore store_;
    SimStore phone_;      // the phone's own memory
    bool bookOnSim_ = true;
    bool smsOnSim_ = true;
    bool textMode_ = false;
    bool textPending_ = false; // the text being typed after AT+CMGW in text mode
    size_t textMessages_ = 0;
    bool echo_;
    bool changed_ = false;
    int answers_ = 0;
    bool vanished_ = false;
    std::string echoed_;
    std::string line_;
    bool lineTooLong_ = false;
    bool pduMode_ = false;
    int pduLength_ = 0;
    int pduStatus_ = 2;
    std::string pdu_;
    bool pduTooLong_ = false;
};

} // namespace phonesim
