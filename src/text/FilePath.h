#pragma once

#include <string>

namespace wobble {

// `name` as found from `folder`: itself when the folder is empty (the working
// folder) or the name is absolute, otherwise folder/name. Files name each
// other relative to their own folder, so a scene can be read from anywhere.
inline std::string PathInFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || (!name.empty() && name[0] == '/'))
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace wobble
