.\output\release\adc.o: .\src\adc.c
