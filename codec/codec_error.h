// What can go wrong in the codec, as one value, and the result type that carries it.
#pragma once

#include <utility>

namespace codec {

enum class Error {
  None,
  CannotOpen,   // the file cannot be opened for reading (errno tells why)
  CannotRead,   // reading the file failed part-way
  NotAPicture,  // no loader accepts the data
  Damaged,      // a loader accepted the data but could not make an image of it
  TooLarge,     // the text or the picture is over the format's limits
  OutOfMemory,  // the memory for the image or the text could not be had
};

// A short English phrase for the error, as letterloom-cli prints it.
const char* ErrorText(Error error);

// A value, or the reason there is none.
template <class T>
struct Result {
  T value{};
  Error error = Error::None;

  bool ok() const { return error == Error::None; }
  static Result Failure(Error e) { return Result{T{}, e}; }
  static Result Of(T v) { return Result{std::move(v), Error::None}; }
};

}  // namespace codec
