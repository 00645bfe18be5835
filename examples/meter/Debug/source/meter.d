source/meter.o: ../source/meter.c
