// Must not compile: the codec lies below the windows and cannot see them.
#include "codec/image_buffer.h"
#include "ui/session.h"
