// lumetra2-cli: the program without a window.
#include <cstdio>

#include "app/console.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::puts("Lumetra 2.0");
    return 0;
}
