#include "hosts/cli/Commands.hpp"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    return quorvel::cli::runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
