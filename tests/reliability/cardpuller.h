#pragma once

#include <QString>

#include <atomic>
#include <string>
#include <thread>

// Pulls a camera's card out while the updater writes to it. The card is a mounted
// volume; the moment a file whose name begins with namePrefix is opened on it, the
// volume is detached (a lazy unmount: to every path it is gone at once) before the
// open returns. A fanotify permission event holds the opener meanwhile, so the pull
// lands at the same point on every run: the file exists, not one byte is in it yet.
//
// What the pulled card holds stays readable through onCard() while the puller lives,
// as it would be on plugging the card back in.
class CardPuller
{
public:
    CardPuller(const QString &mountPoint, const QString &namePrefix);
    ~CardPuller();
    CardPuller(const CardPuller &) = delete;
    CardPuller &operator=(const CardPuller &) = delete;

    // False, with the reason, when the kernel refused to watch the card.
    bool isArmed(QString *whyNot = nullptr) const;
    bool hasPulled() const { return pulled.load(); }
    // A path below the card's root, valid before and after the pull.
    QString onCard(const QString &relativePath) const;

private:
    void listen();
    bool answer(int eventFd);

    std::string mountPoint;
    std::string namePrefix;
    int cardRoot = -1;
    int watch = -1;
    int stop = -1;
    QString problem;
    std::atomic<bool> pulled{false};
    std::thread listener;
};
