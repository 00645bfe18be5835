.\objects\main.o: main.c
