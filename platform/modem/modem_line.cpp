#include "modem_line.h"

#include "platform/desktop/time_scale.h"
#include "platform/modem/modem_line_device.h"
#include "platform/modem/modem_line_errors.h"

#include <QFileInfo>

namespace torvex {

namespace {

// Bounds on the modem's answers; a real modem answers in milliseconds.
constexpr int kCommandTimeoutMs = 2000;

// Echo off, verbose result codes on, never answer: the modem reports every
// ring and leaves the call alone.
constexpr auto kListenSetup = "ATE0Q0V1S0=0";

}  // namespace

ModemLine::ModemLine(QObject* parent) : QObject(parent)
{
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, &ModemLine::onSilence);
}

ModemLine::~ModemLine() = default;

qint32 ModemLine::lineInitialize(const QStringList& ports)
{
    lineClose();
    ports_ = ports;
    initialized_ = true;
    handles.app = 1;
    return 0;
}

QString ModemLine::devicePort(qint32 device) const
{
    return device >= 0 && device < numDevices() ? ports_[device] : QString();
}

qint32 ModemLine::lineNegotiateAPIVersion(qint32 device, qint32 low, qint32 high,
                                          qint32& version) const
{
    if (!initialized_)
        return lineerr::UNINITIALIZED;
    if (device < 0 || device >= numDevices())
        return lineerr::BADDEVICEID;
    if (low > kApiVersion || high < low)
        return lineerr::INCOMPATIBLEAPIVERSION;
    version = std::min(high, kApiVersion);
    return 0;
}

qint32 ModemLine::lineGetDevCaps(qint32 device, QString& lineName)
{
    if (!initialized_)
        return lineerr::UNINITIALIZED;
    if (device < 0 || device >= numDevices())
        return lineerr::BADDEVICEID;
    ModemLineDevice* modem = device_ && openLine_ == device + 1 ? device_.get() : nullptr;
    std::unique_ptr<ModemLineDevice> probe;
    if (!modem) {
        probe = std::make_unique<ModemLineDevice>(ports_[device]);
        if (const qint32 result = probe->open(); result != 0)
            return result;
        if (probe->command("AT", kCommandTimeoutMs) != ModemLineDevice::Reply::Ok)
            return lineerr::NODEVICE;
        modem = probe.get();
    }
    lineName = modem->identify(kCommandTimeoutMs);
    if (lineName.isEmpty())
        lineName = QFileInfo(ports_[device]).fileName();
    return 0;
}

qint32 ModemLine::lineOpen(qint32 device, qint32 privileges, qint32 mediaModes)
{
    if (!initialized_)
        return lineerr::UNINITIALIZED;
    if (device < 0 || device >= numDevices())
        return lineerr::BADDEVICEID;
    if (device_)
        return lineerr::ALLOCATED;
    if (!(privileges & (LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR)))
        return lineerr::INVALPRIVSELECT;
    if (!(mediaModes & LINEMEDIAMODE_INTERACTIVEVOICE))
        return lineerr::INVALMEDIAMODE;
    auto modem = std::make_unique<ModemLineDevice>(ports_[device]);
    if (const qint32 result = modem->open(); result != 0)
        return result;
    switch (modem->command(kListenSetup, kCommandTimeoutMs)) {
    case ModemLineDevice::Reply::Ok: break;
    case ModemLineDevice::Reply::Error: return lineerr::OPERATIONFAILED;
    case ModemLineDevice::Reply::Silent:
    case ModemLineDevice::Reply::Gone: return lineerr::NODEVICE;
    }
    connect(modem.get(), &ModemLineDevice::ring, this, &ModemLine::onRing);
    connect(modem.get(), &ModemLineDevice::vanished, this, &ModemLine::onVanished);
    modem->listen();
    device_ = std::move(modem);
    ++generation_;
    openLine_ = device + 1;
    handles.line = openLine_;
    rings_ = 0;
    return 0;
}

qint32 ModemLine::lineDrop()
{
    if (!handles.call || handles.call != currentCall_)
        return lineerr::INVALCALLHANDLE;
    if (device_ && device_->isOpen())
        device_->command("ATH", kCommandTimeoutMs);  // on-hook, should anything have lifted it
    endCall();
    return 0;
}

qint32 ModemLine::lineClose()
{
    if (!device_)
        return lineerr::INVALLINEHANDLE;
    endCall();
    device_.reset();
    openLine_ = 0;
    ++generation_;
    return 0;
}

qint32 ModemLine::lineDeallocateCall()
{
    if (!handles.call || handles.call != currentCall_)
        return lineerr::INVALCALLHANDLE;
    currentCall_ = 0;
    return 0;
}

qint32 ModemLine::lineShutdown()
{
    if (!initialized_)
        return lineerr::UNINITIALIZED;
    lineClose();
    ports_.clear();
    initialized_ = false;
    handles.app = 0;
    return 0;
}

void ModemLine::endCall()
{
    silence_.stop();
    rings_ = 0;
}

void ModemLine::post(qint32 hDevice, qint32 message, qint32 param1, qint32 param3)
{
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, hDevice, message, param1, param3] {
            if (generation == generation_)
                Q_EMIT lineCallback(hDevice, message, 0, param1, 0, param3);
        },
        Qt::QueuedConnection);
}

void ModemLine::onRing()
{
    if (++rings_ == 1) {
        currentCall_ = ++lastCall_;
        post(currentCall_, LINE_CALLSTATE, LINECALLSTATE_OFFERING, 0);
    }
    post(openLine_, LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, rings_);
    silence_.start(scaledMs(kCallEndSilenceMs));
}

void ModemLine::onSilence()
{
    rings_ = 0;
    post(currentCall_, LINE_CALLSTATE, LINECALLSTATE_IDLE, 0);
}

void ModemLine::onVanished()
{
    endCall();
    post(openLine_, LINE_CLOSE, 0, 0);
}

}  // namespace torvex
