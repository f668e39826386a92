#include "softbody/SceneConfig.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "text/Console.h"
#include "text/FilePath.h"
#include "text/LineReader.h"

namespace wobble {

namespace {

constexpr int kControlCount = SceneConfig::kControlCount;

// Reads the next line (a 255-character piece of it, as fgets does) into the
// reader; false, with the reason in `error`, when the file has ended.
bool NextLine(LineReader& in, const std::string& fileName, const char* expected,
              InputError& error) {
    if (in.Next())
        return true;
    error = MakeInputError(fileName, 0, "the file ends before its \"%s\" line", expected);
    return false;
}

}  // namespace

Result<SceneConfig> ReadSceneConfig(const std::string& fileName, const std::string& folder) {
    LineReader in(PathInFolder(folder, fileName));
    if (!in.IsOpen()) {
        return MakeInputError(fileName, 0, "cannot open the scene configuration: %s",
                              in.error().c_str());
    }
    InputError error;
    SceneConfig config;

    if (!NextLine(in, fileName, "version 0.1", error))
        return error;
    if (std::strncmp(in.text(), "version 0.1", 11) != 0)
        return MakeInputError(fileName, in.lineNumber(),
                              "the first line must begin with \"version 0.1\"");

    // A piece holds at most 255 characters, so no name read from it can be longer.
    char name[LineReader::kBufferSize] = {0};
    if (!NextLine(in, fileName, "tetfile <name>", error))
        return error;
    config.tetLine = in.lineNumber();
    if (std::sscanf(in.text(), "tetfile %255s", name) != 1)
        return MakeInputError(fileName, config.tetLine, "expected \"tetfile <name>\"");
    config.tetFile = name;

    if (!NextLine(in, fileName, "objfile <name>", error))
        return error;
    if (std::sscanf(in.text(), "objfile %255s", name) != 1)
        return MakeInputError(fileName, in.lineNumber(), "expected \"objfile <name>\"");
    config.objFile = name;

    long long* const p = config.points;
    if (!NextLine(in, fileName, "points <8 indices>", error))
        return error;
    config.pointsLine = in.lineNumber();
    if (std::sscanf(in.text(), "points %lli %lli %lli %lli %lli %lli %lli %lli", &p[0], &p[1],
                    &p[2], &p[3], &p[4], &p[5], &p[6], &p[7]) != kControlCount) {
        return MakeInputError(fileName, config.pointsLine,
                              "expected \"points\" and 8 particle indices");
    }

    if (!NextLine(in, fileName, "stiffness <value>", error))
        return error;
    if (std::sscanf(in.text(), "stiffness %f", &config.stiffness) != 1)
        return MakeInputError(fileName, in.lineNumber(), "expected \"stiffness <value>\"");
    if (!std::isfinite(config.stiffness)) {
        return MakeInputError(fileName, in.lineNumber(), "stiffness %g is not a finite number",
                              config.stiffness);
    }

    if (!NextLine(in, fileName, "mass <value>", error))
        return error;
    if (std::sscanf(in.text(), "mass %f", &config.mass) != 1)
        return MakeInputError(fileName, in.lineNumber(), "expected \"mass <value>\"");
    // Every step divides each force by the mass.
    if (!(config.mass > 0.0f) || !std::isfinite(config.mass)) {
        return MakeInputError(fileName, in.lineNumber(), "mass %g must be a positive finite number",
                              config.mass);
    }
    return config;
}

Status LoadConfig(const std::string& fileName, SoftBody& body, const std::string& folder) {
    Result<SceneConfig> read = ReadSceneConfig(fileName, folder);
    if (!read) {
        PrintInputError(read.error());
        return read.error();
    }
    const SceneConfig& config = *read;

    const Status tet = body.LoadTetFile(config.tetFile, config.stiffness, config.mass, folder);
    if (!tet)
        PrintInputError(tet.error());
    ConsoleOut("Loading TET-File: %d \n\n", tet ? 1 : 0);

    const Status obj = body.surface.LoadMesh(config.objFile, folder);
    if (!obj)
        PrintInputError(obj.error());
    ConsoleOut("Loading OBJ-File: %d\n\n", obj ? 1 : 0);

    // Without the model the indices name no particles: the controller stays
    // empty rather than point at particles that do not exist.
    if (!tet) {
        if (tet.error().Explained())
            return tet.error();
        InputError why = MakeInputError(
            fileName, config.tetLine,
            "the tetrahedral model \"%s\" did not load, so there are no control particles",
            config.tetFile.c_str());
        PrintInputError(why);
        return why;
    }
    Particle* controls[kControlCount];
    for (int k = 0; k < kControlCount; ++k) {
        const long long index = config.points[k];
        if (index < 0 || index >= body.particleCount) {
            InputError why =
                MakeInputError(fileName, config.pointsLine,
                               "control particle %d is index %lld, outside the model's 0..%d", k,
                               index, body.particleCount - 1);
            PrintInputError(why);
            return why;
        }
        controls[k] = &body.particles[static_cast<size_t>(index)];
    }
    body.controller.SetControlParticles(controls);
    return Done{};
}

}  // namespace wobble
