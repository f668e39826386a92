#include "VideoProbe.h"

#include <cstdio>
#include <sstream>

namespace wobble::test {

namespace {

// The command's standard output; the test's own file names need no quoting
// beyond single quotes.
std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    pclose(pipe);
    return text;
}

}  // namespace

VideoFacts ProbeVideo(const std::string& path) {
    std::istringstream lines(
        Output("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
               "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of "
               "default=noprint_wrappers=1 '" +
               path + "'"));
    VideoFacts facts;
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "codec_name")
            facts.codec = value;
        else if (key == "width")
            facts.width = std::stoi(value);
        else if (key == "height")
            facts.height = std::stoi(value);
        else if (key == "r_frame_rate")
            facts.rate = value;
        else if (key == "nb_read_frames")
            facts.frames = std::stoll(value);
    }
    return facts;
}

Picture DecodeFrame(const std::string& path, int index) {
    const VideoFacts facts = ProbeVideo(path);
    Picture picture;
    const std::string rgb =
        Output("ffmpeg -v error -i '" + path + "' -vf 'select=eq(n\\," + std::to_string(index) +
               ")' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    if (facts.width <= 0 || rgb.size() != static_cast<size_t>(facts.width) * facts.height * 3)
        return picture;
    picture.width = facts.width;
    picture.height = facts.height;
    picture.rgb.assign(rgb.begin(), rgb.end());
    return picture;
}

}  // namespace wobble::test
