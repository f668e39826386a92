#pragma once
// The scene configuration file, six lines in a fixed order:
//
//   version 0.1               only the first 11 characters are compared
//   tetfile body.tet          the tetrahedral model
//   objfile body.obj          the OBJ surface
//   points 0 1 2 3 4 5 6 7    control particles 0-3 (front group) and 4-7 (rear)
//   stiffness 20.0            of every spring
//   mass 1.0                  of every particle
//
// Each line is matched with scanf rules: the keyword at the very start, a
// blank matching any run of white space including none, %i taking decimal,
// 0-prefixed octal and 0x hexadecimal; text after the values is ignored.
// File names are relative to the configuration's own folder.

#include <string>

#include "softbody/SoftBody.h"
#include "text/InputError.h"

namespace wobble {

struct SceneConfig {
    static constexpr int kControlCount = 8;

    std::string tetFile;  // as written in the file
    std::string objFile;
    // Read wider than int, so that an index beyond the int range is refused
    // rather than silently wrapped.
    long long points[kControlCount] = {};
    float stiffness = 0.0f;
    float mass = 0.0f;
    int tetLine = 0;  // lines of the file, for messages about what they name
    int pointsLine = 0;
};

// Parses the configuration at folder/fileName; messages name `fileName`.
// Refuses a file that cannot be opened, a line that does not match, and a
// mass or stiffness that cannot be simulated (mass zero, negative or not
// finite; stiffness not finite).
Result<SceneConfig> ReadSceneConfig(const std::string& fileName, const std::string& folder = "");

// Reads the configuration, loads the tetrahedral model and the surface it
// names into `body` (printing each loader's lines and its "Loading" line),
// and hands the eight control particles to the body's controller.
//
// Every refusal is printed here, where it happens among the console lines,
// and is also returned, so that the caller knows why without printing it
// again: a configuration that does not parse, a model that did not load
// (the body is then empty and the controller has no particles), a control
// index outside 0..particleCount-1 (no particles are handed over). A surface
// that did not load is printed but not returned: the body runs undressed.
Status LoadConfig(const std::string& fileName, SoftBody& body, const std::string& folder = "");

}  // namespace wobble
