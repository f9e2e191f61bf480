// The engines' windows owned for the stretch of work they show: a window is
// created when it is taken and destroyed on every way out of its scope, or
// earlier by Close, after whatever boxes were shown over it.
#pragma once

#include <memory>
#include <utility>

namespace setup {

template <class Window>
class ShownWindow {
public:
    ShownWindow() = default;
    explicit ShownWindow(std::unique_ptr<Window> window) : window_(std::move(window)) {
        if (window_) window_->Create();
    }
    ~ShownWindow() { Close(); }
    ShownWindow(ShownWindow&& other) noexcept : window_(std::move(other.window_)) {}
    ShownWindow& operator=(ShownWindow&& other) noexcept {
        if (this != &other) {
            Close();
            window_ = std::move(other.window_);
        }
        return *this;
    }
    ShownWindow(const ShownWindow&) = delete;
    ShownWindow& operator=(const ShownWindow&) = delete;

    Window* operator->() const { return window_.get(); }
    Window& operator*() const { return *window_; }

    void Close() {
        if (!window_) return;
        window_->DestroyWindow();
        window_.reset();
    }

private:
    std::unique_ptr<Window> window_;
};

}  // namespace setup
