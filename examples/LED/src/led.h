#ifndef LED_H
#define LED_H

void led_init(void);
void led_toggle(int led);

#endif
