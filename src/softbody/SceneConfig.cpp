#include "softbody/SceneConfig.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/LineReader.h"

namespace wobble {

namespace {

constexpr int kControlCount = 8;

// Reads the next line (a 255-character piece of it, as fgets does) into the
// reader; false, with the reason on standard error, when the file has ended.
bool NextLine(LineReader& in, const std::string& fileName, const char* expected) {
    if (in.Next())
        return true;
    ReportInputError(fileName, 0, "the file ends before its \"%s\" line", expected);
    return false;
}

}  // namespace

bool LoadConfig(const std::string& fileName, SoftBody& body) {
    LineReader in(fileName);
    if (!in.IsOpen()) {
        ReportInputError(fileName, 0, "cannot open the scene configuration: %s",
                         in.error().c_str());
        return false;
    }

    if (!NextLine(in, fileName, "version 0.1"))
        return false;
    if (std::strncmp(in.text(), "version 0.1", 11) != 0) {
        ReportInputError(fileName, in.lineNumber(),
                         "the first line must begin with \"version 0.1\"");
        return false;
    }

    // A piece holds at most 255 characters, so no name read from it can be longer.
    char tetFile[LineReader::kBufferSize] = {0};
    if (!NextLine(in, fileName, "tetfile <name>"))
        return false;
    const int tetLine = in.lineNumber();
    if (std::sscanf(in.text(), "tetfile %255s", tetFile) != 1) {
        ReportInputError(fileName, tetLine, "expected \"tetfile <name>\"");
        return false;
    }

    char objFile[LineReader::kBufferSize] = {0};
    if (!NextLine(in, fileName, "objfile <name>"))
        return false;
    if (std::sscanf(in.text(), "objfile %255s", objFile) != 1) {
        ReportInputError(fileName, in.lineNumber(), "expected \"objfile <name>\"");
        return false;
    }

    // Read wider than int so that an index beyond the int range is refused
    // rather than silently wrapped.
    long long points[kControlCount] = {0};
    if (!NextLine(in, fileName, "points <8 indices>"))
        return false;
    const int pointsLine = in.lineNumber();
    if (std::sscanf(in.text(), "points %lli %lli %lli %lli %lli %lli %lli %lli", &points[0],
                    &points[1], &points[2], &points[3], &points[4], &points[5], &points[6],
                    &points[7]) != kControlCount) {
        ReportInputError(fileName, pointsLine, "expected \"points\" and 8 particle indices");
        return false;
    }

    float stiffness = 0.0f;
    if (!NextLine(in, fileName, "stiffness <value>"))
        return false;
    if (std::sscanf(in.text(), "stiffness %f", &stiffness) != 1) {
        ReportInputError(fileName, in.lineNumber(), "expected \"stiffness <value>\"");
        return false;
    }
    if (!std::isfinite(stiffness)) {
        ReportInputError(fileName, in.lineNumber(), "stiffness %g is not a finite number",
                         stiffness);
        return false;
    }

    float mass = 0.0f;
    if (!NextLine(in, fileName, "mass <value>"))
        return false;
    if (std::sscanf(in.text(), "mass %f", &mass) != 1) {
        ReportInputError(fileName, in.lineNumber(), "expected \"mass <value>\"");
        return false;
    }
    // Every step divides each force by the mass.
    if (!(mass > 0.0f) || !std::isfinite(mass)) {
        ReportInputError(fileName, in.lineNumber(), "mass %g must be a positive finite number",
                         mass);
        return false;
    }

    const int errorsBeforeModel = InputErrorCount();
    const bool tetLoaded = body.LoadTetFile(tetFile, stiffness, mass);
    std::printf("Loading TET-File: %d \n\n", tetLoaded ? 1 : 0);
    const bool tetExplained = InputErrorCount() != errorsBeforeModel;

    const bool objLoaded = body.surface.LoadMesh(objFile);
    std::printf("Loading OBJ-File: %d\n\n", objLoaded ? 1 : 0);

    // Without the model the indices name no particles: the controller stays
    // empty rather than point at particles that do not exist.
    if (!tetLoaded) {
        // The model loader may have explained its failure already; one line is enough.
        if (!tetExplained) {
            ReportInputError(fileName, tetLine,
                             "the tetrahedral model \"%s\" did not load, so there are no control "
                             "particles",
                             tetFile);
        }
        return true;
    }
    Particle* controls[kControlCount];
    for (int k = 0; k < kControlCount; ++k) {
        if (points[k] < 0 || points[k] >= body.particleCount) {
            ReportInputError(fileName, pointsLine,
                             "control particle %d is index %lld, outside the model's 0..%d", k,
                             points[k], body.particleCount - 1);
            return true;
        }
        controls[k] = &body.particles[static_cast<size_t>(points[k])];
    }
    body.controller.SetControlParticles(controls);
    return true;
}

}  // namespace wobble
