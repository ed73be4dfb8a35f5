#pragma once
// Reader of the engine's input document (UTF-8 text of a gama-xml /
// gama-local network description) into a Network.
#include <stdexcept>
#include <string>
#include <string_view>

#include "adjustment/network.h"

namespace kd::adj {

// A fault of the input: what is wrong, and the line (1-based, 0 if unknown).
class InputError : public std::runtime_error {
 public:
  InputError(const std::string &what, int line)
      : std::runtime_error(what), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// Parses and checks the document. Throws InputError naming the element and
// line of the first fault. On success every observation refers to existing,
// distinct points with the coordinates it needs, every standard deviation is
// positive and finite, and every vector covariance is positive definite.
//
// Sizes the document declares are checked before memory is taken for them:
// a document whose vector covariances (held as dense matrices) together with
// the adjustment of its points would need more than `memoryLimitBytes` is
// refused, naming the size it would need. The first form takes the limit
// from UsableMemoryBytes() (adjustment/memory_limit.h).
Network ReadNetwork(std::string_view utf8Text);
Network ReadNetwork(std::string_view utf8Text, double memoryLimitBytes);

// Strict conversion of an attribute text to a finite double: optional blanks,
// sign, digits, one decimal point, exponent. False when anything else is
// there or the value is not finite.
bool ParseNumber(std::string_view text, double &value);

}  // namespace kd::adj
