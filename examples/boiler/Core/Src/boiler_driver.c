static int boiler_state;

void Boiler_Set(int on) { boiler_state = on; }
