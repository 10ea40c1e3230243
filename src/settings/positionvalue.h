#pragma once

#include <QString>

#include <optional>

// The number a configured position stands for: read in the user's locale,
// else with "." as the decimal point. Empty when the text is no finite
// number, which means the field it belongs to is not captured.
std::optional<double> positionValue(const QString &text);
