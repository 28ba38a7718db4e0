#include "PDU.h"

#include <benchmark/benchmark.h>

using namespace kva;

namespace {

// A full-length window message: 50 characters with Czech letters and escapes in it.
TPduMessage fiftyCharacterMessage()
{
    TPduMessage m;
    m.SmscType = 0x01;
    m.SmscNumber = "+420603052000";
    m.FirstOctet = 0x10;
    m.DestType = 0x01;
    m.DestNumber = "+420603123456";
    m.ValidityPeriod[0] = 4;
    m.MessageText = QStringLiteral("Poplach! Vstup OK1 sepnul [zóna 3], ověřte objekt.");
    return m;
}

void BM_EncodeSubmit50(benchmark::State& state)
{
    TPduMessage m = fiftyCharacterMessage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeSubmit(m, 2));
        benchmark::DoNotOptimize(m.PduText.data());
    }
}
BENCHMARK(BM_EncodeSubmit50);

void BM_DecodePdu50(benchmark::State& state)
{
    TPduMessage source = fiftyCharacterMessage();
    EncodeSubmit(source, 2);
    TPduMessage m;
    m.PduText = source.PduText;
    for (auto _ : state) {
        DecodePdu(m, 2);
        benchmark::DoNotOptimize(m.MessageText.data());
    }
    if (m.MessageText.size() != 50)
        state.SkipWithError("decoded text is not 50 characters");
}
BENCHMARK(BM_DecodePdu50);

} // namespace

BENCHMARK_MAIN();
