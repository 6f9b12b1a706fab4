#include "powercut.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string bytesOf(int descriptor)
{
    std::string bytes;
    char buffer[65536];
    ssize_t got;
    for (off_t offset = 0; (got = ::pread(descriptor, buffer, sizeof buffer, offset)) > 0; offset += got)
        bytes.append(buffer, size_t(got));
    return bytes;
}
}

PowerCut::PowerCut(const std::string &backing) : backing(backing)
{
    inodes.emplace_back().folder = true;
    // Parents come before their children in a recursive listing.
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(backing)) {
        const std::string path = "/" + fs::relative(entry.path(), backing).string();
        const int inode = newInode(entry.is_directory(), path);
        if (!inodes[inode].folder)
            inodes[inode].durable = bytesOf(inodes[inode].reader);
        const auto [parent, name] = parentAndName(path);
        inodes[parent].durableEntries[name] = inode;
    }
}

int PowerCut::resolve(const std::string &path) const
{
    int inode = 0;
    for (const fs::path &name : fs::path(path).relative_path()) {
        const auto found = inodes[inode].entries.find(name.string());
        if (found == inodes[inode].entries.end())
            return -1;
        inode = found->second;
    }
    return inode;
}

std::pair<int, std::string> PowerCut::parentAndName(const std::string &path) const
{
    const fs::path entry(path);
    return {resolve(entry.parent_path().string()), entry.filename().string()};
}

int PowerCut::newInode(bool folder, const std::string &path)
{
    const auto [parent, name] = parentAndName(path);
    Inode &made = inodes.emplace_back();
    made.folder = folder;
    if (!folder)
        made.reader = ::open((backing + path).c_str(), O_RDONLY | O_CLOEXEC);
    inodes[parent].entries[name] = int(inodes.size() - 1);
    return int(inodes.size() - 1);
}

void PowerCut::madeFolder(const std::string &path)
{
    newInode(true, path);
}

void PowerCut::opened(std::uint64_t handle, const std::string &path, bool created)
{
    openFiles[handle] = created ? newInode(false, path) : resolve(path);
}

PowerCut::Inode *PowerCut::file(std::uint64_t handle)
{
    const auto open = openFiles.find(handle);
    return open == openFiles.end() || open->second < 0 ? nullptr : &inodes[open->second];
}

void PowerCut::written(std::uint64_t handle)
{
    if (Inode *changed = file(handle))
        changed->unflushed = true;
}

void PowerCut::flushed(std::uint64_t handle)
{
    if (Inode *flushedFile = file(handle)) {
        flushedFile->durable = bytesOf(flushedFile->reader);
        flushedFile->unflushed = false;
    }
}

void PowerCut::flushedFolder(const std::string &path)
{
    Inode &folder = inodes[resolve(path)];
    folder.durableEntries = folder.entries;
}

void PowerCut::renamed(const std::string &from, const std::string &to)
{
    const auto [fromParent, fromName] = parentAndName(from);
    const auto [toParent, toName] = parentAndName(to);
    const int moved = inodes[fromParent].entries.at(fromName);
    inodes[fromParent].entries.erase(fromName);
    inodes[toParent].entries[toName] = moved;
}

void PowerCut::removed(const std::string &path)
{
    const auto [parent, name] = parentAndName(path);
    inodes[parent].entries.erase(name);
}

void PowerCut::keepDurable(int inode, const std::string &relative, std::map<std::string, std::string> &files,
                           std::vector<std::string> &folders) const
{
    const Inode &node = inodes[inode];
    if (!node.folder) {
        const std::string live = node.unflushed ? bytesOf(node.reader) : std::string();
        files[relative] = node.unflushed ? live.substr(0, live.size() / 2) : node.durable;
        return;
    }
    folders.push_back(relative);
    for (const auto &[name, child] : node.durableEntries)
        keepDurable(child, relative + "/" + name, files, folders);
}

void PowerCut::cut()
{
    std::map<std::string, std::string> files;
    std::vector<std::string> folders;
    keepDurable(0, std::string(), files, folders);
    for (const fs::directory_entry &entry : fs::directory_iterator(backing))
        fs::remove_all(entry.path());
    for (const std::string &folder : folders)
        fs::create_directories(backing + folder);
    for (const auto &[path, bytes] : files)
        std::ofstream(backing + path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}
