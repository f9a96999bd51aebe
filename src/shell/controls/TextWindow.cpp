#include "shell/controls/TextWindow.h"

namespace kemvo {

void TextWindow::print(const std::string &line) {
    lines_.push_back(line);
    printed.send(line);
}

void TextWindow::cls() {
    lines_.clear();
    cleared.send();
}

} // namespace kemvo
