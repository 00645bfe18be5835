/* shared by both cores */
#define DUO_SHARED_RAM 0x38000000
