#pragma once
#include "engine/SqlText.h"

#include <QString>
#include <optional>

// The one map from an Access field type code to the SQL type of a column, for the table
// conversion and for the fields an XDB document adds.
namespace engine {

// Who asks: the table conversion creates whole tables, a document adds single fields to
// tables that exist already.
enum class TypeUse { Table, Document };

// SQL type of a field; size is a Text field's length. nullopt for the codes without an SQL
// type (Binary 9, 13, 14, above 15, anything unknown).
std::optional<QString> sqlTypeOf(int code, int size, TypeUse use, const TextOptions& o);

}  // namespace engine
