// A card that returns other bytes than were written to it: a FUSE file system that
// mirrors a backing folder, except that every read from offset 0 of a file whose
// name contains a given text comes back with its first byte inverted. The writes
// reach the backing folder intact, so only a read-back can tell.
//
// Usage: corruptingcard BACKING MOUNTPOINT NAME-TEXT   (stays in the foreground;
// SIGTERM unmounts and ends it)

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string backing;
std::string corruptedNameText;

std::string real(const char *path)
{
    return backing + path;
}

int result(int value)
{
    return value < 0 ? -errno : value;
}

int card_getattr(const char *path, struct stat *status, fuse_file_info *)
{
    return result(::lstat(real(path).c_str(), status));
}

int card_readdir(const char *path, void *buffer, fuse_fill_dir_t fill, off_t, fuse_file_info *, fuse_readdir_flags)
{
    DIR *folder = ::opendir(real(path).c_str());
    if (!folder)
        return -errno;
    while (dirent *entry = ::readdir(folder))
        fill(buffer, entry->d_name, nullptr, 0, fuse_fill_dir_flags(0));
    ::closedir(folder);
    return 0;
}

int card_open(const char *path, fuse_file_info *info)
{
    const int descriptor = ::open(real(path).c_str(), info->flags);
    if (descriptor < 0)
        return -errno;
    info->fh = uint64_t(descriptor);
    return 0;
}

int card_create(const char *path, mode_t mode, fuse_file_info *info)
{
    const int descriptor = ::open(real(path).c_str(), info->flags, mode);
    if (descriptor < 0)
        return -errno;
    info->fh = uint64_t(descriptor);
    return 0;
}

int card_read(const char *path, char *buffer, size_t size, off_t offset, fuse_file_info *info)
{
    const ssize_t got = ::pread(int(info->fh), buffer, size, offset);
    if (got < 0)
        return -errno;
    if (got > 0 && offset == 0 && std::strstr(path, corruptedNameText.c_str()))
        buffer[0] = char(~buffer[0]);
    return int(got);
}

int card_write(const char *, const char *buffer, size_t size, off_t offset, fuse_file_info *info)
{
    return result(int(::pwrite(int(info->fh), buffer, size, offset)));
}

int card_fsync(const char *, int, fuse_file_info *info)
{
    return result(::fsync(int(info->fh)));
}

int card_release(const char *, fuse_file_info *info)
{
    ::close(int(info->fh));
    return 0;
}

int card_rename(const char *from, const char *to, unsigned int)
{
    return result(::rename(real(from).c_str(), real(to).c_str()));
}

int card_unlink(const char *path)
{
    return result(::unlink(real(path).c_str()));
}

int card_chmod(const char *path, mode_t mode, fuse_file_info *)
{
    return result(::chmod(real(path).c_str(), mode));
}

int card_truncate(const char *path, off_t size, fuse_file_info *)
{
    return result(::truncate(real(path).c_str(), size));
}
}

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BACKING MOUNTPOINT NAME-TEXT\n", argv[0]);
        return 2;
    }
    backing = argv[1];
    corruptedNameText = argv[3];

    fuse_operations operations{};
    operations.getattr = card_getattr;
    operations.readdir = card_readdir;
    operations.open = card_open;
    operations.create = card_create;
    operations.read = card_read;
    operations.write = card_write;
    operations.fsync = card_fsync;
    operations.release = card_release;
    operations.rename = card_rename;
    operations.unlink = card_unlink;
    operations.chmod = card_chmod;
    operations.truncate = card_truncate;

    char foreground[] = "-f";
    char singleThreaded[] = "-s";
    char *arguments[] = {argv[0], foreground, singleThreaded, argv[2], nullptr};
    return fuse_main(4, arguments, &operations, nullptr);
}
