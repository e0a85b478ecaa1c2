#include "Program.h"

int main(int, char**) {
    return CProgram::Main();
}
