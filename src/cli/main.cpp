// kemvo-cli: the workbench without a window. Each argument is one step, run as a user acts
// in the windows; see ScriptRunner.h or `kemvo-cli --help`.

#include "shell/Application.h"
#include "shell/HeadlessPlatform.h"
#include "shell/ScriptRunner.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char **argv) {
    CLI::App cli{"Kemvo without a window"};
    cli.set_help_flag(); // --help is a step: it lists the windows and controls too
    cli.allow_extras();
    std::vector<std::string> steps;
    cli.add_option("steps", steps, "the steps to run");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        return cli.exit(error);
    }
    for (const std::string &extra : cli.remaining())
        steps.push_back(extra);

    kemvo::HeadlessPlatform platform;
    kemvo::Application app(platform.platform());
    kemvo::ScriptRunner runner(app, platform, std::cout, std::cerr);
    if (steps.empty()) {
        std::cout << runner.help();
        return 0;
    }
    return runner.run(steps);
}
