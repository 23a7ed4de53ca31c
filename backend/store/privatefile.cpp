#include "privatefile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace backend {

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (!in.is_open() || in.bad()) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return text;
}

void writeFileAtomically(const std::filesystem::path& path, const std::string& text, mode_t mode) {
    std::string temporary = path.string() + ".XXXXXX";
    // mkstemp creates the file with mode 0600 whatever the umask; fchmod sets the rest.
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        throw std::runtime_error("cannot create " + temporary + ": " + std::strerror(errno));
    }
    bool written = ::fchmod(fd, mode) == 0;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        written = n > 0;
        done += written ? static_cast<std::size_t>(n) : 0;
    }
    const int error = errno;
    written = written && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw std::runtime_error("cannot write " + path.string() + ": " +
                                 std::strerror(written ? errno : error));
    }
}

void makePrivateFolder(const std::filesystem::path& path) {
    if (!path.parent_path().empty()) {
        std::filesystem::create_directories(path.parent_path());
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("cannot make " + path.string() + ": " + std::strerror(errno));
    }
}

void makePrivateFile(const std::filesystem::path& path, CreateMissing create) {
    const int flags =
        O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create == CreateMissing::Yes ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0 && errno == ENOENT && create == CreateMissing::No) {
        return;
    }
    // An older release made its files under the umask, often readable by everyone.
    const bool done = fd >= 0 && ::fchmod(fd, 0600) == 0;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!done) {
        throw std::runtime_error("cannot make " + path.string() +
                                 " private: " + std::strerror(error));
    }
}

} // namespace backend
