#include "app/startup.h"

int main(int argc, char** argv)
{
    initializeUserInterface(argc, argv);
    return 1;
}
