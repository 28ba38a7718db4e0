#pragma once
#include <QList>
#include <QString>

// What the recipient's phone shows for an SMS text of the window. Computed from the very user
// data the store sends (the text encoded as the window encodes it, then unpacked again), so the
// preview and the PDU can never disagree.

namespace kva::sms {

// One typed character (a character outside the 16-bit range counts as one) and what the phone
// shows in its place; nothing when the phone never gets that far.
struct ShownCharacter {
    QString typed;
    QString shown;
    bool operator==(const ShownCharacter& o) const { return typed == o.typed && shown == o.shown; }
};

struct PhoneView {
    QString shown;                     // the whole text as the phone shows it
    QList<ShownCharacter> characters;  // typed character by character
    int septets = 0;                   // what TP-UDL announces

    bool arrivesAsTyped() const;
    // Each typed character the phone shows otherwise, once, in the order of first appearance.
    QList<ShownCharacter> changes() const;
};

PhoneView phoneView(const QString& text);

// The line under a marked field and its tooltip; both empty when the text arrives as typed.
QString previewLine(const PhoneView& view);
QString previewToolTip(const PhoneView& view);

} // namespace kva::sms
