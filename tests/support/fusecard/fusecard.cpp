// fusecard BACKING MOUNTPOINT [corrupt=TEXT] [log=FILE] [rate=BYTES_PER_SECOND]
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
// Stopped with SIGSTOP, it is a card that stops answering.

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace {
std::string backing, corruptedNameText, logFile;
double bytesPerSecond = 0;
std::mutex throttle;
std::chrono::steady_clock::time_point busyUntil; // when the card is done with what it took

std::string real(const char *path) { return backing + path; }
int status(long result) { return result < 0 ? -errno : int(result); }

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
    }
    static fuse_operations card{}; // static: open() passes on to create()
    card.getattr = [](const char *path, struct stat *attributes, fuse_file_info *) {
        return status(::lstat(real(path).c_str(), attributes));
    };
    card.statfs = [](const char *path, struct statvfs *info) { return status(::statvfs(real(path).c_str(), info)); };
    card.create = [](const char *path, mode_t mode, fuse_file_info *info) {
        info->fh = uint64_t(::open(real(path).c_str(), info->flags & ~O_DIRECT, mode));
        return status(int(info->fh) < 0 ? -1 : 0);
    };
    card.open = [](const char *path, fuse_file_info *info) { return card.create(path, 0, info); };
    card.read = [](const char *path, char *buffer, size_t size, off_t offset, fuse_file_info *info) {
        constexpr double readsFaster = 4;
        takeTimeFor(double(size) / readsFaster);
        const int got = status(::pread(int(info->fh), buffer, size, offset));
        if (got > 0 && offset == 0 && !corruptedNameText.empty() && std::strstr(path, corruptedNameText.c_str()))
            buffer[0] = char(~buffer[0]);
        return got;
    };
    card.write = [](const char *, const char *buffer, size_t size, off_t offset, fuse_file_info *info) {
        takeTimeFor(double(size));
        return status(::pwrite(int(info->fh), buffer, size, offset));
    };
    card.fsync = [](const char *path, int, fuse_file_info *info) {
        note(std::string("fsync ") + path);
        return status(::fsync(int(info->fh)));
    };
    card.fsyncdir = [](const char *path, int, fuse_file_info *) {
        note(std::string("fsyncdir ") + path);
        return 0;
    };
    card.release = [](const char *, fuse_file_info *info) { return status(::close(int(info->fh))); };
    card.rename = [](const char *from, const char *to, unsigned int) {
        note(std::string("rename ") + from + " " + to);
        return status(::rename(real(from).c_str(), real(to).c_str()));
    };
    card.unlink = [](const char *path) { return status(::unlink(real(path).c_str())); };
    card.mkdir = [](const char *path, mode_t mode) { return status(::mkdir(real(path).c_str(), mode)); };
    card.chmod = [](const char *path, mode_t mode, fuse_file_info *) { return status(::chmod(real(path).c_str(), mode)); };
    card.readdir = [](const char *path, void *buffer, fuse_fill_dir_t fill, off_t, fuse_file_info *, fuse_readdir_flags) {
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
    return fuse_main(6, arguments, &card, nullptr);
}
