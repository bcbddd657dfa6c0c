// Compiles: the codec may use the system-call layer below it.
#include "codec/image_buffer.h"
#include "sysio/files.h"
