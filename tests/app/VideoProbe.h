#pragma once
// What ffprobe and ffmpeg find in a recorded video, for checks.

#include <string>

#include "PngFile.h"

namespace wobble::test {

struct VideoFacts {
    std::string codec;  // "h264", "vp9", ...
    int width = 0;
    int height = 0;
    std::string rate;       // frames a second as ffprobe writes it: "60/1"
    long long frames = -1;  // counted by decoding them all
};

// The facts of the file's first video stream; frames -1 when ffprobe finds none.
VideoFacts ProbeVideo(const std::string& path);

// The frame `index` (from 0) decoded to RGB; width 0 when it cannot be.
Picture DecodeFrame(const std::string& path, int index);

}  // namespace wobble::test
