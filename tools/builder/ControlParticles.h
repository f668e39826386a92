#pragma once
// The eight particles the thrust steers, chosen from the cage's vertices.
//
//   seen from above:                         rear zone          front zone
//                                         |<- quarter ->|    |<- quarter ->|
//        side (right)  ^                  .   6          .    .        2   .
//                      |                  .  4 5   ...   .    .      0 1   .
//                      +--> forward       .   7          .    .        3   .
//
// The forward axis is the body's longest horizontal axis. Near each end (the
// last quarter of the length) four well-spread particles are taken: the
// rightmost and leftmost (2 and 3 at the front, 6 and 7 at the rear), and the
// highest and lowest near the middle line (0 and 1, 4 and 5). Particles 2 and
// 3 span the body, so the water's body radius, half their distance, comes out
// at about half the body's width.

#include <Inventor/SbVec3d.h>
#include <Inventor/SbVec3f.h>

#include <vector>

namespace wobble::builder {

class ControlParticles {
public:
    // Share of the body's length at each end from which the groups are taken.
    static constexpr double kEndZone = 0.25;

    // Chooses from `vertices`; false (choosing nothing) when there are fewer than eight.
    bool Choose(const std::vector<SbVec3f>& vertices);

    int indices[8] = {0, 0, 0, 0, 0, 0, 0, 0};  // config slot order: front 0-3, rear 4-7
    SbVec3d forward{1, 0, 0};                   // unit, horizontal, rear to front
    SbVec3d side{0, 0, 1};                      // forward x up: the body's right
    double length = 0.0;                        // the body's extent along forward
    double width = 0.0;                         // the body's extent along side
    float waterRadius = 0.0f;  // half the distance of particles 2 and 3, as the program computes it
};

}  // namespace wobble::builder
