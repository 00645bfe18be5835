#include <avr/io.h>

int main(void) {
    PORTF.DIRSET = PIN5_bm;
    for (;;) PORTF.OUTTGL = PIN5_bm;
}
