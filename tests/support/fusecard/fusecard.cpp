// fusecard BACKING MOUNTPOINT [corrupt=TEXT] [log=FILE] [rate=BYTES_PER_SECOND]
//          [crash-at=N] [count=FILE]
// (foreground; SIGTERM unmounts): a FUSE card that mirrors a backing folder, as a card
// in a reader does, with faults and traits a real one can have:
//   corrupt=TEXT  a read from offset 0 of a file whose name holds TEXT comes back with
//                 its first byte inverted; writes reach the backing folder intact, so
//                 only reading back can tell
//   log=FILE      every fsync, fsyncdir and rename is appended to FILE, a line each:
//                 "fsync /DCIM/X/F", "rename /from /to", "fsyncdir /DCIM/X"
//   rate=N        writes take as long as N bytes a second allow, as a real SD card's do;
//                 reads a quarter of that time, as such a card reads some four times
//                 faster than it writes
//   crash-at=N    a card that loses power (pulled without warning) at the Nth change
//                 that reaches it: that change is refused, the backing folder is made to
//                 hold only what the card had made durable (powercut.h says what that
//                 is), and every call after it fails with EIO. Unmounted before that, the
//                 card loses power there and then, so the backing folder holds what a
//                 card pulled after the program's end holds. crash-at=0: only then.
//                 A change is any of mkdir, create, write, chmod, rename, unlink, fsync
//                 and fsyncdir; reads, lookups and listings are not.
//   count=FILE    at unmount, FILE gets the number of changes the card carried out,
//                 and when it lost power before, the change it went with:
//                 "17 crashed at fsyncdir /DCIM/X"
// Stopped with SIGSTOP, it is a card that stops answering.

#define FUSE_USE_VERSION 31
#include "powercut.h"

#include <fuse.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace {
std::string backing, corruptedNameText, logFile, countFile;
double bytesPerSecond = 0;
std::mutex throttle;
std::chrono::steady_clock::time_point busyUntil; // when the card is done with what it took
std::unique_ptr<PowerCut> powerCut;
long crashAt = 0, changesCarriedOut = 0;
bool powerLost = false;
std::string lostAt; // the change the power went with

std::string real(const char *path) { return backing + path; }
int status(long result) { return result < 0 ? -errno : int(result); }

// Every call that reaches the card asks first; none is answered once the power is gone.
int answerable() { return powerLost ? -EIO : 0; }

// A change about to reach the card ("rename /from /to"): counted, unless the power goes
// with it.
int changing(const std::string &change)
{
    if (powerLost)
        return -EIO;
    if (powerCut && changesCarriedOut + 1 == crashAt) {
        powerCut->cut();
        powerLost = true;
        lostAt = change;
        return -EIO;
    }
    ++changesCarriedOut;
    return 0;
}

void note(const std::string &line)
{
    if (logFile.empty())
        return;
    if (FILE *log = std::fopen(logFile.c_str(), "a")) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
}

