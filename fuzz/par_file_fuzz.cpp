// A *.par file from anywhere: loading takes any bytes, what is loaded saves and loads back
// unchanged, and decoding the two numbers into the page stays within the options and digits.
#include "ConfigModel.h"
#include "FuzzSupport.h"
#include "KvaError.h"
#include "LineFile.h"

#include <QSet>

using namespace kva;
using kva::fuzz::check;

namespace {

void checkOptionsDecoding(const QString& number)
{
    const QList<Option> selected = optionsSelectedBy(number);
    check(selected.size() <= OptionCount, "more options selected than exist");
    QSet<int> seen;
    ConfigModel model;
    for (Option o : selected) {
        check(!seen.contains(static_cast<int>(o)), "option selected twice");
        seen.insert(static_cast<int>(o));
        check(number[optionPosition(o) - 1] == u'1', "option selected by a character other than 1");
        model.setOption(o, true);
    }
    // What the page shows after loading selects exactly the same options again.
    const QString shown = model.optionsNumber();
    check(shown.size() == NumberLength && shown[0] == u'+', "options number not '+' and twelve digits");
    check(optionsSelectedBy(shown) == selected, "options number does not decode to its own options");
}

void checkTimesDecoding(const QString& number)
{
    ConfigModel model;
    QSet<int> seen;
    bool complete = false;
    try {
        decodeTimes(number, [&](TimeDigit t, int value) {
            check(value >= 0 && value <= 9, "time digit outside 0..9");
            check(number[timePosition(t) - 1] == QChar(u'0' + value), "time digit not the character read");
            check(!seen.contains(static_cast<int>(t)), "time digit applied twice");
            seen.insert(static_cast<int>(t));
            model.setTime(t, QChar(u'0' + value));
        });
        complete = true;
    } catch (const ConversionError&) {
        // documented: a position that holds no digit
    }
    if (!complete || number.size() < NumberLength)
        return;
    QList<int> again;
    decodeTimes(model.timesNumber(), [&](TimeDigit, int value) { again << value; });
    QList<int> first;
    decodeTimes(number, [&](TimeDigit, int value) { first << value; });
    check(again == first, "times number does not decode to its own digits");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fuzz::ScratchFile input("in.par");
    static const fuzz::ScratchFile saved("out.par");
    const QByteArray bytes = fuzz::bytesOf(data, size);

    input.write(bytes);
    const ParFile file = readParFile(input.path());
    const QStringList split = splitLines(bytes, 2);
    check(file.optionsNumber == split[0] && file.timesNumber == split[1], "file reader and splitter disagree");

    writeParFile(saved.path(), file);
    const ParFile again = readParFile(saved.path());
    check(again.optionsNumber == file.optionsNumber && again.timesNumber == file.timesNumber,
          "saved configuration file does not load back unchanged");

    checkOptionsDecoding(file.optionsNumber);
    checkTimesDecoding(file.timesNumber);
    return 0;
}
