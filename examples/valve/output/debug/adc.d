.\output\debug\adc.o: .\src\adc.c
