#pragma once
// The state file written by --dump: what the simulation holds after the last
// frame, every float printed with %.9g so that it reads back to the same bits.
//
//   state 1
//   frame <frames run>
//   thrust <forward> <backward> <left> <right>
//   camera <mode> <modeCounter> <zoom> <lift> <yaw> <pitch> <x> <y> <z>
//   view <surface|wireframe>
//   particles <P>            then P lines "x y z"
//   surface <V>              then V lines "x y z" (as last deformed)
//   water <cellsX> <cellsZ>  then cellsX lines of cellsZ heights
//   end

#include <string>

#include "text/InputError.h"

namespace wobble {

class Camera;
class Scene;

struct DumpedState {
    long long frame = 0;
    const Scene* scene = nullptr;
    const Camera* camera = nullptr;
    bool surfaceView = true;
};

// On failure an error naming the file, whose message says why.
Status WriteStateDump(const std::string& path, const DumpedState& state);

}  // namespace wobble
