#include "station/journalsocket.h"

// Windows has no systemd journal: nothing is sent.
JournalDelivery sendToJournal(const QByteArray &datagram, QString *why)
{
    Q_UNUSED(datagram)
    Q_UNUSED(why)
    return JournalDelivery::NoJournal;
}
