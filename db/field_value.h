#pragma once
// A value as the engine hands it over, kept as it is until it is shown: the
// lists read thousands of them and show a screenful.
#include <QString>

#include <cstdint>
#include <string>
#include <variant>

namespace merivex
{

// Null, an integer, a double, or a text in the file's UTF-8 (blobs read as
// their bytes). Texts of up to 15 bytes, every stored date among them, are
// held without allocating.
using FieldValue = std::variant<std::monostate, qint64, double, std::string>;

// The same rule as displayText(QVariant) for the value the engine would have
// handed over as a QVariant.
QString displayText(const FieldValue &v);

} // namespace merivex
