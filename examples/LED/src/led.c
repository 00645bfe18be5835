#include "led.h"

#include "LED32F10x.h"

void led_init(void) {
  for (int i = 0; i < LED_COUNT; ++i) GPIOC->CRH |= 1u << (4 * i);
}

void led_toggle(int led) { GPIOC->ODR ^= 1u << (8 + led); }
