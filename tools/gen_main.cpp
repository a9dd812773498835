// orbivex-gen: integrates orbits and writes files the Orbivex viewer loads.
#include <iostream>
#include <string>
#include <vector>

#include "simulation/interrupt_cleanup.h"
#include "tools/generator.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Ctrl-C or a kill leaves no temporary file behind.
    InstallInterruptCleanup();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = RunGenerator(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "orbivex-gen: cannot write to standard output\n";
        return status == 0 ? 1 : status;
    }
    return status;
}
