#include "options.h"
#include "simulator.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace roteka::sim;
    const auto parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "roteka-sim: " << parsed.error << "\nTry 'roteka-sim --help'.\n";
        return 2;
    }
    if (parsed.options->help) {
        std::cout << usageText();
        return 0;
    }
    return runSimulator(*parsed.options);
}
