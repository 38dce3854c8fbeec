#include "app/startup.h"

int main(int argc, char** argv) { return corvalen::runProgram(argc, argv); }
