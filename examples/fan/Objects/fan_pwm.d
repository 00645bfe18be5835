.\objects\fan_pwm.o: fan_pwm.c
