// All-or-nothing file replacement (temporary file + fsync + rename + folder fsync), whole or piece
// by piece, and whole-file reads. See AtomicFile.h for the guarantees.
#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The user reads these in the module's message box: the common causes in Chinese, the rare ones
// with the system's own text after the Chinese opening.
std::string Reason(int error) {
    switch (error) {
    case ENOSPC: return "磁盘空间不足";
    case EDQUOT: return "超出磁盘配额";
    case EROFS: return "磁盘是只读的";
    case EACCES:
    case EPERM: return "没有写入权限";
    case ENOENT:
    case ENOTDIR: return "文件夹不存在";
    case EFBIG: return "文件太大";
    case EIO: return "磁盘读写错误";
    default: return std::strerror(error);
    }
}

[[noreturn]] void Fail(const std::string& path, const std::string& what, int error) {
    throw EFileWriteError("无法写入文件“" + path + "”：" + Reason(error) + "（" + what + "）");
}

// The file that a write should replace: the destination of a symbolic link, else the path itself.
std::string WriteTarget(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
        if (!error) return resolved.string();
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

bool WriteAll(int fd, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// Removes the temporaries "NAME.tmp-PID-N" in the folder whose process is gone; with a target,
// only those of that file.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& targetName) {
    std::error_code error;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::size_t tmp = name.rfind(".tmp-");
        if (tmp == std::string::npos || tmp == 0) continue;
        if (!targetName.empty() && name.compare(0, tmp, targetName) != 0) continue;
        const std::string rest = name.substr(tmp + 5); // PID-N
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos ||
            rest.find_first_not_of("0123456789-") != std::string::npos)
            continue;
        const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) continue; // still running
        std::error_code ignored;
        std::filesystem::remove(it->path(), ignored);
    }
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (!ok) content.clear();
    return ok;
}

void RemoveStaleTemporariesIn(const std::string& folder) {
    RemoveStaleTemporaries(folder, std::string());
}

void AtomicWriteFile(const std::string& path, std::string_view content, TStaleTemporaries stale) {
    TAtomicFileWriter file(path, stale);
    file.Write(content);
    file.Commit();
}

// Pieces smaller than this are gathered before they go to the file; larger ones go straight.
constexpr std::size_t WriteBufferSize = std::size_t(1) << 20;

TAtomicFileWriter::TAtomicFileWriter(const std::string& path, TStaleTemporaries stale) : FTarget(WriteTarget(path)) {
    std::error_code dirError;
    std::filesystem::create_directories(FolderOf(FTarget), dirError);
    if (stale == TStaleTemporaries::RemoveOwn) {
        const std::filesystem::path target(FTarget);
        RemoveStaleTemporaries(target.parent_path(), target.filename().string());
    }

    // Keep the permissions of the file being replaced; a new file gets the usual 0666 less umask.
    mode_t mode = 0666;
    struct stat existing {};
    if (::stat(FTarget.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
        FKeepMode = true;
    }
    FMode = mode;

    // A unique name in the same folder (rename is atomic only within one file system).
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
        FTemp = FTarget + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        FFd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (FFd < 0 && errno != EEXIST) Fail(FTarget, "创建临时文件", errno);
    }
    if (FFd < 0) Fail(FTarget, "创建临时文件", EEXIST);
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (FFd < 0) return;
    ::close(FFd);
    ::unlink(FTemp.c_str());
}

void TAtomicFileWriter::Abandon(const char* what, int error) {
    ::close(FFd);
    FFd = -1;
    ::unlink(FTemp.c_str());
    Fail(FTarget, what, error);
}

void TAtomicFileWriter::Flush() {
    if (!FBuffer.empty() && !WriteAll(FFd, FBuffer)) Abandon("写入", errno);
    FBuffer.clear();
}

void TAtomicFileWriter::Write(std::string_view bytes) {
    if (FFd < 0) Fail(FTarget, "写入", EBADF);
    FSize += std::int64_t(bytes.size());
    if (FBuffer.size() + bytes.size() <= WriteBufferSize) {
        if (FBuffer.capacity() < WriteBufferSize) FBuffer.reserve(WriteBufferSize);
        FBuffer.append(bytes);
        return;
    }
    Flush();
    if (bytes.size() < WriteBufferSize)
        FBuffer.append(bytes);
    else if (!WriteAll(FFd, bytes))
        Abandon("写入", errno);
}

void TAtomicFileWriter::Commit() {
    if (FFd < 0) Fail(FTarget, "写入", EBADF);
    Flush();
    // open() applied the umask; an existing file's exact bits are restored here.
    if (FKeepMode && ::fchmod(FFd, mode_t(FMode)) != 0) Abandon("设置权限", errno);
    if (::fsync(FFd) != 0) Abandon("写入磁盘", errno);
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(FTemp.c_str());
        Fail(FTarget, "关闭文件", error);
    }
    if (::rename(FTemp.c_str(), FTarget.c_str()) != 0) {
        int error = errno;
        ::unlink(FTemp.c_str());
        Fail(FTarget, "替换文件", error);
    }
    // Make the new directory entry durable; a failure here does not undo the completed write.
    int dirFd = ::open(FolderOf(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}
