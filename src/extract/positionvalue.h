#pragma once

#include <QString>

#include <optional>

// The number a configured position stands for: read in the user's locale,
// else with "." as the decimal point (full-width digits and 「。」「．」 too,
// as typed with the input method on). Empty when the text is no finite
// number, which means the field it belongs to is not captured.
std::optional<double> positionValue(const QString &text);

// The text as the store keeps it: a number in ASCII ("５。５" is "5.5"), or
// the text unchanged when it is no number.
QString storedPosition(const QString &text);
