#pragma once
#include <QString>
#include <QStringList>

namespace kva::numbers {

// The characters of a phone-book name that a phone may refuse or store otherwise: everything
// but ASCII letters, digits, the blank and common punctuation, each once, in order of first
// appearance. Left out of the punctuation: '"', which would end the quoted name of the write
// command, '@', which the SIM stores as the value 0 (taken by some phones for the end of the
// name), and [ \ ] ^ ` { | } ~, which the GSM alphabet of the SIM lacks.
QStringList unusualNameCharacters(const QString& name);

// The tooltip of a marked name: the help text's warning and the characters; empty when the name
// holds none.
QString nameToolTip(const QString& name);

// What "Nahradit diakritiku" makes of a name: kva::plainText, with double quotes (typed or
// typographic) as apostrophes, since a '"' would end the quoted name of the write command.
QString plainName(const QString& name, int lengthLimit);

} // namespace kva::numbers
