#include "mcc_generated_files/mcc.h"
#include "blink_led.h"

void main(void) {
    SYSTEM_Initialize();
    while (1) {
        blink_led_toggle();
    }
}
