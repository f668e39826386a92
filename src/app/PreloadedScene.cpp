#include "app/PreloadedScene.h"

namespace wobble {

PreloadedScene::PreloadedScene(const std::string& folder) : scene_(std::make_unique<Scene>()) {
    loader_ = std::thread([this, folder] {
        ConsoleRecording recording(console_);
        try {
            // Its result is the scene's IsSimulated(); the loaders say why not.
            (void)scene_->Load(folder);
        } catch (...) {
            failure_ = std::current_exception();
        }
        done_.store(true, std::memory_order_release);
    });
}

PreloadedScene::~PreloadedScene() {
    if (loader_.joinable())
        loader_.join();
}

std::unique_ptr<Scene> PreloadedScene::Take() {
    loader_.join();
    console_.Play();
    if (failure_)
        std::rethrow_exception(failure_);
    return std::move(scene_);
}

}  // namespace wobble
