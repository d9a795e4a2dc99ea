#include "ShapeModel.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    try {
        return winkwell::datadat::runTool(std::vector<std::string>(argv + 1, argv + argc),
                                          std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "winkwell-datadat: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "winkwell-datadat: unexpected failure\n";
    }
    return 1;
}
