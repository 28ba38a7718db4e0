#include "Options.h"

#include <cctype>

namespace phonesim {

const char* const kUsage =
    "usage: phonesim [options]\n"
    "A simulated mobile phone on a pseudo-terminal. Prints the device path on the\n"
    "first line of stdout, then answers AT commands with command echo on.\n"
    "  --link PATH          also make PATH a symbolic link to the device\n"
    "  --state FILE         load the SIM (phone book, SMS) from FILE and save it back\n"
    "  --transcript FILE    log every byte in both directions to FILE\n"
    "  --silent             read everything, answer nothing (not even the echo)\n"
    "  --no-echo            start with command echo off (as after ATE0)\n"
    "  --delay-ms N         send each answer N ms after its command (echo at once)\n"
    "  --error CMD          answer ERROR to commands beginning with CMD (repeatable)\n"
    "  --reply CMD TEXT     answer TEXT (\\r \\n \\xHH escapes) to commands beginning\n"
    "                       with CMD (repeatable)\n"
    "  --piece-bytes N      send answers in pieces of N bytes ...\n"
    "  --piece-gap-ms N     ... N ms apart\n"
    "  --cmgr-empty-ok      answer OK instead of +CMS ERROR: 321 to AT+CMGR of an\n"
    "                       empty position\n"
    "  --mute-after N       after N answers only echo, answer nothing more\n"
    "  --cmgw-from K        AT+CMGW stores at the lowest free position from K on\n"
    "  --sms-capacity N     the SMS store is full with N messages (+CMS ERROR: 322)\n"
    "  --flood N            answer every command with N bytes of noise, no OK\n"
    "  --vanish-on CMD      on a command beginning with CMD, close the device and\n"
    "                       exit at once, as a pulled cable (no answer)\n"
    "  --phone-memory       phone book and SMS start in the phone's own memory (ME)\n"
    "                       until AT+CPBS=\"SM\" / AT+CPMS=\"SM\" select the SIM\n"
    "  --text-mode          SMS start in text mode (AT+CMGF=1): a PDU sent is kept\n"
    "                       as text, not on the SIM\n"
    "  --refuse-sim         refuse AT+CPBS=\"SM\" and AT+CPMS=\"SM\"\n"
    "  --empty-delete-error answer ERROR to AT+CMGD of an empty position\n"
    "  --prompt-delay-ms N  the \"> \" prompt of AT+CMGW comes N ms later still\n"
    "  --prompt-notice      a \"+CMTI:\" notice follows the prompt\n"
    "  --help               this text\n";

namespace {

int toInt(const std::string& name, const std::string& value)
{
    if (value.empty() || value.size() > 7)
        throw UsageError(name + " needs a whole number of at most 7 digits, not '" + value + "'");
    int v = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            throw UsageError(name + " needs a whole number, not '" + value + "'");
        v = v * 10 + (c - '0');
    }
    return v;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r') {
            out += '\r';
        } else if (c == 'n') {
            out += '\n';
        } else if (c == 't') {
            out += '\t';
        } else if (c == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                   hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

RunOptions parseOptions(const std::vector<std::string>& args)
{
    RunOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const size_t eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        const auto take = [&]() -> std::string {
            if (hasValue)
                return value;
            if (i + 1 >= args.size())
                throw UsageError(name + " needs a value");
            return args[++i];
        };
        const auto flag = [&]() {
            if (hasValue)
                throw UsageError(name + " takes no value");
        };
        if (name == "--silent") {
            flag();
            o.phone.silent = true;
        } else if (name == "--no-echo") {
            flag();
            o.phone.echo = false;
        } else if (name == "--cmgr-empty-ok") {
            flag();
            o.phone.emptyCmgrOk = true;
        } else if (name == "--mute-after") {
            o.phone.answerLimit = toInt(name, take());
        } else if (name == "--cmgw-from") {
            o.phone.smsFirstFree = toInt(name, take());
        } else if (name == "--sms-capacity") {
            o.phone.smsCapacity = toInt(name, take());
        } else if (name == "--phone-memory") {
            flag();
            o.phone.phoneMemory = true;
        } else if (name == "--text-mode") {
            flag();
            o.phone.textMode = true;
        } else if (name == "--refuse-sim") {
            flag();
            o.phone.refuseSim = true;
        } else if (name == "--empty-delete-error") {
            flag();
            o.phone.emptyDeleteError = true;
        } else if (name == "--prompt-delay-ms") {
            o.phone.promptDelayMs = toInt(name, take());
        } else if (name == "--prompt-notice") {
            flag();
            o.phone.promptNotice = true;
        } else if (name == "--help" || name == "-h") {
            flag();
            o.help = true;
        } else if (name == "--delay-ms") {
            o.delayMs = toInt(name, take());
        } else if (name == "--flood") {
            o.phone.floodBytes = static_cast<size_t>(toInt(name, take()));
        } else if (name == "--vanish-on") {
            o.phone.vanishPrefix = take();
            if (o.phone.vanishPrefix.empty())
                throw UsageError("--vanish-on needs a command");
        } else if (name == "--piece-bytes") {
            o.pieceBytes = toInt(name, take());
        } else if (name == "--piece-gap-ms") {
            o.pieceGapMs = toInt(name, take());
        } else if (name == "--error") {
            const std::string cmd = take();
            if (cmd.empty())
                throw UsageError("--error needs a command");
            o.phone.errorPrefixes.push_back(cmd);
        } else if (name == "--reply") {
            // two arguments, since both the command and the answer may hold '='
            const std::string cmd = take();
            if (cmd.empty() || i + 1 >= args.size())
                throw UsageError("--reply needs CMD and TEXT");
            o.phone.replies.emplace_back(cmd, unescape(args[++i]));
        } else if (name == "--state") {
            o.statePath = take();
        } else if (name == "--transcript") {
            o.transcriptPath = take();
        } else if (name == "--link") {
            o.linkPath = take();
        } else {
            throw UsageError("unknown option '" + args[i] + "'");
        }
    }
    return o;
}

} // namespace phonesim
