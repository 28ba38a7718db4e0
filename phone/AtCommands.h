#pragma once
// The AT commands the pages send, as bytes or text exactly as they go on the wire (CR
// included). Text is converted to Windows-1250 when it is sent.
#include <QByteArray>
#include <QString>

namespace kva {

// "AT" CR: the presence probe.
QByteArray probeCommand();

// "AT+CPBR=" n CR: reads phone-book position n.
QString phoneBookReadCommand(int position);
// "AT+CPBW=" n ",\"" number "\",,\"" name "\"" CR. The number type is left empty so that the
// phone chooses it. Number and name go as they are (double quotes included), except that a
// control character (below 32, or DEL) would end or cut the command early: each one is sent as
// a blank (kva::blankControls).
QString phoneBookWriteCommand(int position, const QString& number, const QString& name);
// "AT+CPBW=" n CR: clears the position.
QString phoneBookDeleteCommand(int position);

// The SIM's own memory and the PDU mode, selected before the commands that rely on them.
QByteArray phoneBookMemoryCommand(); // "AT+CPBS=\"SM\"" CR: the SIM phone book
QByteArray smsMemoryCommand();       // "AT+CPMS=\"SM\",\"SM\",\"SM\"" CR: messages read, written and
                                     // received on the SIM
QByteArray pduModeCommand();         // "AT+CMGF=0" CR: messages as PDUs
QByteArray escapeCommand();          // ESC: ends the message text of AT+CMGW unsent

QByteArray smsDeleteCommand(int position);          // "AT+CMGD=n" CR
QByteArray smsAnnounceCommand(quint16 tpduLength);  // "AT+CMGW=<length>" CR
QByteArray smsPduCommand(const QByteArray& pduText); // the PDU, then Ctrl-Z (no CR)
QString smsReadCommand(int position);                // "AT+CMGR=n" CR

} // namespace kva
