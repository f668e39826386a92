// The state file's numbers, read back: a float written must come back with
// exactly the bits it was written from, in every section of the file.

#include <gtest/gtest.h>

#include <cctype>
#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "app/StateDump.h"
#include "camera/Camera.h"
#include "scene/Scene.h"

namespace wobble {
namespace {

// Values whose shortest exact spelling is long. 1000.00006, 1000000.06,
// 0.000100000005, 1.00000006e9 and -1.00000005e31 need all nine significant
// digits (with eight, 1000.00006 reads back as its neighbour 1000.00012); the
// others are the usual edges: thirds and tenths, the last odd integer,
// subnormals, the largest and the smallest normal, a negative zero.
const float kHardValues[] = {
    1000.00006f,     0.1f,          1.0f / 3.0f,     -0.0f,       16777215.0f,
    1000000.06f,     1e-38f,        1e-45f,          FLT_MAX,     -FLT_MIN,
    0.000100000005f, 1.00000006e9f, -1.00000005e31f, 2.71828183f, -123456.789f,
};
constexpr int kHardCount = sizeof kHardValues / sizeof kHardValues[0];

TEST(StateDump, EveryFloatReadsBackToTheSameBits) {
    // Every float field takes the next hard value in the order the file
    // holds them; each section holds the whole list or a stretch with a
    // nine-digit value in it.
    std::vector<float> written;
    const auto next = [&written] {
        written.push_back(kHardValues[written.size() % kHardCount]);
        return written.back();
    };
    // A scene with no window and no GL context, filled by hand.
    Scene scene;
    SoftBody& body = scene.body;
    ThrustController& t = body.controller;
    t.forwardThrust = next();
    t.backwardThrust = next();
    t.leftThrust = next();
    t.rightThrust = next();
    Camera camera;
    camera.yaw = next();
    camera.pitch = next();
    for (int c = 0; c < 3; ++c)
        camera.position[c] = next();
    body.particleCount = kHardCount;
    body.particles.resize(kHardCount);
    for (Particle& p : body.particles) {
        for (int c = 0; c < 3; ++c)
            p.position[c] = next();
    }
    body.surface.vertexCount = kHardCount;
    body.surface.vertices.resize(kHardCount);
    for (SbVec3f& v : body.surface.vertices) {
        for (int c = 0; c < 3; ++c)
            v[c] = next();
    }
    WaterSurface& water = scene.water;
    ASSERT_TRUE(water.Init(3, kHardCount, 1.0f, 1.0f, 1.0f));
    for (SbVec3f& cell : water.positions)
        cell[1] = next();

    test::ScratchDir dir;
    DumpedState state;
    state.scene = &scene;
    state.camera = &camera;
    ASSERT_TRUE(WriteStateDump(dir.Path("state.txt"), state).ok());

    // The file's floats in order: all words of the number lines, the thrust
    // line's four, and the camera line's five after its four integers.
    std::vector<std::string> words;
    std::istringstream file(test::ReadWholeFile(dir.Path("state.txt")));
    for (std::string line; std::getline(file, line);) {
        std::istringstream in(line);
        std::string first;
        in >> first;
        int integers = 0;  // leading integer words of the line, passed over
        if (first == "camera")
            integers = 4;
        else if (first == "thrust")
            integers = 0;
        else if (std::isalpha(static_cast<unsigned char>(first[0])))
            continue;  // state, frame, view, the section headers, end
        else
            words.push_back(first);
        for (std::string word; in >> word;) {
            if (integers > 0)
                --integers;
            else
                words.push_back(word);
        }
    }
    ASSERT_EQ(words.size(), written.size());
    for (size_t k = 0; k < words.size(); ++k) {
        const float back = std::strtof(words[k].c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&back, &written[k], sizeof back), 0)
            << "float " << k << " written as " << words[k];
    }
}

}  // namespace
}  // namespace wobble
