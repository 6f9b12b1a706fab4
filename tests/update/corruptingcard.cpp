// corruptingcard BACKING MOUNTPOINT NAME-TEXT (foreground; SIGTERM unmounts): a FUSE card
// that mirrors a backing folder, except that a read from offset 0 of a file whose name
// holds the text comes back with its first byte inverted. Writes reach the backing
// folder intact, so only reading back can tell.

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string backing, corruptedNameText;

std::string real(const char *path) { return backing + path; }
int status(long result) { return result < 0 ? -errno : int(result); }
}

int main(int argc, char *argv[])
{
    if (argc != 4)
        return 2;
    backing = argv[1];
    corruptedNameText = argv[3];
    static fuse_operations card{}; // static: open() passes on to create()
    card.getattr = [](const char *path, struct stat *attributes, fuse_file_info *) {
        return status(::lstat(real(path).c_str(), attributes));
    };
    card.create = [](const char *path, mode_t mode, fuse_file_info *info) {
        info->fh = uint64_t(::open(real(path).c_str(), info->flags, mode));
        return status(int(info->fh) < 0 ? -1 : 0);
    };
    card.open = [](const char *path, fuse_file_info *info) { return card.create(path, 0, info); };
    card.read = [](const char *path, char *buffer, size_t size, off_t offset, fuse_file_info *info) {
        const int got = status(::pread(int(info->fh), buffer, size, offset));
        if (got > 0 && offset == 0 && std::strstr(path, corruptedNameText.c_str()))
            buffer[0] = char(~buffer[0]);
        return got;
    };
    card.write = [](const char *, const char *buffer, size_t size, off_t offset, fuse_file_info *info) {
        return status(::pwrite(int(info->fh), buffer, size, offset));
    };
    card.release = [](const char *, fuse_file_info *info) { return status(::close(int(info->fh))); };
    card.rename = [](const char *from, const char *to, unsigned int) {
        return status(::rename(real(from).c_str(), real(to).c_str()));
    };
    card.unlink = [](const char *path) { return status(::unlink(real(path).c_str())); };
    char foreground[] = "-f", singleThreaded[] = "-s";
    char *arguments[] = {argv[0], foreground, singleThreaded, argv[2], nullptr};
    return fuse_main(4, arguments, &card, nullptr);
}
