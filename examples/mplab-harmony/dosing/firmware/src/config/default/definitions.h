#include <stdbool.h>
#include <stddef.h>
void SYS_Initialize(void* data);
void SYS_Tasks(void);
