.\output\release\filter.o: ..\..\src\filter.c
