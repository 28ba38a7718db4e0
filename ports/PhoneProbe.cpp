#include "PhoneProbe.h"

#include "DialogueLog.h"

#include <QFileInfo>

#include <unistd.h>

namespace kva {

namespace {

// The questions in order; 0 is the presence check.
const QByteArray Questions[] = {"AT\r", "AT+CGMI\r", "AT+CGMM\r", "AT+CPBS?\r", "AT+CPBR=?\r", "AT+CPMS?\r"};
constexpr int QuestionCount = int(sizeof Questions / sizeof Questions[0]);

} // namespace

ProbeResult cannotOpenResult(const QString& devicePath, QSerialPort::SerialPortError error)
{
    ProbeResult r;
    r.outcome = ProbeResult::Outcome::CannotOpen;
    const QByteArray local = QFile::encodeName(devicePath);
    if (!QFileInfo::exists(devicePath))
        r.openFailure = TAfOpenFailure::NoSuchDevice;
    else if (error == QSerialPort::DeviceNotFoundError)
        r.openFailure = TAfOpenFailure::NoHardware;
    else if (::access(local.constData(), R_OK | W_OK) != 0)
        r.openFailure = TAfOpenFailure::NoPermission;
    else if (error == QSerialPort::PermissionError)
        r.openFailure = TAfOpenFailure::Busy; // we may open it, so someone else holds it
    else
        r.openFailure = TAfOpenFailure::Other;
    const QList<PortOwner> owners =
        r.openFailure == TAfOpenFailure::Busy ? portOwners(devicePath) : QList<PortOwner>();
    const QString group = QFileInfo(devicePath).group();
    r.text = QStringLiteral("nelze otevřít: ") + deviceProblemText(r.openFailure, devicePath, owners, group);
    return r;
}

PhoneProbe::PhoneProbe(QObject* parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &PhoneProbe::onTimeout);
    connect(&port_, &QSerialPort::readyRead, this, &PhoneProbe::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &PhoneProbe::onError);
}

PhoneProbe::~PhoneProbe()
{
    cancel();
}

bool PhoneProbe::start(const QString& devicePath)
{
    if (running_)
        return false;
    running_ = true;
    device_ = devicePath;
    question_ = 0;
    answer_.clear();
    total_ = 0;
    identity_ = {};
    phoneDialogue().note(QStringLiteral("Najít telefon: zkouším %1").arg(devicePath));

    port_.setPortName(devicePath);
    port_.setBaudRate(QSerialPort::Baud19200);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        const ProbeResult r = cannotOpenResult(devicePath, port_.error());
        // Reported from the event loop, like every other outcome.
        QTimer::singleShot(0, this, [this, r] {
            if (running_)
                finish(r);
        });
        return true;
    }
    port_.clear(); // stale input of an earlier user is not an answer
    ask(0);
    return true;
}

void PhoneProbe::cancel()
{
    timer_.stop();
    running_ = false; // before close(): its signals are no longer a result
    if (port_.isOpen())
        port_.close();
}

void PhoneProbe::ask(int question)
{
    question_ = question;
    answer_.clear();
    phoneDialogue().sent(Questions[question]);
    port_.write(Questions[question]);
    timer_.start(question == 0 ? PresenceWaitMs : QuestionWaitMs);
}

void PhoneProbe::onReadyRead()
{
    if (!running_)
        return;
    const QByteArray bytes = port_.readAll();
    if (bytes.isEmpty())
        return;
    phoneDialogue().received(bytes);
    answer_ += bytes;
    total_ += bytes.size();
    if (total_ > FloodBytes) {
        ProbeResult r;
        r.outcome = ProbeResult::Outcome::Flooding;
        r.text = QStringLiteral("posílá nepřetržitě data (přes %1 KiB), nejde o telefon").arg(FloodBytes / 1024);
        finish(r);
        return;
    }
    if (finalResult(answer_) != FinalResult::None)
        answerComplete(answer_, false);
}

void PhoneProbe::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !running_)
        return;
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError || error == QSerialPort::WriteError) {
        ProbeResult r;
        r.outcome = ProbeResult::Outcome::Vanished;
        r.text = QStringLiteral("zařízení zmizelo během zkoušky (odpojený kabel?)");
        finish(r);
    }
}

void PhoneProbe::onTimeout()
{
    if (running_)
        answerComplete(answer_, true);
}

void PhoneProbe::answerComplete(const QByteArray& answer, bool timedOut)
{
    timer_.stop();
    if (question_ == 0) {
        if (finalResult(answer) == FinalResult::Ok) {
            ask(1);
            return;
        }
        ProbeResult r;
        if (answer.isEmpty()) {
            r.outcome = ProbeResult::Outcome::Silent;
            r.text = QStringLiteral("neodpovídá");
        } else {
            r.outcome = ProbeResult::Outcome::NotAPhone;
            r.text = timedOut ? QStringLiteral("odpověď nesrozumitelná, nejde o telefon")
                              : QStringLiteral("na AT neodpověděl OK");
        }
        finish(r);
        return;
    }
    // A question left unanswered leaves its part of the summary out.
    const QByteArray& q = Questions[question_];
    switch (question_) {
    case 1: identity_.maker = identification(answer, q); break;
    case 2: identity_.model = identification(answer, q); break;
    case 3: identity_.phoneBook = phoneBookTotalFromCpbs(answer); break;
    case 4:
        if (identity_.phoneBook < 0)
            identity_.phoneBook = phoneBookTotalFromCpbr(answer);
        break;
    case 5: identity_.sms = smsTotalFromCpms(answer); break;
    }
    if (question_ + 1 < QuestionCount) {
        ask(question_ + 1);
        return;
    }
    ProbeResult r;
    r.outcome = ProbeResult::Outcome::Answering;
    r.identity = identity_;
    r.text = answeringSummary(identity_);
    finish(r);
}

void PhoneProbe::finish(ProbeResult result)
{
    cancel(); // the device is closed before anyone hears the result
    phoneDialogue().note(QStringLiteral("Najít telefon: %1: %2").arg(device_, result.text));
    emit finished(result);
}

} // namespace kva
