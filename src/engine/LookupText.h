#pragma once
#include <QString>

// The texts of the small queries the table conversion asks the server before it writes.
namespace engine {

// MS SQL: how often a constraint name is in use ("SELECT COUNT(CONSTRAINT_NAME) ...").
QString constraintUseCountQuery(const QString& constraintName);
// MS SQL: 32 hex digits of a new unique identifier.
QString newIdHexQuery();

}  // namespace engine
