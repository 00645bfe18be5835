build/default/production/main.p1: main.c
