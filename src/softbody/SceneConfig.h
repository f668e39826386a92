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

#include <string>

#include "softbody/SoftBody.h"

namespace wobble {

// Reads the file, loads the tetrahedral model and the surface into `body`
// (printing each loader's lines and its "Loading" line), and hands the eight
// control particles to the body's controller.
//
// Returns false, with the body untouched, when the file cannot be opened, a
// line does not match, or the mass or stiffness cannot be simulated (mass
// zero, negative or not finite; stiffness not finite); each of these is
// explained by one line on standard error. Otherwise true, whatever the
// loaders reported. When the model did not load or an index lies outside
// 0..particleCount-1, the controller is given no particles at all
// (HasControlParticles() stays false) and one line on standard error says
// why.
bool LoadConfig(const std::string& fileName, SoftBody& body);

}  // namespace wobble
