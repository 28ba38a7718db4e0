#pragma once
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace phonesim {

// One SIM phone-book entry. `digits` holds the number without the "+" of an
// international number; type 145 means international, so "+" is shown again.
struct PhoneBookEntry {
    std::string digits;
    int type = 129;
    std::string name; // raw bytes, as the program sent them
    std::string shownNumber() const { return type == 145 ? "+" + digits : digits; }
};

// One message of the SIM SMS store; `pdu` is upper-case hex including the SMS-centre field.
struct StoredSms {
    int status = 2; // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
    std::string pdu;
};

class StateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Number of TPDU octets of a PDU in hex (the octets after the SMS-centre field), the
// value that AT+CMGW=<length> and +CMGR report (3GPP TS 27.005 PDU mode). Nothing when
// the text is not whole hex octets or its SMS-centre field runs past the end.
std::optional<int> tpduLength(const std::string& pduHex);

// Builds an entry from a number as written by AT+CPBW; the type is chosen from the "+"
// when not given (145 international, 129 otherwise).
PhoneBookEntry makeEntry(const std::string& number, std::optional<int> type, const std::string& name);

// The SIM: phone book 1..250, SMS store 1..30. Saved as a small line-oriented text file.
class SimStore {
public:
    static constexpr int kPhoneBookSize = 250;
    static constexpr int kSmsSize = 30;

    const PhoneBookEntry* entry(int pos) const;
    void setEntry(int pos, PhoneBookEntry e);
    void eraseEntry(int pos);
    int firstFreeEntry() const; // 0 when full

    const StoredSms* sms(int pos) const;
    void setSms(int pos, StoredSms m);
    // The lowest free position from `from` on, 0 when full (`capacity` messages are stored or
    // no position is free).
    int addSms(StoredSms m, int from = 1, int capacity = kSmsSize);
    void eraseSms(int pos);
    void markRead(int pos);

    const std::map<int, PhoneBookEntry>& phoneBook() const { return book_; }
    const std::map<int, StoredSms>& messages() const { return sms_; }

    // Text form:  pb <pos> <type> <number> <name>  and  sms <pos> <status> <pdu-hex>;
    // '#' lines and blank lines are comments. Number and name are bytes with %XX
    // escapes for '%', blanks, control characters and bytes above 126.
    std::string toText() const;
    static SimStore fromText(const std::string& text); // throws StateError naming the line

private:
    std::map<int, PhoneBookEntry> book_;
    std::map<int, StoredSms> sms_;
};

// A decimal number of at most `maxDigits` digits and nothing else; nothing otherwise.
std::optional<int> parseDigits(const std::string& text, size_t maxDigits);

std::string percentEncode(const std::string& bytes);
std::optional<std::string> percentDecode(const std::string& text);

} // namespace phonesim
