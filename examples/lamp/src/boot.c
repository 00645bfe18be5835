void boot(void) {}
