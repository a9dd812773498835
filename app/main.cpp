#include <cstdio>

#include "app/render_command.h"

int main(int argc, char** argv) {
    if (IsCommandLineMode(argc, argv)) return RunRenderCommand(argc, argv);
    std::fprintf(stderr, "orbivex: the window is not available yet; see orbivex --help\n");
    return 2;
}
