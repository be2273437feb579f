#include "sampleapp.h"

int main()
{
    return RunSample();
}
