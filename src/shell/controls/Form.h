#pragma once
// A window model: its caption, its controls (owned here, found by name and index) and the
// life of a window that is created on first use and afterwards only shown and hidden.

#include "shell/controls/Controls.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kemvo {

// The elements of a control array, by their index (indices need not start at 0 or 1).
template <typename T> class ControlArray {
public:
    T &operator()(int index) const { return *elements_.at(index); }
    void add(T &element) { elements_[element.index()] = &element; }
    const std::map<int, T *> &elements() const { return elements_; }

private:
    std::map<int, T *> elements_;
};

class Form {
public:
    Form(std::string name, std::string caption);
    virtual ~Form() = default;
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    const std::string &name() const { return name_; }
    const std::string &caption() const { return caption_; }
    bool visible() const { return visible_; }
    bool loaded() const { return loaded_; }
    // A modal window takes the user's whole attention until it closes; acting elsewhere closes
    // it first, as it would be cancelled.
    bool modal() const { return modal_; }

    // Runs Form_Load the first time the window is used.
    void load();
    void show();
    void hide();
    // The window became the active one (Form_Activate).
    void activate();

    // Looks a control up by its name and array index (-1 for none); nullptr if absent.
    Control *find(const std::string &name, int index = -1) const;
    const std::vector<Control *> &controls() const { return order_; }

    Signal<> visibilityChanged;

protected:
    template <typename T, typename... Args> T &add(Args &&...args) {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T &ref = *control;
        order_.push_back(control.get());
        owned_.push_back(std::move(control));
        return ref;
    }
    template <typename T, typename... Args> T &addTo(ControlArray<T> &array, Args &&...args) {
        T &element = add<T>(std::forward<Args>(args)...);
        array.add(element);
        return element;
    }
    void setModal(bool modal) { modal_ = modal; }
    virtual void Form_Load() {}
    virtual void Form_Activate() {}

private:
    std::string name_;
    std::string caption_;
    bool visible_ = false;
    bool loaded_ = false;
    bool modal_ = false;
    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<Control *> order_;
};

} // namespace kemvo
