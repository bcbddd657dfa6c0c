// Must not compile: the windows lie below the jobs that drive them.
#include "ui/session.h"
#include "jobs/image_to_text.h"
