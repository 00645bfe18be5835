build/default/production/main.o: main.c
