#include <cstdio>

int main()
{
    std::puts("kelvanto-cli: no verbs yet");
    return 2;
}
