#include "modem_line_device.h"

#include "modem_line_errors.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace torvex {

namespace {

qint32 openErrorCode(int error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:
        return lineerr::NODEVICE;
    case EBUSY:
        return lineerr::INUSE;
    case EACCES:
    case EPERM:
        return lineerr::RESOURCEUNAVAIL;
    default:
        return lineerr::OPERATIONFAILED;
    }
}

bool configurePort(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;  // a modem without carrier must still talk to us
    // With VMIN 0 a read of an idle tty returns 0, which looks like a
    // vanished port; VMIN 1 and O_NONBLOCK make it EAGAIN instead.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return false;
    ::tcflush(fd, TCIOFLUSH);  // nothing said before we opened belongs to us
    return true;
}

bool isFinalResult(const QByteArray& line, ModemLineDevice::Reply& reply)
{
    if (line == "OK") {
        reply = ModemLineDevice::Reply::Ok;
        return true;
    }
    static const char* const failures[] = {"ERROR", "NO CARRIER", "BUSY", "NO DIALTONE",
                                           "NO DIAL TONE", "NO ANSWER", "CONNECT",
                                           "+CME ERROR", "+CMS ERROR"};
    for (const char* failure : failures) {
        if (line.startsWith(failure)) {
            reply = ModemLineDevice::Reply::Error;
            return true;
        }
    }
    return false;
}

}  // namespace

ModemLineDevice::ModemLineDevice(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path))
{
}

ModemLineDevice::~ModemLineDevice()
{
    close();
}

qint32 ModemLineDevice::open()
{
    if (isOpen())
        return lineerr::ALLOCATED;
    const int fd = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return openErrorCode(errno);
    if (!::isatty(fd) || !configurePort(fd)) {
        ::close(fd);
        return lineerr::NODEVICE;
    }
    ::ioctl(fd, TIOCEXCL);  // keep other programs off the modem while we watch it
    fd_ = fd;
    buffer_.clear();
    return 0;
}

void ModemLineDevice::close()
{
    if (notifier_) {
        // close() may run inside the notifier's own signal: let it go later.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    buffer_.clear();
}

bool ModemLineDevice::fillBuffer()
{
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false;  // end of file or a dead port
    }
}

bool ModemLineDevice::takeLine(QByteArray& line)
{
    for (;;) {
        qsizetype end = 0;
        while (end < buffer_.size() && buffer_[end] != '\r' && buffer_[end] != '\n')
            ++end;
        if (end == buffer_.size())
            return false;
        line = buffer_.left(end).trimmed();
        buffer_.remove(0, end + 1);
        if (!line.isEmpty())
            return true;
    }
}

bool ModemLineDevice::writeAll(const QByteArray& data, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd_, data.constData() + done, size_t(data.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
            return false;
    }
    return true;
}

void ModemLineDevice::postRing()
{
    QMetaObject::invokeMethod(this, [this] { Q_EMIT ring(); }, Qt::QueuedConnection);
}

ModemLineDevice::Reply ModemLineDevice::command(const QByteArray& cmd, int timeoutMs,
                                                QStringList* lines)
{
    if (!isOpen())
        return Reply::Gone;
    // A ring that arrived before the command is still a ring.
    QByteArray line;
    while (takeLine(line)) {
        if (line == "RING")
            postRing();
    }
    buffer_.clear();
    if (!writeAll(cmd + '\r', timeoutMs))
        return Reply::Gone;
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        while (takeLine(line)) {
            Reply reply;
            if (isFinalResult(line, reply))
                return reply;
            if (line == "RING")
                postRing();
            else if (line != cmd && lines)  // echo is on until ATE0 has taken effect
                lines->append(QString::fromLatin1(line));
        }
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return Reply::Silent;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return Reply::Silent;
        if (ready < 0 || !fillBuffer())
            return Reply::Gone;
    }
}

QString ModemLineDevice::identify(int timeoutMs)
{
    QStringList lines;
    if (command("AT+GMM", timeoutMs, &lines) == Reply::Ok && !lines.isEmpty()) {
        QString name = lines.join(QLatin1Char(' '));
        if (name.startsWith(QStringLiteral("+GMM:")))
            name = name.mid(5);
        return name.trimmed();
    }
    lines.clear();
    if (command("ATI", timeoutMs, &lines) == Reply::Ok && !lines.isEmpty())
        return lines.first().trimmed();
    return QString();
}

void ModemLineDevice::listen()
{
    if (!isOpen() || notifier_)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ModemLineDevice::onReadable);
    // Lines already read during the last command are handled at once.
    QMetaObject::invokeMethod(this, &ModemLineDevice::onReadable, Qt::QueuedConnection);
}

void ModemLineDevice::onReadable()
{
    if (!isOpen())
        return;
    const bool alive = fillBuffer();
    QByteArray line;
    while (takeLine(line)) {
        if (line == "RING")
            Q_EMIT ring();
    }
    if (!alive) {
        close();
        Q_EMIT vanished();
    }
}

}  // namespace torvex
