#include "app/PreloadedScene.h"

#include <system_error>

namespace wobble {

PreloadedScene::PreloadedScene(const std::string& folder)
    : folder_(folder), scene_(std::make_unique<Scene>()) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // WebAssembly without threads, where a failed start could not be caught
    // either: Take loads the scene itself.
#else
    try {
        loader_ = std::thread([this] { Load(); });
    } catch (const std::system_error&) {
        // No thread to be had: Take loads the scene itself.
    }
#endif
}

PreloadedScene::~PreloadedScene() {
    if (loader_.joinable())
        loader_.join();
}

void PreloadedScene::Load() {
    ConsoleRecording recording(console_);
    try {
        // Its result is the scene's IsSimulated(); the loaders say why not.
        (void)scene_->Load(folder_);
    } catch (...) {
        failure_ = std::current_exception();
    }
    done_.store(true, std::memory_order_release);
}

std::unique_ptr<Scene> PreloadedScene::Take() {
    if (loader_.joinable()) {
        loader_.join();
    } else if (!Ready()) {
        Load();
    }
    console_.Play();
    if (failure_)
        std::rethrow_exception(failure_);
    return std::move(scene_);
}

}  // namespace wobble
