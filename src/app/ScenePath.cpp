#include "app/ScenePath.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace wobble {

std::string Printable(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", c);
            out += code;
        } else {
            out += ch;
        }
    }
    return out;
}

ScenePath ClassifyScenePath(const std::string& path) {
    ScenePath what;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        what.problem = path + ": " + std::strerror(errno);
        return what;
    }
    if (S_ISDIR(info.st_mode)) {
        what.kind = ScenePath::Kind::kSceneFolder;
        what.folder = path;
    } else if (S_ISREG(info.st_mode)) {
        const std::filesystem::path file(path);
        if (file.filename() == "config.txt") {
            what.kind = ScenePath::Kind::kSceneFolder;
            what.folder = file.parent_path().empty() ? "." : file.parent_path().string();
        } else {
            what.kind = ScenePath::Kind::kModelFile;
            what.model = path;
        }
    } else {
        what.problem = path + ": neither a model file nor a scene folder";
    }
    return what;
}

}  // namespace wobble
