.\output\release\main.o: .\src\main.c
