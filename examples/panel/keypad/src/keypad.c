int keypad;
