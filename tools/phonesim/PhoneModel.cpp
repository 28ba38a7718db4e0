#include "PhoneModel.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace phonesim {

namespace {

constexpr char kCtrlZ = 26;
constexpr char kEsc = 27;
constexpr char kBackspace = 8;

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
// 3GPP TS 27.007 / 27.005 error codes a phone gives for these cases.
const std::string kCmeMemoryFull = "\r\n+CME ERROR: 20\r\n";
const std::string kCmeInvalidIndex = "\r\n+CME ERROR: 21\r\n";
const std::string kCmeDialStringTooLong = "\r\n+CME ERROR: 26\r\n";
const std::string kCmeInvalidDialChars = "\r\n+CME ERROR: 27\r\n";
const std::string kCmsInvalidPduParam = "\r\n+CMS ERROR: 304\r\n";
const std::string kCmsInvalidIndex = "\r\n+CMS ERROR: 321\r\n";
const std::string kCmsMemoryFull = "\r\n+CMS ERROR: 322\r\n";

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool startsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::optional<int> number(const std::string& s)
{
    return parseDigits(s, 4);
}

// "a,b,c" -> {"a","b","c"}; for parameters without quotes.
std::vector<std::string> splitCommas(const std::string& s)
{
    std::vector<std::string> out(1);
    for (char c : s) {
        if (c == ',')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

bool validDialString(const std::string& n)
{
    for (size_t i = 0; i < n.size(); ++i) {
        const char c = n[i];
        const bool ok = (c >= '0' && c <= '9') || c == '*' || c == '#' || (c == '+' && i == 0);
        if (!ok)
            return false;
    }
    return true;
}

// Printable noise in lines of 78 characters: never a line a client could take for "OK".
std::string noise(size_t size)
{
    std::string out;
    out.reserve(size);
    for (size_t i = 0; out.size() < size; ++i)
        out += (i % 80 == 78) ? '\r' : (i % 80 == 79) ? '\n' : static_cast<char>('!' + i % 90);
    return out;
}

} // namespace

std::string joined(const std::vector<Output>& out)
{
    std::string all;
    for (const auto& o : out)
        all += o.bytes;
    return all;
}

PhoneModel::PhoneModel(PhoneOptions options, SimStore store)
    : options_(std::move(options)), store_(std::move(store)), echo_(options_.echo)
{
    bookOnSim_ = smsOnSim_ = !options_.phoneMemory;
    textMode_ = options_.textMode;
}

bool PhoneModel::takeChanged()
{
    const bool c = changed_;
    changed_ = false;
    return c;
}

void PhoneModel::resetInput()
{
    line_.clear();
    lineTooLong_ = false;
    pduMode_ = false;
    pdu_.clear();
    pduTooLong_ = false;
}

void PhoneModel::flushEcho(std::vector<Output>& out)
{
    if (!echoed_.empty()) {
        out.push_back({Output::Echo, echoed_});
        echoed_.clear();
    }
}

std::vector<Output> PhoneModel::feed(const std::string& bytes)
{
    std::vector<Output> out;
    if (options_.silent || vanished_)
        return out;
    for (char c : bytes) {
        // The echo of a byte uses the echo setting in force when the byte arrives, so
        // "ATE0" CR is still echoed in full.
        if (echo_)
            echoed_ += c;
        std::string answer;
        if (pduMode_) {
            if (c == kCtrlZ) {
                answer = finishPdu();
            } else if (c == kEsc) {
                resetInput();
                answer = kOk;
                textPending_ = false;
            } else if (c == '\r' || c == '\n' || c == ' ') {
                // line breaks inside the PDU text are not part of it
            } else if (pdu_.size() < kMaxPdu) {
                pdu_ += c;
            } else {
                pduTooLong_ = true;
            }
        } else if (c == '\r') {
            const std::string line = line_;
            const bool tooLong = lineTooLong_;
            line_.clear();
            lineTooLong_ = false;
            if (tooLong)
                answer = kError;
            else if (!line.empty())
                answer = command(line);
        } else if (c == '\n') {
            // the LF of a CR LF line end
        } else if (c == kEsc) {
            line_.clear(); // ESC outside a message cancels the line typed so far
        } else if (c == kBackspace) {
            if (!line_.empty())
                line_.pop_back();
        } else if (line_.size() < kMaxLine) {
            line_ += c;
        } else {
            lineTooLong_ = true;
        }
        if (!answer.empty() && options_.answerLimit >= 0 && answers_ >= options_.answerLimit)
            answer.clear(); // a phone that has stopped answering still echoes
        if (!answer.empty()) {
            ++answers_;
            flushEcho(out);
            const bool prompt = answer == "\r\n> ";
            if (prompt && options_.promptNotice)
                answer += "\r\n+CMTI: \"SM\",1\r\n";
            out.push_back({Output::Answer, answer, prompt ? options_.promptDelayMs : 0});
        }
        if (vanished_)
            break; // the rest of the input is never read
    }
    flushEcho(out);
    return out;
}

std::string PhoneModel::command(const std::string& line)
{
    const std::string up = upper(line);
    if (!options_.vanishPrefix.empty() && startsWith(up, upper(options_.vanishPrefix))) {
        vanished_ = true;
        return {};
    }
    if (options_.floodBytes > 0)
        return noise(options_.floodBytes);
    for (const auto& [prefix, reply] : options_.replies)
        if (startsWith(up, upper(prefix)))
            return reply;
    for (const auto& prefix : options_.errorPrefixes)
        if (startsWith(up, upper(prefix)))
            return kError;
    if (!startsWith(up, "AT"))
        return kError;
    const std::string body = up.substr(2);
    const auto params = [&](size_t nameLength) { return line.substr(2 + nameLength); };

    if (body.empty())
        return kOk;
    if (body == "E0" || body == "E") {
        echo_ = false;
        return kOk;
    }
    if (body == "E1") {
        echo_ = true;
        return kOk;
    }
    if (body == "+CGMI")
        return "\r\nSimfon\r\n" + kOk;
    if (body == "+CGMM")
        return "\r\nSF-1 phonesim\r\n" + kOk;
    if (body == "+CPBS?")
        return std::string("\r\n+CPBS: \"") + (bookOnSim_ ? "SM" : "ME") + "\"," +
               std::to_string(bookStore().phoneBook().size()) + "," + std::to_string(SimStore::kPhoneBookSize) +
               "\r\n" + kOk;
    if (startsWith(body, "+CPBS="))
        return memorySelect(params(6), true);
    if (startsWith(body, "+CPMS=") && body != "+CPMS=?")
        return memorySelect(params(6), false);
    if (body == "+CMGF=0" || body == "+CMGF=1") {
        textMode_ = body == "+CMGF=1";
        return kOk;
    }
    if (body == "+CMGF?")
        return std::string("\r\n+CMGF: ") + (textMode_ ? "1" : "0") + "\r\n" + kOk;
    if (body == "+CPBR=?")
        return "\r\n+CPBR: (1-" + std::to_string(SimStore::kPhoneBookSize) + "),20,14\r\n" + kOk;
    if (body == "+CPMS?") {
        const std::string store = std::string(smsOnSim_ ? "\"SM\"," : "\"ME\",") +
                                  std::to_string(smsStore().messages().size()) + "," + std::to_string(SimStore::kSmsSize);
        return "\r\n+CPMS: " + store + "," + store + "," + store + "\r\n" + kOk;
    }
    if (startsWith(body, "+CPBW="))
        return phoneBookWrite(params(6));
    if (startsWith(body, "+CPBR="))
        return phoneBookRead(params(6));
    if (startsWith(body, "+CMGW="))
        return smsWrite(params(6));
    if (startsWith(body, "+CMGR="))
        return smsRead(params(6));
    if (startsWith(body, "+CMGD="))
        return smsDelete(params(6));
    return kError;
}

// AT+CPBW=<index>[,"<number>"[,<type>[,"<name>"]]]; <index> alone deletes, an empty
// <index> takes the first free position. The name runs to the last double quote of the
// line, so a name holding a double quote is kept whole.
std::string PhoneModel::phoneBookWrite(const std::string& p)
{
    size_t i = 0;
    while (i < p.size() && p[i] != ',')
        ++i;
    const std::string indexText = p.substr(0, i);
    std::optional<int> index;
    if (!indexText.empty()) {
        index = number(indexText);
        if (!index)
            return kError;
        if (*index < 1 || *index > SimStore::kPhoneBookSize)
            return kCmeInvalidIndex;
    }
    if (i == p.size()) {
        if (!index)
            return kError;
        bookStore().eraseEntry(*index);
        changed_ = true;
        return kOk;
    }
    ++i; // the comma
    if (i >= p.size() || p[i] != '"')
        return kError;
    const size_t numberEnd = p.find('"', i + 1);
    if (numberEnd == std::string::npos)
        return kError;
    const std::string dial = p.substr(i + 1, numberEnd - i - 1);
    i = numberEnd + 1;

    std::optional<int> type;
    std::string name;
    if (i < p.size()) {
        if (p[i] != ',')
            return kError;
        const size_t typeEnd = std::min(p.find(',', i + 1), p.size());
        const std::string typeText = p.substr(i + 1, typeEnd - i - 1);
        if (!typeText.empty()) {
            type = number(typeText);
            if (!type || *type > 255)
                return kError;
        }
        i = typeEnd;
        if (i < p.size()) {
            ++i;
            const size_t lastQuote = p.rfind('"');
            if (i >= p.size() || p[i] != '"' || lastQuote <= i)
                return kError;
            name = p.substr(i + 1, lastQuote - i - 1);
        }
    }
    if (!validDialString(dial))
        return kCmeInvalidDialChars;
    if (dial.size() - (dial.empty() || dial[0] != '+' ? 0 : 1) > 20)
        return kCmeDialStringTooLong;
    if (!index) {
        const int free = bookStore().firstFreeEntry();
        if (free == 0)
            return kCmeMemoryFull;
        index = free;
    }
    bookStore().setEntry(*index, makeEntry(dial, type, name));
    changed_ = true;
    return kOk;
}

// AT+CPBR=<index>[,<last>]; each entry one line +CPBR: <index>,"<number>",<type>,"<name>".
std::string PhoneModel::phoneBookRead(const std::string& p)
{
    const auto parts = splitCommas(p);
    if (parts.size() > 2)
        return kError;
    const auto first = number(parts[0]);
    const auto last = parts.size() == 2 ? number(parts[1]) : first;
    if (!first || !last)
        return kError;
    if (*first < 1 || *last > SimStore::kPhoneBookSize || *last < *first)
        return kCmeInvalidIndex;
    std::string answer;
    for (int pos = *first; pos <= *last; ++pos) {
        if (const PhoneBookEntry* e = bookStore().entry(pos))
            answer += "\r\n+CPBR: " + std::to_string(pos) + ",\"" + e->shownNumber() + "\"," +
                std::to_string(e->type) + ",\"" + e->name + "\"";
    }
    if (!answer.empty())
        answer += "\r\n";
    return answer + kOk;
}

// AT+CMGW=<length>[,<stat>]: the prompt, then the PDU comes in feed() until Ctrl-Z.
std::string PhoneModel::smsWrite(const std::string& p)
{
    const auto parts = splitCommas(p);
    if (parts.size() > 2)
        return kError;
    const auto length = number(parts[0]);
    const auto status = parts.size() == 2 ? number(parts[1]) : std::optional<int>(2);
    if (!length || !status || *status > 3)
        return kError;
    if (textMode_) {
        // In text mode the parameter is the destination and what follows is the text itself.
        pduMode_ = true;
        textPending_ = true;
        pdu_.clear();
        pduTooLong_ = false;
        return "\r\n> ";
    }
    if (*length < 1 || *length > 255)
        return kCmsInvalidPduParam;
    pduMode_ = true;
    pduLength_ = *length;
    pduStatus_ = *status;
    pdu_.clear();
    pduTooLong_ = false;
    return "\r\n> ";
}

std::string PhoneModel::finishPdu()
{
    const std::string pdu = upper(pdu_);
    const bool tooLong = pduTooLong_;
    resetInput();
    if (textPending_) {
        // Kept as a text message, not on the SIM as a PDU; the phone names the position the
        // SIM would have given it.
        textPending_ = false;
        ++textMessages_;
        int pos = options_.smsFirstFree;
        while (pos <= SimStore::kSmsSize && smsStore().sms(pos))
            ++pos;
        return "\r\n+CMGW: " + std::to_string(pos) + "\r\n" + kOk;
    }
    const auto length = tpduLength(pdu);
    if (tooLong || !length || *length != pduLength_)
        return kCmsInvalidPduParam;
    const int pos = smsStore().addSms(StoredSms{pduStatus_, pdu}, options_.smsFirstFree, options_.smsCapacity);
    if (pos == 0)
        return kCmsMemoryFull;
    changed_ = true;
    return "\r\n+CMGW: " + std::to_string(pos) + "\r\n" + kOk;
}

// AT+CMGR=<index>: +CMGR: <stat>,,<length>, then the PDU line. Reading a received
// unread message marks it read, as phones do.
std::string PhoneModel::smsRead(const std::string& p)
{
    const auto index = number(p);
    if (!index)
        return kError;
    if (*index < 1 || *index > SimStore::kSmsSize)
        return kCmsInvalidIndex;
    const StoredSms* m = smsStore().sms(*index);
    if (!m)
        return options_.emptyCmgrOk ? kOk : kCmsInvalidIndex;
    if (textMode_)
        return "\r\n+CMGR: \"STO UNSENT\",\"\",\r\nZprava v textovem rezimu\r\n" + kOk;
    std::string answer = "\r\n+CMGR: " + std::to_string(m->status) + ",," +
        std::to_string(tpduLength(m->pdu).value_or(0)) + "\r\n" + m->pdu + "\r\n" + kOk;
    if (m->status == 0) {
        smsStore().markRead(*index);
        changed_ = true;
    }
    return answer;
}

// AT+CMGD=<index>[,0]; deleting an empty position is not an error.
std::string PhoneModel::smsDelete(const std::string& p)
{
    const auto parts = splitCommas(p);
    if (parts.size() > 2 || (parts.size() == 2 && parts[1] != "0"))
        return kError;
    const auto index = number(parts[0]);
    if (!index)
        return kError;
    if (*index < 1 || *index > SimStore::kSmsSize)
        return kCmsInvalidIndex;
    if (smsStore().sms(*index)) {
        smsStore().eraseSms(*index);
        changed_ = true;
    } else if (options_.emptyDeleteError) {
        return kError;
    }
    return kOk;
}

// AT+CPBS="SM" / "ME" and AT+CPMS="SM"[,"SM"[,"SM"]]: where the phone book and the messages
// live from now on.
std::string PhoneModel::memorySelect(const std::string& params, bool phoneBook)
{
    const std::string up = upper(params);
    const std::string first = up.substr(0, up.find(','));
    const bool sim = first == "\"SM\"";
    if (!sim && first != "\"ME\"")
        return phoneBook ? kError : "\r\n+CMS ERROR: 302\r\n";
    if (sim && options_.refuseSim)
        return phoneBook ? "\r\n+CME ERROR: 3\r\n" : "\r\n+CMS ERROR: 302\r\n";
    if (phoneBook) {
        bookOnSim_ = sim;
        return kOk;
    }
    smsOnSim_ = sim;
    const std::string count = std::to_string(smsStore().messages().size()) + "," + std::to_string(SimStore::kSmsSize);
    return "\r\n+CPMS: " + count + "," + count + "," + count + "\r\n" + kOk;
}

} // namespace phonesim
