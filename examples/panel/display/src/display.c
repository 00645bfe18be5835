int display;
