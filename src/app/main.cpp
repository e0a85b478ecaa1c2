#include "Program.h"

int main(int, char**) {
    if (!CProgram::Start()) {
        return 1;
    }
    return CProgram::Run();
}
