/* hand-written: not managed */
INCLUDE "meter_Release_memory.ld"
