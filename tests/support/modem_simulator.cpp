#include "modem_simulator.h"

#include <QFile>
#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace torvex::test {

ModemSimulator::ModemSimulator(QString model) : model_(std::move(model))
{
    char name[256] = {};
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0 || ::pipe(wake_) != 0) {
        qWarning("modem simulator: no pty: %s", strerror(errno));
        return;
    }
    // The program opens a link of our own, not the pty's name: once unplugged,
    // that name may at once belong to another test's pty.
    slavePath_ = folder_.filePath(QStringLiteral("ttyModem"));
    if (!QFile::link(QString::fromLocal8Bit(name), slavePath_))
        qWarning("modem simulator: cannot link its pty");
    thread_ = std::thread([this] { run(); });
}

ModemSimulator::~ModemSimulator()
{
    // Told to stop before unplug() wakes it, the thread ends.
    stop_ = true;
    unplug();
    if (thread_.joinable())
        thread_.join();
    for (int fd : wake_) {
        if (fd >= 0)
            ::close(fd);
    }
}

void ModemSimulator::unplug()
{
    std::lock_guard lock(mutex_);
    QFile::remove(slavePath_);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    if (wake_[1] >= 0 && ::write(wake_[1], "x", 1) < 0)
        qWarning("modem simulator: cannot wake its thread");
}

QStringList ModemSimulator::commands() const
{
    std::lock_guard lock(mutex_);
    return commands_;
}

void ModemSimulator::send(const QByteArray& text)
{
    std::lock_guard lock(mutex_);
    if (master_ >= 0 && ::write(master_, text.constData(), size_t(text.size())) < 0)
        qWarning("modem simulator: write failed: %s", strerror(errno));
}

void ModemSimulator::run()
{
    while (!stop_) {
        int master;
        {
            std::lock_guard lock(mutex_);
            master = master_;
        }
        pollfd fds[2] = {{wake_[0], POLLIN, 0}, {master, POLLIN, 0}};
        if (::poll(fds, master >= 0 ? 2 : 1, -1) < 0 && errno != EINTR)
            return;
        if (fds[0].revents) {
            char drain[16];
            if (::read(wake_[0], drain, sizeof drain) < 0)
                return;
            continue;  // the master may have been closed: look again
        }
        if (master < 0 || !(fds[1].revents & POLLIN))
            continue;
        char chunk[256];
        const ssize_t n = ::read(master, chunk, sizeof chunk);
        if (n <= 0)
            continue;
        input_.append(chunk, qsizetype(n));
        qsizetype end;
        while ((end = input_.indexOf('\r')) >= 0) {
            const QByteArray command = input_.left(end).trimmed();
            input_.remove(0, end + 1);
            if (!command.isEmpty())
                answer(command);
        }
    }
}

void ModemSimulator::answer(const QByteArray& command)
{
    {
        std::lock_guard lock(mutex_);
        commands_ << QString::fromLatin1(command);
    }
    if (mode_ == Mode::Silent)
        return;
    if (echo_)
        send(command + "\r");
    const QByteArray upper = command.toUpper();
    if (upper.contains("E0"))
        echo_ = false;
    if (mode_ == Mode::Error && upper != "AT")
        send("\r\nERROR\r\n");
    else if (upper == "AT+GMM")
        send(gmmUnsupported_ ? QByteArray("\r\nERROR\r\n") : "\r\n" + model_.toLatin1() + "\r\n\r\nOK\r\n");
    else if (upper == "ATI")
        send("\r\n" + model_.toLatin1() + " (ATI)\r\n\r\nOK\r\n");
    else
        send(upper.startsWith("AT") ? QByteArray("\r\nOK\r\n") : QByteArray("\r\nERROR\r\n"));
}

}  // namespace torvex::test
