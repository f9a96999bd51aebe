#include "shell/controls/Controls.h"

#include <algorithm>

namespace kemvo {

Control::Control(ControlKind kind, std::string name, int index)
    : kind_(kind), name_(std::move(name)), index_(index) {}

std::string Control::qualifiedName() const {
    return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::setVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    notify();
}

void Control::setToolTip(std::string tip) {
    if (toolTip_ == tip)
        return;
    toolTip_ = std::move(tip);
    notify();
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    notify();
}

bool Control::reachable() const {
    for (const Control *c = this; c != nullptr; c = c->container())
        if (!c->visible() || !c->enabled())
            return false;
    return true;
}

TextBox::TextBox(std::string name, int index, std::string text)
    : Control(ControlKind::TextBox, std::move(name), index), text_(std::move(text)) {}

void TextBox::setText(const std::string &text) {
    if (text_ == text)
        return;
    text_ = text;
    notify();
    if (onChange)
        onChange();
}

void TextBox::setLocked(bool locked) {
    if (locked_ == locked)
        return;
    locked_ = locked;
    notify();
}

Label::Label(std::string name, int index, std::string caption)
    : Control(ControlKind::Label, std::move(name), index), caption_(std::move(caption)) {}

void Label::setCaption(const std::string &caption) {
    if (caption_ == caption)
        return;
    caption_ = caption;
    notify();
    if (onChange)
        onChange();
}

CheckBox::CheckBox(std::string name, int index, std::string caption, int value)
    : Control(ControlKind::CheckBox, std::move(name), index), caption_(std::move(caption)),
      value_(value) {}

void CheckBox::setCaption(const std::string &caption) {
    caption_ = caption;
    notify();
}

void CheckBox::setValue(int value) {
    if (value_ == value)
        return;
    value_ = value;
    notify();
    if (onClick)
        onClick();
}

OptionButton::OptionButton(std::string name, int index, std::string caption)
    : Control(ControlKind::OptionButton, std::move(name), index), caption_(std::move(caption)) {}

void OptionButton::select() {
    if (group_ != nullptr)
        group_->clearExcept(*this);
    setValueSilently(true);
    if (onClick)
        onClick();
}

void OptionButton::setValueSilently(bool value) {
    if (value_ == value)
        return;
    value_ = value;
    notify();
}

void OptionGroup::add(OptionButton &option) {
    option.group_ = this;
    options_.push_back(&option);
}

void OptionGroup::clearExcept(const OptionButton &keep) {
    for (OptionButton *option : options_)
        if (option != &keep)
            option->setValueSilently(false);
}

ComboBox::ComboBox(std::string name, int index, std::vector<std::string> items, std::string text,
                   ControlKind kind)
    : Control(kind, std::move(name), index), items_(std::move(items)), text_(std::move(text)) {}

int ComboBox::listIndex() const {
    auto found = std::find(items_.begin(), items_.end(), text_);
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void ComboBox::setItems(std::vector<std::string> items) {
    items_ = std::move(items);
    text_.clear();
    notify();
}

void ComboBox::setText(const std::string &text) {
    if (text_ == text)
        return;
    text_ = text;
    notify();
    if (onChange)
        onChange();
}

Frame::Frame(std::string name, int index, std::string caption)
    : Control(ControlKind::Frame, std::move(name), index), caption_(std::move(caption)) {}

Button::Button(std::string name, int index, std::string caption)
    : Control(ControlKind::Button, std::move(name), index), caption_(std::move(caption)) {}

void Button::click() const {
    if (onClick)
        onClick();
}

MenuEntry::MenuEntry(std::string name, std::string caption)
    : Control(ControlKind::Menu, std::move(name), -1), caption_(std::move(caption)) {}

MenuEntry &MenuEntry::addChild(MenuEntry &child) {
    child.setContainer(this);
    children_.push_back(&child);
    return *this;
}

void MenuEntry::click() const {
    if (onClick)
        onClick();
}

} // namespace kemvo
