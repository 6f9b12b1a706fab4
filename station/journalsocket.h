#pragma once

#include <QByteArray>
#include <QString>

enum class JournalDelivery
{
    Sent,
    NoJournal, // no journal listens here: a workstation without systemd, or Windows
    Failed,
};

// Hands one entry in the journal's native protocol to journald's socket,
// /run/systemd/journal/socket, without waiting: a journal that cannot take it at once
// does not get it, and the caller never waits for journald. Why, when it failed.
JournalDelivery sendToJournal(const QByteArray &datagram, QString *why);
