.\output\debug\led.o: src\led.c
