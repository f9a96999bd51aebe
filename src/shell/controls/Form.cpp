#include "shell/controls/Form.h"

namespace kemvo {

Form::Form(std::string name, std::string caption)
    : name_(std::move(name)), caption_(std::move(caption)) {}

void Form::load() {
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

void Form::show() {
    load();
    if (!visible_) {
        visible_ = true;
        visibilityChanged.send();
    }
}

void Form::hide() {
    if (visible_) {
        visible_ = false;
        visibilityChanged.send();
    }
}

void Form::activate() {
    load();
    Form_Activate();
}

Control *Form::find(const std::string &name, int index) const {
    for (Control *control : order_)
        if (control->name() == name && control->index() == index)
            return control;
    return nullptr;
}

} // namespace kemvo
