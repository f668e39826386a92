#pragma once
// What a path given on the command line or dropped on the window stands for:
// a scene folder (a folder, or a config.txt in one) runs as it is; any other
// file is a model to make a scene of.

#include <string>

namespace wobble {

struct ScenePath {
    enum class Kind { kSceneFolder, kModelFile, kUnusable };

    Kind kind = Kind::kUnusable;
    std::string folder;   // kSceneFolder: the folder its config.txt is read from
    std::string model;    // kModelFile: the file
    std::string problem;  // kUnusable: why, in one line naming the path
};

// Looks at the file system: a folder is a scene folder, a regular file named
// config.txt stands for its folder, another regular file is a model; a path
// that does not exist or cannot be read, and anything else (a named pipe, a
// device), is unusable.
ScenePath ClassifyScenePath(const std::string& path);

// `text` as it may go to the terminal: a file's name may hold control
// characters (an escape sequence would steer the terminal), written as \xNN.
std::string Printable(const std::string& text);

}  // namespace wobble
