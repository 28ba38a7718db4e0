// The simulated phone fed any bytes: the answer does not depend on how the line cut the bytes
// into pieces, every answer is framed as the phone frames it, and the SIM it ends with saves to
// a state file that loads back to the same SIM.
#include "FuzzCheck.h"
#include "PhoneModel.h"
#include "SimStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace phonesim;

namespace {

using kva::fuzz::check;

bool framed(const Output& o)
{
    const std::string& b = o.bytes;
    const auto endsWith = [&](const std::string& tail) {
        return b.size() >= tail.size() && b.compare(b.size() - tail.size(), tail.size(), tail) == 0;
    };
    return b.rfind("\r\n", 0) == 0 && (endsWith("\r\n") || b == "\r\n> ");
}

SimStore demoSim()
{
    SimStore sim;
    sim.setEntry(1, makeEntry("+420603123456", std::nullopt, "Priklad"));
    sim.setEntry(5, makeEntry("+000000100101", std::nullopt, "Setup"));
    sim.setSms(1, StoredSms{2, "079124603050020011000C9124603021436500000403CFA50C"});
    return sim;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the phone's options and the piece sizes; the rest is the line.
    const uint8_t setup = size > 0 ? data[0] : 0;
    const std::string line(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);
    PhoneOptions options;
    options.echo = !(setup & 0x01);
    options.emptyCmgrOk = setup & 0x02;
    if (setup & 0x04)
        options.errorPrefixes = {"AT+CMGW"};

    PhoneModel whole(options, demoSim());
    const std::vector<Output> all = whole.feed(line);
    for (const Output& o : all)
        check(o.kind == Output::Echo || framed(o), "answer not framed by CR LF");

    PhoneModel pieces(options, demoSim());
    std::string cut;
    const size_t piece = 1 + (setup >> 3);
    for (size_t at = 0; at < line.size(); at += piece)
        cut += joined(pieces.feed(line.substr(at, piece)));
    check(cut == joined(all), "answer depends on how the bytes were cut");

    const SimStore& sim = whole.store();
    for (const auto& [pos, entry] : sim.phoneBook())
        check(pos >= 1 && pos <= SimStore::kPhoneBookSize, "phone-book position out of range");
    for (const auto& [pos, sms] : sim.messages()) {
        check(pos >= 1 && pos <= SimStore::kSmsSize, "SMS position out of range");
        check(tpduLength(sms.pdu).has_value(), "stored PDU has no valid length");
    }
    const std::string text = sim.toText();
    SimStore reloaded;
    try {
        reloaded = SimStore::fromText(text);
    } catch (const StateError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        check(false, "state file written by the phone does not load");
    }
    check(reloaded.toText() == text, "state file does not load back to the same SIM");
    return 0;
}
