#include <cstdio>

int main()
{
    std::puts("kalvenor");
    return 0;
}
