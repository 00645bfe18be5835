#include "mcc_generated_files/pin_manager.h"
#include "blink_led.h"

void blink_led_toggle(void) { LED_Toggle(); }
