#pragma once
// The springs of a body, one per distinct tetra edge, held as parallel
// arrays: spring s joins particles particleA[s] and particleB[s] (indices
// into the body's particles). Their order is the generation order, which is
// also the order in which each particle's spring forces are summed.
//
// Arrays rather than one record a spring: the step streams through millions
// of springs every frame, so every byte a spring carries costs time.

#include <vector>

#include "softbody/Particle.h"

namespace wobble {

class SpringSet {
public:
    int size() const { return static_cast<int>(particleA.size()); }
    bool empty() const { return particleA.empty(); }

    // Room for `count` springs, so that adding them does not reallocate.
    void Reserve(size_t count);
    // Removes every spring and frees the arrays.
    void Clear();

    // Appends a spring from particles[a] to particles[b] of stiffness
    // `stiffness`. Its rest length is the length of 1.1 * (a - b): every
    // spring starts 10 % longer than its loaded edge, so a freshly loaded
    // body swells at first.
    void Add(int a, int b, const Particle* particles, float stiffness);

    // restLength *= factor for every spring, formed in double and stored as
    // float (the pump; its own factor is 1.1).
    void Grow(double factor);

    std::vector<int> particleA;     // index of the first end in the body's particles
    std::vector<int> particleB;     // index of the second end
    std::vector<float> stiffness;   // force per unit of stretch (force units per world unit)
    std::vector<float> restLength;  // world units; 1.1 x the loaded edge, grown by the pump
    std::vector<float> length;      // world units, as the latest step measured it
};

}  // namespace wobble
