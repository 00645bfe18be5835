static int relay_state;

void Relay_Set(int on) { relay_state = on; }
