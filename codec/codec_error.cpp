// The English phrases of the codec's errors.
#include "codec/codec_error.h"

namespace codec {

const char* ErrorText(Error error) {
  switch (error) {
    case Error::None: return "no error";
    case Error::CannotOpen: return "cannot open";
    case Error::CannotRead: return "cannot be read";
    case Error::NotAPicture: return "not a picture this program can load";
    case Error::Damaged: return "damaged picture data";
    case Error::TooLarge: return "too large";
    case Error::OutOfMemory: return "out of memory";
  }
  return "unknown error";
}

}  // namespace codec
