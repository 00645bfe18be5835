#pragma once

#define CC2530_RFCTRL (*(volatile unsigned char *)0x61EB)

void CC2530_RadioInit(void);
