.\output\release\uart.o: ..\..\src\uart.c
