#include "SimStore.h"
#include "HexDigit.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace phonesim {

namespace {

bool isHex(const std::string& s)
{
    for (char c : s)
        if (kva::hexValue(c) < 0)
            return false;
    return true;
}

std::optional<int> parseInt(const std::string& s)
{
    return parseDigits(s, 6);
}

std::vector<std::string> splitBlanks(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

// An empty number or name is written as "" so that the words of the line stay in place
// (a quote inside a field is always escaped, so "" can mean nothing else).
const std::string kEmptyField = "\"\"";

std::string encodeField(const std::string& bytes)
{
    return bytes.empty() ? kEmptyField : percentEncode(bytes);
}

std::optional<std::string> decodeField(const std::string& word)
{
    return word == kEmptyField ? std::string() : percentDecode(word);
}

} // namespace

std::optional<int> tpduLength(const std::string& pduHex)
{
    if (pduHex.size() < 2 || pduHex.size() % 2 != 0 || !isHex(pduHex))
        return std::nullopt;
    const int octets = static_cast<int>(pduHex.size() / 2);
    const int smscLength = kva::hexValue(pduHex[0]) * 16 + kva::hexValue(pduHex[1]);
    const int tpdu = octets - 1 - smscLength;
    if (tpdu <= 0)
        return std::nullopt;
    return tpdu;
}

PhoneBookEntry makeEntry(const std::string& number, std::optional<int> type, const std::string& name)
{
    PhoneBookEntry e;
    e.name = name;
    if (!number.empty() && number[0] == '+') {
        e.digits = number.substr(1);
        e.type = 145;
    } else {
        e.digits = number;
        e.type = type.value_or(129);
    }
    return e;
}

const PhoneBookEntry* SimStore::entry(int pos) const
{
    auto it = book_.find(pos);
    return it == book_.end() ? nullptr : &it->second;
}

void SimStore::setEntry(int pos, PhoneBookEntry e) { book_[pos] = std::move(e); }
void SimStore::eraseEntry(int pos) { book_.erase(pos); }

int SimStore::firstFreeEntry() const
{
    for (int p = 1; p <= kPhoneBookSize; ++p)
        if (!book_.count(p))
            return p;
    return 0;
}

const StoredSms* SimStore::sms(int pos) const
{
    auto it = sms_.find(pos);
    return it == sms_.end() ? nullptr : &it->second;
}

void SimStore::setSms(int pos, StoredSms m) { sms_[pos] = std::move(m); }

int SimStore::addSms(StoredSms m, int from, int capacity)
{
    if (int(sms_.size()) >= capacity)
        return 0;
    for (int p = std::max(from, 1); p <= kSmsSize; ++p) {
        if (!sms_.count(p)) {
            sms_[p] = std::move(m);
            return p;
        }
    }
    return 0;
}

void SimStore::eraseSms(int pos) { sms_.erase(pos); }

void SimStore::markRead(int pos)
{
    auto it = sms_.find(pos);
    if (it != sms_.end() && it->second.status == 0)
        it->second.status = 1;
}

std::optional<int> parseDigits(const std::string& text, size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string percentEncode(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '%' || c == '"') {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::optional<std::string> percentDecode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int hi = kva::hexValue(text[i + 1]);
        const int lo = kva::hexValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string SimStore::toText() const
{
    std::ostringstream out;
    out << "# phonesim SIM state\n"
           "# pb <position> <type> <number> <name>      (%XX escapes in number and name)\n"
           "# sms <position> <status 0-3> <pdu hex with SMS-centre field>\n";
    for (const auto& [pos, e] : book_)
        out << "pb " << pos << ' ' << e.type << ' ' << encodeField(e.shownNumber()) << ' '
            << encodeField(e.name) << '\n';
    for (const auto& [pos, m] : sms_)
        out << "sms " << pos << ' ' << m.status << ' ' << m.pdu << '\n';
    return out.str();
}

SimStore SimStore::fromText(const std::string& text)
{
    SimStore store;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto fail = [&](const std::string& why) {
            throw StateError("state line " + std::to_string(lineNo) + ": " + why);
        };
        const auto words = splitBlanks(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        if (words[0] == "pb") {
            if (words.size() < 4 || words.size() > 5)
                fail("expected: pb <position> <type> <number> [<name>]");
            const auto pos = parseInt(words[1]);
            const auto type = parseInt(words[2]);
            const auto number = decodeField(words[3]);
            const auto name = decodeField(words.size() == 5 ? words[4] : std::string());
            if (!pos || *pos < 1 || *pos > kPhoneBookSize)
                fail("phone-book position must be 1 to 250");
            if (!type || *type > 255)
                fail("number type must be 0 to 255");
            if (!number || !name)
                fail("bad %XX escape");
            store.setEntry(*pos, makeEntry(*number, type, *name));
        } else if (words[0] == "sms") {
            if (words.size() != 4)
                fail("expected: sms <position> <status> <pdu>");
            const auto pos = parseInt(words[1]);
            const auto status = parseInt(words[2]);
            if (!pos || *pos < 1 || *pos > kSmsSize)
                fail("SMS position must be 1 to 30");
            if (!status || *status > 3)
                fail("SMS status must be 0 to 3");
            if (!tpduLength(words[3]))
                fail("PDU is not whole hex octets with a valid SMS-centre field");
            std::string pdu = words[3];
            for (char& c : pdu)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            store.setSms(*pos, StoredSms{*status, pdu});
        } else {
            fail("unknown record '" + words[0] + "'");
        }
    }
    return store;
}

} // namespace phonesim
