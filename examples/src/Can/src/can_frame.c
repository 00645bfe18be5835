void can_frame(void) {}
