// quorvane-cli: headless use of Quorvane models for scripting and batch runs.
#include <cstring>
#include <iostream>

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "quorvane-cli " << QV_VERSION << "\n";
        return 0;
    }
    std::cout << "Usage: quorvane-cli --version\n";
    return argc > 1 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}
