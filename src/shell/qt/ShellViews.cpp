#include "shell/qt/HelpView.h"
#include "shell/qt/TextWindowView.h"
#include "shell/qt/ViewRegistry.h"

namespace kemvo::qt {

void registerShellViews(ViewRegistry &views) {
    auto textView = [](Application &, Form &form) -> QWidget * {
        return new TextWindowView(static_cast<TextWindow &>(form));
    };
    views.add("FormResult", {Placement::MdiChild, textView});
    views.add("FormAbout", {Placement::MdiChild, textView});
    views.add("FormHelp", {Placement::ToolWindow,
                           [](Application &, Form &) -> QWidget * { return new HelpView; }});
}

} // namespace kemvo::qt
