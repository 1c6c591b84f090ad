#include "app/run_conversion.h"

int main(int argc, char** argv)
{
    return run_conversion(argc, argv);
}
