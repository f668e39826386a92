#pragma once
// A scene loaded on a thread of its own while the caller does other work:
// at start-up, the window and its GL context are made meanwhile, which on
// two cores hides most of their cost behind the reading of the scene's files.
// The loaders' console lines are held back (text/Console.h) until Take plays
// them, so the console reads exactly as if the scene had been loaded then.

#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <thread>

#include "scene/Scene.h"
#include "text/Console.h"

namespace wobble {

// Whether the scene is read while the window and its context are made. Not
// under the leak checker: its tracer crashes at exit if a thread ran while
// the GL driver was loaded, so there the reading starts once they are made.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kPreloadWhileWindowIsMade = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kPreloadWhileWindowIsMade = false;
#else
inline constexpr bool kPreloadWhileWindowIsMade = true;
#endif
#else
inline constexpr bool kPreloadWhileWindowIsMade = true;
#endif

class PreloadedScene {
public:
    // Starts loading config.txt of `folder` (the working folder when empty);
    // where no thread can be started, Take loads it.
    explicit PreloadedScene(const std::string& folder);
    // Waits for the load; a scene not taken goes with its console lines.
    ~PreloadedScene();
    PreloadedScene(const PreloadedScene&) = delete;
    PreloadedScene& operator=(const PreloadedScene&) = delete;

    // True once the load has ended (Take will not wait).
    bool Ready() const { return done_.load(std::memory_order_acquire); }

    // Waits for the load, writes its console lines and hands over the scene,
    // loaded or refused as Scene::Load left it; rethrows what the load threw.
    // Once only.
    std::unique_ptr<Scene> Take();

private:
    // The load itself, its console lines recorded.
    void Load();

    std::string folder_;
    std::unique_ptr<Scene> scene_;
    ConsoleTranscript console_;
    std::exception_ptr failure_;
    std::atomic<bool> done_{false};
    std::thread loader_;
};

}  // namespace wobble
