#pragma once

#include <QString>
#include <optional>

namespace store {

// What a number field takes from the keyboard.
struct NumberForm {
    int decimals = -1;     // most digits after the decimal comma; -1 when only the digit count limits them
    bool negative = true;  // whether a leading '-' is taken
};

// More digits than this do not survive a double, nor the declaration file's number form.
inline constexpr int MaxSignificantDigits = 15;

// A typed number read in the program's fixed regional form, whatever the machine's settings:
// a decimal comma and '.' between groups of three digits ("1.234,56", "1234,56", "1234", "0,5").
// Blanks around are ignored. Anything that cannot be read whole is refused with a reason.
struct NumberReading {
    std::optional<double> value;  // none for an empty text, or when refused
    QString refusal;              // in Spanish, naming the field; empty when the text was read
    bool ok() const { return refusal.isEmpty(); }
};

NumberReading readNumber(const QString& typed, const NumberForm& form, const QString& fieldName);

// Nothing but the digits 0 to 9 (no sign, no blanks, no other script's digits); true when empty.
bool onlyDigits(QStringView text);

}  // namespace store
