#include "station/journalsocket.h"

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

JournalDelivery sendToJournal(const QByteArray &datagram, QString *why)
{
    static constexpr char socketPath[] = "/run/systemd/journal/socket";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    static_assert(sizeof socketPath <= sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath, sizeof socketPath);
    const int journal = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (journal < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return JournalDelivery::Failed;
    }
    const ssize_t sent = ::sendto(journal, datagram.constData(), size_t(datagram.size()), MSG_DONTWAIT | MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int error = errno;
    ::close(journal);
    if (sent == datagram.size())
        return JournalDelivery::Sent;
    if (sent < 0 && (error == ENOENT || error == ECONNREFUSED || error == ENOTDIR))
        return JournalDelivery::NoJournal;
    *why = QStringLiteral("%1: %2").arg(QLatin1String(socketPath), QString::fromLocal8Bit(std::strerror(error)));
    return JournalDelivery::Failed;
}
