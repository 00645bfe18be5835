#include "main.h"

int main(void) { return level(); }
