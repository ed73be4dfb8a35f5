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
Network ReadNetwork(std::string_view utf8Text);

// Strict conversion of an attribute text to a finite double: optional blanks,
// sign, digits, one decimal point, exponent. False when anything else is
// there or the value is not finite.
bool ParseNumber(std::string_view text, double &value);

}  // namespace kd::adj
