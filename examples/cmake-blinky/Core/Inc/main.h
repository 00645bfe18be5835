#pragma once

void lumen_led_toggle(void);
