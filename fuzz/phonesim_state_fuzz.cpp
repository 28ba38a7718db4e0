// A phonesim state file from anywhere: it loads or is refused with StateError naming the line;
// a loaded SIM saves to a text that loads back to the same SIM.
#include "FuzzCheck.h"
#include "SimStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace phonesim;

namespace {

using kva::fuzz::check;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    SimStore sim;
    try {
        sim = SimStore::fromText(text);
    } catch (const StateError& e) {
        check(std::string(e.what()).rfind("state line ", 0) == 0, "refusal does not name the line");
        return 0;
    }
    const std::string saved = sim.toText();
    SimStore again;
    try {
        again = SimStore::fromText(saved);
    } catch (const StateError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        check(false, "saved state does not load");
    }
    check(again.toText() == saved, "saved state does not load back to the same SIM");

    // Every percent escape decodes back to what was encoded.
    for (const auto& [pos, entry] : sim.phoneBook())
        check(percentDecode(percentEncode(entry.name)) == entry.name, "name escape does not round-trip");
    return 0;
}
