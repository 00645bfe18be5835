void dimmer_init(void) {}
