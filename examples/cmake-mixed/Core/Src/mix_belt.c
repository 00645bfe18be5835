void mix_belt(void) {}
