#include "definitions.h"

int main(void) {
    SYS_Initialize(NULL);
    while (true) {
        SYS_Tasks();
    }
}
