#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What a card keeps when it loses power, kept beside what the card shows while it runs,
// a file system's inodes seen as a crash-consistency tester sees them:
//   - a file's bytes and size become durable when the file is flushed (fsync);
//   - a folder's entries (files and folders made in it, renamed into or out of it,
//     removed from it) become durable when the folder is flushed (fsyncdir), all of
//     them as they stand at that moment; so a rename lasts only once its folders have
//     been flushed;
//   - what was written and not flushed since is torn: the file keeps the first half of
//     what it held (a real card keeps some prefix of it, or none).
// The card's files are held in memory, twice: it is meant for a test's small card.
// Calls are made from one thread (the card runs single-threaded).
class PowerCut
{
public:
    // Everything in the backing folder now is durable.
    explicit PowerCut(const std::string &backing);

    // Changes the running card made, told once the backing folder has taken them.
    void madeFolder(const std::string &path);
    void opened(std::uint64_t handle, const std::string &path, bool created); // until reopened
    void written(std::uint64_t handle);
    void flushed(std::uint64_t handle);
    void flushedFolder(const std::string &path);
    void renamed(const std::string &from, const std::string &to);
    void removed(const std::string &path);

    // The power goes: the backing folder is made to hold only what was durable.
    void cut();

private:
    struct Inode
    {
        bool folder = false;
        std::map<std::string, int> entries, durableEntries; // a folder's names and inodes
        std::string durable;   // a file's bytes as last flushed
        bool unflushed = false;
        int reader = -1;       // the file's live bytes, under whatever name or none
    };
    int resolve(const std::string &path) const; // -1: no such entry
    std::pair<int, std::string> parentAndName(const std::string &path) const;
    int newInode(bool folder, const std::string &path);
    Inode *file(std::uint64_t handle); // null: not a file of the card's
    void keepDurable(int inode, const std::string &relative, std::map<std::string, std::string> &files,
                     std::vector<std::string> &folders) const;

    std::string backing;
    std::vector<Inode> inodes; // 0 is the root
    std::map<std::uint64_t, int> openFiles;
};
