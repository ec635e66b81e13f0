#pragma once
// Reading a number typed into a field.
#include <string>

namespace tesra {

// Replaces the first occurrence of the locale's decimal separator in text by "." (the caller
// shows the changed text), then converts strictly: leading blanks, optional sign, digits,
// "." and an optional exponent; anything else, trailing blanks included, fails.
// Returns false on failure; value is then unchanged.
bool ReadDecimal(std::string& text, const std::string& decimalSeparator, long double& value);

// The strict conversion alone, without the separator replacement.
bool ParseStrictDecimal(const std::string& text, long double& value);

}  // namespace tesra
