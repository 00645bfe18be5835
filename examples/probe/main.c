#include <stdint.h>
int main(void) { return 0; }
