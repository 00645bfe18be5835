.\output\debug\main.o: src\main.c
