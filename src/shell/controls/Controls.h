#pragma once
// Headless models of a window's controls. Each holds what the user sees (text, caption,
// value, visible and enabled flags) and the event handler the window's code attaches
// (`onChange`, `onClick`). Views mirror a control through `changed` and forward user
// actions to the same setters a command would call.

#include "shell/controls/Signal.h"

#include <functional>
#include <string>
#include <vector>

namespace kemvo {

enum class ControlKind {
    TextBox,
    Label,
    CheckBox,
    OptionButton,
    ComboBox,
    ListBox,
    Frame,
    Button,
    Menu
};

class Control {
public:
    Control(ControlKind kind, std::string name, int index);
    virtual ~Control() = default;
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    ControlKind kind() const { return kind_; }
    const std::string &name() const { return name_; }
    int index() const { return index_; } // -1 for a control outside a control array
    std::string qualifiedName() const;   // "ks(1)" or "Estart"

    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }
    void setVisible(bool visible);
    void setEnabled(bool enabled);
    // Visible and enabled as the user meets it: its frame (and that frame's) must be too.
    bool reachable() const;

    const std::string &toolTip() const { return toolTip_; }
    void setToolTip(std::string tip);

    Control *container() const { return container_; }
    void setContainer(Control *frame) { container_ = frame; }

    // The text `show=` prints: a text box's text, a label's caption, a box's value.
    virtual std::string displayValue() const = 0;

    Signal<> changed; // any property a view shows has changed
    // Asks the view to put the keyboard focus here (after a refused value, for instance).
    void requestFocus() { focusRequested.send(); }
    Signal<> focusRequested;

protected:
    void notify() { changed.send(); }

private:
    ControlKind kind_;
    std::string name_;
    int index_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string toolTip_;
    Control *container_ = nullptr;
};

class TextBox : public Control {
public:
    TextBox(std::string name, int index, std::string text);
    const std::string &text() const { return text_; }
    // Typing or assigning a different text raises the Change event.
    void setText(const std::string &text);
    bool locked() const { return locked_; }
    void setLocked(bool locked);
    std::string displayValue() const override { return text_; }
    std::function<void()> onChange;

private:
    std::string text_;
    bool locked_ = false;
};

class Label : public Control {
public:
    Label(std::string name, int index, std::string caption);
    const std::string &caption() const { return caption_; }
    // A different caption raises the Change event, as the window's code relies on.
    void setCaption(const std::string &caption);
    std::string displayValue() const override { return caption_; }
    std::function<void()> onChange;

private:
    std::string caption_;
};

class CheckBox : public Control {
public:
    CheckBox(std::string name, int index, std::string caption, int value);
    const std::string &caption() const { return caption_; }
    void setCaption(const std::string &caption);
    int value() const { return value_; } // 0 cleared, 1 ticked
    bool checked() const { return value_ == 1; }
    // A changed value raises the Click event.
    void setValue(int value);
    void click() { setValue(value_ == 1 ? 0 : 1); }
    std::string displayValue() const override { return std::to_string(value_); }
    std::function<void()> onClick;

private:
    std::string caption_;
    int value_;
};

class OptionGroup;

class OptionButton : public Control {
public:
    OptionButton(std::string name, int index, std::string caption);
    const std::string &caption() const { return caption_; }
    bool value() const { return value_; }
    // Selects this option, clears the others of its group and raises the Click event.
    void select();
    std::string displayValue() const override { return value_ ? "1" : "0"; }
    std::function<void()> onClick;

private:
    friend class OptionGroup;
    void setValueSilently(bool value);
    std::string caption_;
    bool value_ = false;
    OptionGroup *group_ = nullptr;
};

// The option buttons of one frame: at most one selected.
class OptionGroup {
public:
    void add(OptionButton &option);
    const std::vector<OptionButton *> &options() const { return options_; }
    void clearExcept(const OptionButton &keep);

private:
    std::vector<OptionButton *> options_;
};

class ComboBox : public Control {
public:
    ComboBox(std::string name, int index, std::vector<std::string> items, std::string text,
             ControlKind kind = ControlKind::ComboBox);
    const std::vector<std::string> &items() const { return items_; }
    const std::string &text() const { return text_; }
    int listIndex() const; // index of the item equal to the text, -1 if none
    // Typing or choosing a different text raises the Change event.
    void setText(const std::string &text);
    void setListIndex(int index) { setText(items_.at(static_cast<std::size_t>(index))); }
    // A new list (a window that lists what a file holds); nothing is chosen afterwards.
    void setItems(std::vector<std::string> items);
    std::string displayValue() const override { return text_; }
    std::function<void()> onChange;

private:
    std::vector<std::string> items_;
    std::string text_;
};

class Frame : public Control {
public:
    Frame(std::string name, int index, std::string caption);
    const std::string &caption() const { return caption_; }
    std::string displayValue() const override { return caption_; }

private:
    std::string caption_;
};

class Button : public Control {
public:
    Button(std::string name, int index, std::string caption);
    const std::string &caption() const { return caption_; }
    void click() const;
    std::string displayValue() const override { return caption_; }
    std::function<void()> onClick;

private:
    std::string caption_;
};

// A menu title or entry; a caption of "-" is a separator.
class MenuEntry : public Control {
public:
    MenuEntry(std::string name, std::string caption);
    const std::string &caption() const { return caption_; }
    bool isSeparator() const { return caption_ == "-"; }
    MenuEntry &addChild(MenuEntry &child);
    const std::vector<MenuEntry *> &children() const { return children_; }
    void click() const;
    std::string displayValue() const override { return caption_; }
    std::function<void()> onClick;

private:
    std::string caption_;
    std::vector<MenuEntry *> children_;
};

} // namespace kemvo
