// Test fixture: sleeps the given number of milliseconds, then exits with code 0.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    Sleep(argc > 1 ? static_cast<DWORD>(std::atol(argv[1])) : 1000);
    return 0;
}
