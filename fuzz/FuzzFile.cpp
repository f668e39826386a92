#include "FuzzFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace wobble::fuzz {

namespace {

class Folder {
public:
    Folder() {
        // /dev/shm when the machine has it, else the ordinary temporary folder.
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/wobble-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::fprintf(stderr, "fuzz: cannot make a scratch folder under %s: %s\n", base,
                         std::strerror(errno));
            std::abort();
        }
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

const std::string& ScratchFolder() {
    static const Folder folder;
    return folder.path();
}

std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = ScratchFolder() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "fuzz: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::abort();
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::write(fd, data + done, size - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            std::fprintf(stderr, "fuzz: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            std::abort();
        }
        done += static_cast<size_t>(wrote);
    }
    ::close(fd);
    return path;
}

std::string WriteScratchFile(const std::string& name, const std::string& text) {
    return WriteScratchFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz: %s:%d: broken promise: %s\n", file, line, what);
    std::abort();
}

}  // namespace wobble::fuzz
