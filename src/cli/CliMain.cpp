#include "cli/Cli.h"

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Values are shown in the user's regional format, as the program shows them.
    std::setlocale(LC_ALL, "");
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunCli(args, std::cout, std::cerr);
}
