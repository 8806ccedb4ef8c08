// A file system in user space for the save tests, over a folder of the real one: what it holds is the
// folder's, but for what the test asks of its writes.
//
// vardelo_test_fs BACKING MOUNTPOINT [--hold-while FILE] [--delay-ms MS] [--zero-writes] [--fail-folder-sync]
//   --hold-while FILE   every write waits while FILE exists (outside the mount), as on a stalled disk
//   --delay-ms MS       every write takes MS milliseconds longer, as on a slow disk
//   --zero-writes       every write takes no byte, as a device that has stopped taking data
//   --fail-folder-sync  syncing a folder fails (EIO), after whatever was renamed in it
//
// Prints "mounted" once the mount point serves; unmounts on SIGTERM or SIGINT.

#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options
{
    std::string backing;
    std::string holdWhile;
    int delayMs = 0;
    bool zeroWrites = false;
    bool failFolderSync = false;
} options;

std::string real(const char* path)
{
    return options.backing + path;
}

int fail()
{
    return -errno;
}

int onGetattr(const char* path, struct stat* status, fuse_file_info*)
{
    return ::lstat(real(path).c_str(), status) == 0 ? 0 : fail();
}

int onReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags)
{
    DIR* dir = ::opendir(real(path).c_str());
    if (dir == nullptr) {
        return fail();
    }
    while (const dirent* entry = ::readdir(dir)) {
        fill(buffer, entry->d_name, nullptr, 0, fuse_fill_dir_flags {});
    }
    ::closedir(dir);
    return 0;
}

int onOpen(const char* path, fuse_file_info* file)
{
    const int fd = ::open(real(path).c_str(), file->flags);
    if (fd < 0) {
        return fail();
    }
    file->fh = static_cast<uint64_t>(fd);
    return 0;
}

int onCreate(const char* path, mode_t mode, fuse_file_info* file)
{
    const int fd = ::open(real(path).c_str(), file->flags, mode);
    if (fd < 0) {
        return fail();
    }
    file->fh = static_cast<uint64_t>(fd);
    return 0;
}

int onRead(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    const ssize_t got = ::pread(static_cast<int>(file->fh), buffer, size, offset);
    return got < 0 ? fail() : static_cast<int>(got);
}

int onWrite(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    while (!options.holdWhile.empty() && ::access(options.holdWhile.c_str(), F_OK) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));
    if (options.zeroWrites) {
        return 0;
    }
    const ssize_t written = ::pwrite(static_cast<int>(file->fh), buffer, size, offset);
    return written < 0 ? fail() : static_cast<int>(written);
}

int onRelease(const char*, fuse_file_info* file)
{
    ::close(static_cast<int>(file->fh));
    return 0;
}

int onFsync(const char*, int, fuse_file_info* file)
{
    return ::fsync(static_cast<int>(file->fh)) == 0 ? 0 : fail();
}

int onFsyncdir(const char*, int, fuse_file_info*)
{
    return options.failFolderSync ? -EIO : 0;
}

int onOpendir(const char* path, fuse_file_info*)
{
    return ::access(real(path).c_str(), R_OK) == 0 ? 0 : fail();
}

int onRename(const char* from, const char* to, unsigned int)
{
    return ::rename(real(from).c_str(), real(to).c_str()) == 0 ? 0 : fail();
}

int onUnlink(const char* path)
{
    return ::unlink(real(path).c_str()) == 0 ? 0 : fail();
}

int onMkdir(const char* path, mode_t mode)
{
    return ::mkdir(real(path).c_str(), mode) == 0 ? 0 : fail();
}

int onRmdir(const char* path)
{
    return ::rmdir(real(path).c_str()) == 0 ? 0 : fail();
}

int onTruncate(const char* path, off_t size, fuse_file_info* file)
{
    const int result
        = file != nullptr ? ::ftruncate(static_cast<int>(file->fh), size) : ::truncate(real(path).c_str(), size);
    return result == 0 ? 0 : fail();
}

int onChmod(const char* path, mode_t mode, fuse_file_info*)
{
    return ::chmod(real(path).c_str(), mode) == 0 ? 0 : fail();
}

int onAccess(const char* path, int mask)
{
    return ::access(real(path).c_str(), mask) == 0 ? 0 : fail();
}

int onUtimens(const char* path, const timespec times[2], fuse_file_info*)
{
    return ::utimensat(AT_FDCWD, real(path).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

void* onInit(fuse_conn_info*, fuse_config* config)
{
    // What the test reads back is what was written, not the kernel's cached view of it.
    config->direct_io = 1;
    config->attr_timeout = 0;
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    std::puts("mounted");
    std::fflush(stdout);
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fputs("usage: vardelo_test_fs BACKING MOUNTPOINT [--hold-while FILE] [--delay-ms MS] [--zero-writes] "
                   "[--fail-folder-sync]\n",
            stderr);
        return 2;
    }
    options.backing = argv[1];
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hold-while" && i + 1 < argc) {
            options.holdWhile = argv[++i];
        } else if (arg == "--delay-ms" && i + 1 < argc) {
            options.delayMs = std::stoi(argv[++i]);
        } else if (arg == "--zero-writes") {
            options.zeroWrites = true;
        } else if (arg == "--fail-folder-sync") {
            options.failFolderSync = true;
        }
    }
    fuse_operations operations {};
    operations.getattr = onGetattr;
    operations.readdir = onReaddir;
    operations.open = onOpen;
    operations.create = onCreate;
    operations.read = onRead;
    operations.write = onWrite;
    operations.release = onRelease;
    operations.fsync = onFsync;
    operations.fsyncdir = onFsyncdir;
    operations.opendir = onOpendir;
    operations.rename = onRename;
    operations.unlink = onUnlink;
    operations.mkdir = onMkdir;
    operations.rmdir = onRmdir;
    operations.truncate = onTruncate;
    operations.chmod = onChmod;
    operations.access = onAccess;
    operations.utimens = onUtimens;
    operations.init = onInit;
    // In the foreground, single-threaded, so that a held write holds the rest too, as a stalled disk does.
    std::vector<char*> fuseArguments {argv[0], argv[2], const_cast<char*>("-f"), const_cast<char*>("-s"),
        const_cast<char*>("-o"), const_cast<char*>("fsname=vardelo_test_fs")};
    return fuse_main(static_cast<int>(fuseArguments.size()), fuseArguments.data(), &operations, nullptr);
}
