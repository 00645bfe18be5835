.\output\debug\filter.o: ..\..\src\filter.c
