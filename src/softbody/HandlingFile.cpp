#include "softbody/HandlingFile.h"

#include <sys/stat.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "text/FilePath.h"
#include "text/LineReader.h"

namespace wobble {

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// A float value that is finite and not negative; false with the problem in `error`.
bool ReadAmount(const char* text, const char* keyword, int line, float& value, InputError& error) {
    char unit[2];
    if (std::sscanf(text, "%f %1s", &value, unit) != 1) {
        error = MakeInputError(SceneHandling::kFileName, line, "expected \"%s <number>\"", keyword);
        return false;
    }
    if (!std::isfinite(value) || value < 0.0f) {
        error = MakeInputError(SceneHandling::kFileName, line,
                               "%s %g must be a finite number, not negative", keyword, value);
        return false;
    }
    return true;
}

}  // namespace

Result<SceneHandling> ReadHandlingFile(const std::string& folder) {
    SceneHandling handling;
    const std::string path = PathInFolder(folder, SceneHandling::kFileName);
    if (!Exists(path))
        return handling;
    LineReader in(path);
    if (!in.IsOpen()) {
        return MakeInputError(SceneHandling::kFileName, 0, "cannot open the handling file: %s",
                              in.error().c_str());
    }
    InputError error;
    while (in.Next()) {
        const char* text = in.text();
        if (!in.EndsLine() && !in.AtEnd()) {
            return MakeInputError(SceneHandling::kFileName, in.lineNumber(),
                                  "the line is longer than %d characters",
                                  LineReader::kBufferSize - 1);
        }
        text += std::strspn(text, " \t\r\n");
        if (*text == '\0' || *text == '#')
            continue;
        char keyword[32] = {0};
        int used = 0;
        if (std::sscanf(text, "%31s%n", keyword, &used) != 1)
            continue;
        const char* value = text + used;
        const int line = in.lineNumber();
        if (std::strcmp(keyword, "substeps") == 0) {
            long long steps = 0;
            char unit[2];
            if (std::sscanf(value, "%lld %1s", &steps, unit) != 1)
                return MakeInputError(SceneHandling::kFileName, line,
                                      "expected \"substeps <count>\"");
            if (steps < 1 || steps > SceneHandling::kMostSubSteps) {
                return MakeInputError(SceneHandling::kFileName, line,
                                      "substeps %lld is outside 1..%d", steps,
                                      SceneHandling::kMostSubSteps);
            }
            handling.body.subSteps = static_cast<int>(steps);
        } else if (std::strcmp(keyword, "damping") == 0) {
            if (!ReadAmount(value, keyword, line, handling.body.relativeDamping, error))
                return error;
        } else if (std::strcmp(keyword, "spread") == 0) {
            if (!ReadAmount(value, keyword, line, handling.body.thrustSpread, error))
                return error;
        } else if (std::strcmp(keyword, "thrust") == 0) {
            if (!ReadAmount(value, keyword, line, handling.maxThrust, error))
                return error;
        } else {
            return MakeInputError(
                SceneHandling::kFileName, line,
                "unknown setting \"%s\" (substeps, damping, spread and thrust are "
                "known)",
                keyword);
        }
    }
    return handling;
}

std::string HandlingText(const SceneHandling& handling) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "# how this body handles; config.txt alone runs it one step a frame\n"
                  "substeps %d\ndamping %.9g\nspread %.9g\nthrust %.9g\n",
                  handling.body.subSteps, static_cast<double>(handling.body.relativeDamping),
                  static_cast<double>(handling.body.thrustSpread),
                  static_cast<double>(handling.maxThrust));
    return text;
}

}  // namespace wobble
