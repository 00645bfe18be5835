.\output\debug\uart.o: ..\..\src\uart.c
