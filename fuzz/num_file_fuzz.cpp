// A *.num file from anywhere: loading takes any bytes and agrees with the line splitter, what is
// loaded saves and loads back unchanged, and the number check only passes what it promises.
#include "FuzzSupport.h"
#include "LineFile.h"
#include "NumberEntries.h"

using namespace kva::numbers;
using kva::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const kva::fuzz::ScratchFile input("in.num");
    static const kva::fuzz::ScratchFile saved("out.num");
    const QByteArray bytes = kva::fuzz::bytesOf(data, size);

    input.write(bytes);
    const Entries entries = loadNumFile(input.path());
    check(entries == fromFileLines(kva::splitLines(bytes, FileLineCount)), "file reader and splitter disagree");

    saveNumFile(saved.path(), entries);
    check(loadNumFile(saved.path()) == entries, "saved number file does not load back unchanged");
    check(toFileLines(entries).size() == FileLineCount, "number file not ten lines");

    bool allAccepted = true;
    for (const Entry& e : entries) {
        const bool accepted = isAcceptedNumber(e.number);
        check(!accepted || e.number.isEmpty() || (e.number.size() == 13 && e.number.startsWith(u'+')),
              "number check passed a number that is neither empty nor '+' and twelve characters");
        allAccepted = allAccepted && accepted;
    }
    check(Kontrola(entries) == allAccepted, "Kontrola disagrees with the check of each number");
    return 0;
}
