int main(void) { dimmer_init(); for (;;) {} }
