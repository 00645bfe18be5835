void blink_led_toggle(void);
