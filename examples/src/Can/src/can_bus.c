void can_bus(void) {}
