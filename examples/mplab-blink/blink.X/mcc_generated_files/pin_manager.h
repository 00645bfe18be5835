#include <xc.h>
#define LED_Toggle() do { LATAbits.LATA2 = ~LATAbits.LATA2; } while (0)
void PIN_MANAGER_Initialize(void);