// Sleeps until the card has had the time its rate gives these bytes, after what it took
// before them. Time the card spent idle is no credit: a real card writes no faster for
// having rested.
void takeTimeFor(double bytes)
{
    if (bytesPerSecond <= 0)
        return;
    std::chrono::steady_clock::time_point due;
    {
        const std::lock_guard<std::mutex> lock(throttle);
        busyUntil = std::max(busyUntil, std::chrono::steady_clock::now())
                    + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>(bytes / bytesPerSecond));
        due = busyUntil;
    }
    std::this_thread::sleep_until(due);
}
}

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    backing = argv[1];
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.rfind("corrupt=", 0) == 0)
            corruptedNameText = option.substr(8);
        else if (option.rfind("log=", 0) == 0)
            logFile = option.substr(4);
        else if (option.rfind("rate=", 0) == 0)
            bytesPerSecond = std::stod(option.substr(5));
        else if (option.rfind("crash-at=", 0) == 0)
            crashAt = std::stol(option.substr(9)), powerCut = std::make_unique<PowerCut>(backing);
        else if (option.rfind("count=", 0) == 0)
            countFile = option.substr(6);
    }
    fuse_operations card{};
    card.getattr = [](const char *path, struct stat *attributes, fuse_file_info *) {
        if (const int refused = answerable())
            return refused;
        return status(::lstat(real(path).c_str(), attributes));
    };
    card.statfs = [](const char *path, struct statvfs *info) {
        if (const int refused = answerable())
            return refused;
        return status(::statvfs(real(path).c_str(), info));
    };
    card.create = [](const char *path, mode_t mode, fuse_file_info *info) {
        struct stat existing;
        const bool created = ::lstat(real(path).c_str(), &existing) != 0;
        if (const int refused = changing(std::string("create ") + path))
            return refused;
        info->fh = uint64_t(::open(real(path).c_str(), info->flags & ~O_DIRECT, mode));
        if (int(info->fh) < 0)
            return -errno;
        if (powerCut)
            powerCut->opened(info->fh, path, created);
        return 0;
    };
    card.open = [](const char *path, fuse_file_info *info) {
        if (const int refused = answerable())
            return refused;
        info->fh = uint64_t(::open(real(path).c_str(), info->flags & ~O_DIRECT));
        if (int(info->fh) < 0)
            return -errno;
        if (powerCut)
            powerCut->opened(info->fh, path, false);
        return 0;
    };
    card.read = [](const char *path, char *buffer, size_t size, off_t offset, fuse_file_info *info) {
        if (const int refused = answerable())
            return refused;
        constexpr double readsFaster = 4;
        takeTimeFor(double(size) / readsFaster);
        const int got = status(::pread(int(info->fh), buffer, size, offset));
        if (got > 0 && offset == 0 && !corruptedNameText.empty() && std::strstr(path, corruptedNameText.c_str()))
            buffer[0] = char(~buffer[0]);
        return got;
    };
    card.write = [](const char *path, const char *buffer, size_t size, off_t offset, fuse_file_info *info) {
        if (const int refused = changing(std::string("write ") + path))
            return refused;
        takeTimeFor(double(size));
        const int wrote = status(::pwrite(int(info->fh), buffer, size, offset));
        if (powerCut && wrote > 0)
            powerCut->written(info->fh);
        return wrote;
    };
    card.fsync = [](const char *path, int, fuse_file_info *info) {
        const std::string change = std::string("fsync ") + path;
        if (const int refused = changing(change))
            return refused;
        note(change);
        const int done = status(::fsync(int(info->fh)));
        if (powerCut && done == 0)
            powerCut->flushed(info->fh);
        return done;
    };
    card.fsyncdir = [](const char *path, int, fuse_file_info *) {
        const std::string change = std::string("fsyncdir ") + path;
        if (const int refused = changing(change))
            return refused;
        note(change);
        if (powerCut)
            powerCut->flushedFolder(path);
        return 0;
    };
    card.release = [](const char *, fuse_file_info *info) { return status(::close(int(info->fh))); };
    card.rename = [](const char *from, const char *to, unsigned int) {
        const std::string change = std::string("rename ") + from + " " + to;
        if (const int refused = changing(change))
            return refused;
        note(change);
        const int done = status(::rename(real(from).c_str(), real(to).c_str()));
        if (powerCut && done == 0)
            powerCut->renamed(from, to);
        return done;
    };
    card.unlink = [](const char *path) {
        if (const int refused = changing(std::string("unlink ") + path))
            return refused;
        const int done = status(::unlink(real(path).c_str()));
        if (powerCut && done == 0)
            powerCut->removed(path);
        return done;
    };
    card.mkdir = [](const char *path, mode_t mode) {
        if (const int refused = changing(std::string("mkdir ") + path))
            return refused;
        const int done = status(::mkdir(real(path).c_str(), mode));
        if (powerCut && done == 0)
            powerCut->madeFolder(path);
        return done;
    };
    card.chmod = [](const char *path, mode_t mode, fuse_file_info *) {
        if (const int refused = changing(std::string("chmod ") + path))
            return refused;
        return status(::chmod(real(path).c_str(), mode));
    };
    card.readdir = [](const char *path, void *buffer, fuse_fill_dir_t fill, off_t, fuse_file_info *, fuse_readdir_flags) {
        if (const int refused = answerable())
            return refused;
        DIR *folder = ::opendir(real(path).c_str());
        if (!folder)
            return -errno;
        while (const dirent *entry = ::readdir(folder))
            fill(buffer, entry->d_name, nullptr, 0, fuse_fill_dir_flags(0));
        ::closedir(folder);
        return 0;
    };
    // The device name starts with "/", as a real card's does: volume lists pass over
    // file systems whose device is no path.
    char foreground[] = "-f", singleThreaded[] = "-s", options[] = "-o", name[] = "fsname=/dev/vek-fuse-card";
    char *arguments[] = {argv[0], foreground, singleThreaded, options, name, argv[2], nullptr};
    const int unmounted = fuse_main(6, arguments, &card, nullptr);
    if (powerCut && !powerLost)
        powerCut->cut();
    if (!countFile.empty())
        std::ofstream(countFile) << changesCarriedOut << (powerLost ? " crashed at " + lostAt : "") << "\n";
    return unmounted;
}
