#include "startup.h"

int main(int argc, char **argv)
{
    return runMochiten(argc, argv);
}
